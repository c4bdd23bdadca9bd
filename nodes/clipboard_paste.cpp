#include "nodes/clipboard_paste.h"

#include "nodes/edit_kind.h"
#include "nodes/kanbun_cell.h"
#include "nodes/node_archive.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"

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
        if (GetClipboardCp932Text(legacy))
            pasted.text = Cp932ToWide(legacy);
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
