#include "editor/name_field_command.h"

#include "editor/sorel_doc.h"
#include "nodes/edit_print.h"
#include "nodes/node_archive.h"
#include "nodes/page_furniture.h"
#include "nodes/undo.h"
#include "platform/archive.h"
#include "platform/shell.h"
#include "view/edit_view_controller.h"

#include <algorithm>
#include <array>
#include <new>

namespace {

NameFieldRunner& Runner()
{
    static NameFieldRunner runner;
    return runner;
}

int RunNameFieldDialog(CNameFieldDlg& dialog)
{
    if (Runner())
        return Runner()(dialog);
    return dialog.DoModal();
}

using PageFlags = std::array<bool, CEditPrint::kMaxPages>;

PageFlags ReadPageFlags(const CEditPrint& root)
{
    PageFlags flags{};
    for (int page = 1; page <= CEditPrint::kMaxPages; ++page)
        flags[static_cast<size_t>(page - 1)] = root.IsPageFlagged(page);
    return flags;
}

void WritePageFlags(CEditPrint& root, const PageFlags& flags)
{
    for (int page = 1; page <= CEditPrint::kMaxPages; ++page)
        root.SetPageFlagged(page, flags[static_cast<size_t>(page - 1)]);
}

// Takes back what the group recorded, from its last action to its first, and drops it.
void TakeBack(CUndoGroup& group) noexcept
{
    for (int i = group.GetCount() - 1; i >= 0; --i) {
        CUndoAction* action = group.GetAt(i);
        if (action->m_code == UndoCode::kNameFieldPlaced)
            action->TakeOut();
        else
            action->PutBack();
    }
    group.DropActionsAfter(0);
}

}  // namespace

NameFieldCopier TemplateCopier(CEditPrint& root)
{
    CEditNode* source = root.GetNameFieldTemplate();
    std::unique_ptr<CEditNode> made;
    if (source == nullptr) {
        made = std::make_unique<CEditKimeiran>();
        static_cast<CEditKimeiran*>(made.get())->BuildDefaultTable();
        source = made.get();
    }
    // The template is stored once; every copy is read from the same bytes.
    auto bytes = std::make_shared<std::vector<BYTE>>(NodeListToBytes(std::span<CEditNode* const>(&source, 1)));
    return [bytes]() {
        auto list = NodeListFromBytes(*bytes, &ProblemEditorNodeClasses());
        if (list.size() != 1 || list.front() == nullptr)
            throw CArchiveException(CArchiveException::genericException);
        return std::move(list.front());
    };
}

void RebuildNameFieldLayer(CEditPrint& root, const std::vector<int>& flags, const NameFieldCopier& copy,
                           CUndoGroup& group)
{
    CEditNode* layer = root.GetNameFieldLayer();
    const PageFlags before = ReadPageFlags(root);
    const int pages = std::min(static_cast<int>(flags.size()), CEditPrint::kMaxPages);
    PageFlags after = before;
    for (int page = 1; page <= pages; ++page)
        after[static_cast<size_t>(page - 1)] = flags[static_cast<size_t>(page - 1)] != 0;
    // Pages the paper no longer has carry no name field.
    for (int page = pages + 1; page <= CEditPrint::kMaxPages; ++page)
        after[static_cast<size_t>(page - 1)] = false;

    // The layer holds one name field per flagged page in page order: the page of each field.
    std::vector<int> pageOfField;
    for (int page = 1; page <= CEditPrint::kMaxPages; ++page)
        if (before[static_cast<size_t>(page - 1)])
            pageOfField.push_back(page);

    try {
        for (int index = layer->GetChildCount() - 1; index >= 0; --index) {
            CEditNode* field = layer->GetEditChild(index);
            const int page = static_cast<size_t>(index) < pageOfField.size() ? pageOfField[static_cast<size_t>(index)] : 0;
            const int flagAfter = page > 0 && after[static_cast<size_t>(page - 1)] ? 1 : 0;
            CUndoAction* action =
                group.RecordNodeEx(UndoCode::kNameFieldRemoved, field, nullptr, index, layer, page, flagAfter);
            if (action == nullptr)
                throw std::bad_alloc();
            action->TakeOut();
        }
        for (int page = 1; page <= pages; ++page) {
            if (!after[static_cast<size_t>(page - 1)])
                continue;
            std::unique_ptr<CEditNode> field = copy();
            CUndoAction* action = group.RecordNodeEx(UndoCode::kNameFieldPlaced, field.get(), nullptr,
                                                     layer->GetChildCount(), layer, page, 1);
            if (action == nullptr)
                throw std::bad_alloc();
            action->Keep(std::move(field));
            if (!action->PutBack())
                throw std::bad_alloc();
        }
    } catch (...) {
        // Put back the former layer and page table before the failure goes on.
        TakeBack(group);
        WritePageFlags(root, before);
        throw;
    }
    WritePageFlags(root, after);
}

NameFieldRunner SetNameFieldRunner(NameFieldRunner runner)
{
    NameFieldRunner former = std::move(Runner());
    Runner() = std::move(runner);
    return former;
}

void CSorelDoc::DoNameFieldDialog(QWidget* parent)
{
    CEditPrint* root = GetRoot();
    if (root == nullptr)
        return;
    try {
        CNameFieldDlg dialog(parent);
        CNameFieldGrid* grid = dialog.Grid();
        grid->SetPageCount(root->GetPageCount());
        for (int page = 1; page <= grid->GetPageCount(); ++page)
            grid->SetFlag(page - 1, root->IsPageFlagged(page) ? 1 : 0);
        if (RunNameFieldDialog(dialog) == IDOK) {
            // A name field being edited is taken into the template first, as it is what the
            // copies are made of.
            m_host.CommitPendingEdit();
            std::vector<int> flags;
            for (int page = 0; page < grid->GetPageCount(); ++page)
                flags.push_back(grid->GetFlag(page));
            auto group = std::make_unique<CUndoGroup>();
            RebuildNameFieldLayer(*root, flags, TemplateCopier(*root), *group);
            if (group->GetCount() > 0)
                PushUndo(std::move(group));
            root->SetDirtyAll(1);
            SetModifiedFlag(true);
        }
    } catch (const CArchiveException&) {
        ShellMessageBox(SorelDocText::kNameFieldFailed, SorelDocText::kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
    } catch (const std::bad_alloc&) {
        ShellMessageBox(SorelDocText::kNameFieldFailed, SorelDocText::kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
    }
    m_host.UpdateAllViews(0);
}
