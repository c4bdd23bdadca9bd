// The object archive as documents and the clipboard give it: an object reference to a tree of
// element, editing and formula nodes, read whole, read into an existing node, read as an object list, and
// a node list as the clipboard holds it, written back and read again. The first byte chooses the
// way.
#include "base/xml_node.h"
#include "fuzz/fuzz_registry.h"
#include "nodes/node_archive.h"
#include "platform/archive.h"
#include "platform/memory_file.h"

#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

// The fields and the shape of a tree, to see that a failed load changed nothing.
std::string Describe(const CQNXMLNode& node)
{
    std::string s = std::to_string(node.m_typeCode) + "/" + std::to_string(node.m_flags) + "/" +
                    std::to_string(node.m_idClass) + "/" + std::to_string(node.m_class) + "/" +
                    std::to_string(node.GetText().View().size()) + "(";
    for (int i = 0; i < node.GetChildCount(); ++i)
        s += Describe(*node.GetChildAt(i)) + ",";
    return s + ")";
}

std::vector<BYTE> WriteList(const std::vector<std::unique_ptr<CEditNode>>& nodes)
{
    std::vector<CEditNode*> list;
    for (const auto& node : nodes)
        list.push_back(node.get());
    return NodeListToBytes(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const BYTE> bytes(data + 1, size - 1);
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &ProblemEditorRegistry());
    try {
        switch (data[0] % 4) {
        case 0:
            (void)ar.ReadNewObject<CQNXMLNode>();
            break;
        case 1: {
            // A failed load leaves the node as it was.
            CQNXMLNode target(7);
            CQNXMLNode::SetText(&target, u"keep");
            CQNXMLNode::AppendChild(&target, new CQNXMLNode(8));
            const std::string before = Describe(target);
            try {
                target.Serialize(ar);
            } catch (const CArchiveException&) {
                if (Describe(target) != before)
                    std::abort();
            }
            break;
        }
        case 2:
            (void)ar.ReadNewObjectList(RUNTIME_CLASS(CQNXMLNode));
            break;
        default: {
            // A list that is read writes back in one form, which reads back and writes again
            // into the same bytes.
            const auto nodes = NodeListFromBytes(bytes, &ProblemEditorRegistry());
            const std::vector<BYTE> once = WriteList(nodes);
            try {
                if (WriteList(NodeListFromBytes(once, &ProblemEditorRegistry())) != once)
                    std::abort();
            } catch (const CArchiveException&) {
                std::abort();  // the writer wrote what the reader refuses
            }
            break;
        }
        }
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return 0;
}
