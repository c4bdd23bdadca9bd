// The object archive as a document file gives it: an object reference to a tree of element and
// edit nodes, read whole, read into an existing node, and read as an object list.
#include "base/xml_node.h"
#include "fuzz/fuzz_input.h"
#include "nodes/edit_box.h"
#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "platform/archive.h"
#include "platform/memory_file.h"

#include <cstdlib>
#include <span>
#include <string>

namespace {

const CRuntimeClassRegistry& Registry()
{
    static const CRuntimeClassRegistry registry = [] {
        CRuntimeClassRegistry r;
        RegisterBaseClasses(r);
        for (const CRuntimeClass* c : {RUNTIME_CLASS(CEditNode), RUNTIME_CLASS(CEditChar), RUNTIME_CLASS(CEditCR),
                                       RUNTIME_CLASS(CEditContainer), RUNTIME_CLASS(CEditEdit),
                                       RUNTIME_CLASS(CEditSentence), RUNTIME_CLASS(CEditPrint),
                                       RUNTIME_CLASS(CEditBox)})
            r.Add(c);
        return r;
    }();
    return registry;
}

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const BYTE> bytes(data + 1, size - 1);
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load, &Registry());
    try {
        switch (data[0] % 3) {
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
        default:
            (void)ar.ReadNewObjectList(RUNTIME_CLASS(CQNXMLNode));
            break;
        }
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return 0;
}
