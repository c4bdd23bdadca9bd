#include "editor/document_commands.h"

#include "editor/sorel_doc.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_print.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"
#include "platform/shell.h"

#include <memory>
#include <new>
#include <utility>

namespace {

PageSetupRunner& SheetRunner()
{
    static PageSetupRunner runner;
    return runner;
}

SpacingRunner& DialogRunner()
{
    static SpacingRunner runner;
    return runner;
}

int RunSheet(CPageSetupSheet& sheet)
{
    return SheetRunner() ? SheetRunner()(sheet) : sheet.DoModal();
}

int RunSpacing(CSpacingDlg& dialog)
{
    return DialogRunner() ? DialogRunner()(dialog) : dialog.DoModal();
}

int ToMillimetres(int hmm) { return hmm / 100; }

void FillSheet(CPageSetupSheet& sheet, const PAGE_SETUP_VALUES& values, IPageFieldDocument* document)
{
    CPageSizePage& size = sheet.SizePage();
    size.m_paperWidth = values.width;
    size.m_paperHeight = values.height;
    size.m_vertical = values.vertical;
    size.m_columns = values.columns;
    size.m_lineSpacing = values.lineSpacing;
    size.m_charSpacing = values.charSpacing;
    CPageMarginPage& margins = sheet.MarginPage();
    margins.m_left = static_cast<unsigned>(values.left);
    margins.m_top = static_cast<unsigned>(values.top);
    margins.m_right = static_cast<unsigned>(values.right);
    margins.m_bottom = static_cast<unsigned>(values.bottom);
    CPageFieldPage& field = sheet.FieldPage();
    field.m_layoutIndex = values.layoutIndex;
    field.m_vertical = values.vertical;
    field.m_document = document;
    field.m_messageCaption = SorelDocText::kApplicationTitle;
}

PAGE_SETUP_VALUES TakeSheet(CPageSetupSheet& sheet, int vertical)
{
    PAGE_SETUP_VALUES values;
    const CPageSizePage& size = sheet.SizePage();
    values.width = size.m_paperWidth;
    values.height = size.m_paperHeight;
    values.columns = size.m_columns;
    values.lineSpacing = size.m_lineSpacing;
    values.charSpacing = size.m_charSpacing;
    const CPageMarginPage& margins = sheet.MarginPage();
    values.left = static_cast<int>(margins.m_left);
    values.top = static_cast<int>(margins.m_top);
    values.right = static_cast<int>(margins.m_right);
    values.bottom = static_cast<int>(margins.m_bottom);
    values.layoutIndex = sheet.FieldPage().m_layoutIndex;
    values.vertical = vertical;
    return values;
}

void ShowDocumentMessage(const std::u16string& text)
{
    ShellMessageBox(text, SorelDocText::kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

PageSetupRunner SetPageSetupRunner(PageSetupRunner runner)
{
    PageSetupRunner former = std::move(SheetRunner());
    SheetRunner() = std::move(runner);
    return former;
}

SpacingRunner SetSpacingRunner(SpacingRunner runner)
{
    SpacingRunner former = std::move(DialogRunner());
    DialogRunner() = std::move(runner);
    return former;
}

PAGE_SETUP_VALUES ReadPageSetup(const CEditPrint& root)
{
    PAGE_SETUP_VALUES values;
    int width = 0, height = 0;
    root.GetPaperSize(&width, &height);
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    values.vertical = root.m_vertical != 0 ? 1 : 0;
    if (values.vertical) {
        std::swap(width, height);
        const int l = left, t = top, r = right, b = bottom;
        left = b, top = l, right = t, bottom = r;
    }
    values.width = ToMillimetres(width);
    values.height = ToMillimetres(height);
    values.left = ToMillimetres(left);
    values.top = ToMillimetres(top);
    values.right = ToMillimetres(right);
    values.bottom = ToMillimetres(bottom);
    values.columns = root.m_geometry.columnCount > 1 ? 1 : 0;
    values.lineSpacing = root.m_lineSpacing * 2;
    values.charSpacing = root.CharacterRecord().m_letterSpacing;
    values.layoutIndex = root.m_partLayoutMode;
    return values;
}

void WritePageGeometry(CEditPrint& root, const PAGE_SETUP_VALUES& values)
{
    int width = values.width * 100, height = values.height * 100;
    int left = values.left * 100, top = values.top * 100, right = values.right * 100, bottom = values.bottom * 100;
    if (values.vertical) {
        std::swap(width, height);
        const int l = left, t = top, r = right, b = bottom;
        left = t, top = r, right = b, bottom = l;
    }
    root.SetPaperSize(width, height);
    root.SetMargins(left, top, right, bottom);
}

int CSorelDoc::DoPageSetup(int startPage, QWidget* parent)
{
    CEditPrint* root = GetRoot();
    if (root == nullptr)
        return IDCANCEL;
    int result = IDCANCEL;
    try {
        const PAGE_SETUP_VALUES before = ReadPageSetup(*root);
        CPageSetupSheet sheet(parent, startPage);
        FillSheet(sheet, before, this);
        result = RunSheet(sheet);
        if (result != IDOK && result != kPageSetupPrint && result != kPageSetupPreview)
            return IDCANCEL;
        // The sheet's answer-sheet buttons may have changed the paper meanwhile; the values apply
        // to it as it is now.
        const PAGE_SETUP_VALUES values = TakeSheet(sheet, before.vertical);
        WritePageGeometry(*root, values);
        // A table wider than a new, narrower column is kept only if the user agrees.
        const int columns = values.columns + 1;
        const int formerColumns = root->m_geometry.columnCount;
        if (columns != formerColumns && root->HasTableWiderThanColumn(columns)) {
            if (ShellMessageBox(SorelDocText::kTableOverflow, SorelDocText::kConfirmCaption,
                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
                root->m_geometry.columnCount = columns;
        } else {
            root->m_geometry.columnCount = columns;
        }
        root->m_lineSpacing = values.lineSpacing / 2;
        root->EditCharacterRecord()->m_letterSpacing = values.charSpacing;
        if (values.layoutIndex != root->m_partLayoutMode)
            root->ArrangeParts(values.layoutIndex, 1);
        root->SetDirtyAll(1);
        SetModifiedFlag(true);
    } catch (const std::bad_alloc&) {
        ShowDocumentMessage(SorelDocText::kPageSetupFailed);
        return IDCANCEL;
    }
    m_host.UpdateAllViews(kHintPageSetup);
    if (result == kPageSetupPrint)
        m_host.PostFrameCommand(DocCommand::kPrint);
    else if (result == kPageSetupPreview)
        m_host.PostFrameCommand(DocCommand::kPrintPreview);
    return IDOK;
}

void CSorelDoc::OnCharSpacing(QWidget* parent)
{
    CEditPrint* root = GetRoot();
    if (root == nullptr)
        return;
    CCharSpaceDlg dialog(parent);
    dialog.m_spacing = root->CharacterRecord().m_letterSpacing;
    if (RunSpacing(dialog) != IDOK)
        return;
    root->EditCharacterRecord()->m_letterSpacing = dialog.m_spacing;
    root->SetDirtyAll(1);
    SetModifiedFlag(true);
    m_host.UpdateAllViews(0);
}

void CSorelDoc::OnLineSpacing(QWidget* parent)
{
    CEditPrint* root = GetRoot();
    if (root == nullptr)
        return;
    CLineSpaceDlg dialog(parent);
    dialog.m_spacing = root->m_lineSpacing * 2;
    if (RunSpacing(dialog) != IDOK)
        return;
    root->m_lineSpacing = dialog.m_spacing / 2;
    root->SetDirtyAll(1);
    SetModifiedFlag(true);
    m_host.UpdateAllViews(0);
}

void CSorelDoc::ResetFieldSizes()
{
    CEditPrint* root = GetRoot();
    if (root == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        for (int i = 0; i < root->GetChildCount(); ++i) {
            CEditNode* part = root->GetEditChild(i);
            if (part != nullptr && part->IsKind(EditKind::kSentence) && part->m_areaWidth != 0)
                SetNodeProperty(*part, UndoCode::kFieldSize, 0, group.get());
        }
    } catch (const std::bad_alloc&) {
        // What was reset so far is taken back: the reset is all or nothing.
        RollBackUndoGroup(*group, 0);
        ShowDocumentMessage(SorelDocText::kResetFailed);
        return;
    }
    if (group->GetCount() == 0)
        return;
    PushUndo(std::move(group));
    root->SetDirtyAll(1);
    SetModifiedFlag(true);
    m_host.UpdateAllViews(0);
}

bool CSorelDoc::IsDocumentCommand(unsigned id)
{
    switch (id) {
    case DocCommand::kPageSetup:
    case DocCommand::kColumns:
    case DocCommand::kAnswerSheet:
    case DocCommand::kCharSpacing:
    case DocCommand::kLineSpacing:
    case DocCommand::kFieldVisibility:
    case DocCommand::kNameField:
    case DocCommand::kSaveHtml:
        return true;
    default:
        return false;
    }
}

bool CSorelDoc::OnDocumentCommand(unsigned id, QWidget* parent)
{
    if (!OnUpdateDocumentCommand(id))
        return IsDocumentCommand(id);
    switch (id) {
    case DocCommand::kPageSetup:
    case DocCommand::kColumns: OnPageSetup(parent); break;
    case DocCommand::kAnswerSheet: OnSeparateAnswerSheet(parent); break;
    case DocCommand::kCharSpacing: OnCharSpacing(parent); break;
    case DocCommand::kLineSpacing: OnLineSpacing(parent); break;
    case DocCommand::kFieldVisibility: OnFieldVisibility(parent); break;
    case DocCommand::kNameField: OnNameField(parent); break;
    case DocCommand::kSaveHtml: OnFileSaveHtml(); break;
    default: return false;
    }
    return true;
}
