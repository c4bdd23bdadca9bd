#include "nodes/clipboard_paste.h"

#include "nodes/edit_kind.h"
#include "nodes/kanbun_cell.h"
#include "nodes/node_archive.h"
#include "platform/archive.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"

#include <new>

PASTED_CLIPBOARD ReadClipboardForPaste(const CRuntimeClassRegistry* registry)
{
    PASTED_CLIPBOARD pasted;
    if (ClipboardHasNodeList()) {
        pasted.nodes = PasteNodesFromClipboard(registry);
        pasted.kind = PASTED_CLIPBOARD::Kind::Nodes;
        return pasted;
    }
    if (!GetClipboardUnicodeText(pasted.text)) {
        std::string legacy;
        if (GetClipboardCp932Text(legacy)) {
            pasted.text = Cp932ToWide(legacy);
            pasted.legacyText = true;
        }
    }
    if (!pasted.text.empty())
        pasted.kind = PASTED_CLIPBOARD::Kind::Text;
    return pasted;
}

std::unique_ptr<CEditNode> NodeForKanbunBox(std::unique_ptr<CEditNode> pasted)
{
    if (pasted == nullptr || !pasted->HasKindFlags(EditKind::kCharacter) || pasted->HasKindFlags(EditKind::kLineBreak))
        return nullptr;
    if (pasted->HasKindFlags(EditKind::kKanbun))
        return pasted;
    return CharacterCopy<CEditKanChar>(pasted.get());
}

std::unique_ptr<CEditNode> TakeFirstChild(CEditNode* node)
{
    while (node->GetChildCount() > 0) {
        CQNXMLNode* child = node->GetChildAt(0);
        if (child == nullptr) {
            node->RemoveChildren(0, 1);
            continue;
        }
        node->RemoveChild(child);
        if (CEditNode* edit = CEditNode::FromNode(child))
            return std::unique_ptr<CEditNode>(edit);
        delete child;
    }
    return nullptr;
}

namespace {

bool HoldsInTextAnswer(CEditNode* node)
{
    return node->FindDescendantWithFlags(EditKind::Code(EditKind::kInTextAnswer)) != nullptr;
}

}  // namespace

std::vector<std::unique_ptr<CEditNode>> WithoutNestedAnswers(std::vector<std::unique_ptr<CEditNode>> nodes)
{
    std::vector<std::unique_ptr<CEditNode>> keep;
    for (std::unique_ptr<CEditNode>& node : nodes) {
        if (node->HasKindFlags(EditKind::kInTextAnswer)) {
            while (std::unique_ptr<CEditNode> child = TakeFirstChild(node.get())) {
                if (!HoldsInTextAnswer(child.get()) && !IsLineBreak(child.get()))
                    keep.push_back(std::move(child));
            }
        } else if (!HoldsInTextAnswer(node.get())) {
            keep.push_back(std::move(node));
        }
    }
    return keep;
}

bool TryReadClipboardForPaste(const CRuntimeClassRegistry* registry, PASTED_CLIPBOARD* pasted)
{
    try {
        *pasted = ReadClipboardForPaste(registry);
    } catch (const CArchiveException&) {
        // A foreign or damaged list, or a class this program lacks.
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
