// Command routing with update handlers, the view's own commands, zoom and the page pane, and the
// replay of undo and redo.
#include "view/edit_view_controller.h"

#include "base/gdi_cache.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/edit_switches.h"
#include "nodes/undo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kNameFieldLeft = 257;     // name-field editing ended
constexpr int kNameFieldEntered = 258;  // name-field editing started
constexpr int kNameFieldPlaced = 0x10101;   // a name field put into the root's name-field layer
constexpr int kNameFieldRemoved = 0x20101;  // a name field taken out of it

// Whether the node hangs in the paper (the root's children or its name-field layer).
bool IsInPaper(CEditNode* node, CEditPrint* root)
{
    if (root == nullptr)
        return false;
    for (CQNXMLNode* n = node; n != nullptr; n = n->GetParent()) {
        if (n == root || n == root->GetNameFieldLayer())
            return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Routing

namespace {

using UpdateHandler = bool (CEditViewController::*)(int, CMD_UI_STATE*) const;
using CommandRunner = bool (CEditViewController::*)(int);

struct COMMAND_FAMILY {
    UpdateHandler update;
    CommandRunner run;
};

constexpr COMMAND_FAMILY kCommandFamilies[] = {
    {&CEditViewController::UpdateCoreCommand, &CEditViewController::RunCoreCommand},
    {&CEditViewController::UpdateFormattingCommand, &CEditViewController::RunFormattingCommand},
    {&CEditViewController::UpdateQuestionCommand, &CEditViewController::RunQuestionCommand},
    {&CEditViewController::UpdateFormulaCommand, &CEditViewController::RunFormulaCommand},
    {&CEditViewController::UpdateKanbunCommand, &CEditViewController::RunKanbunCommand},
    {&CEditViewController::UpdateObjectCommand, &CEditViewController::RunObjectCommand},
    {&CEditViewController::UpdateSearchCommand, &CEditViewController::RunSearchCommand},
    {&CEditViewController::UpdatePrintCommand, &CEditViewController::RunPrintCommand},
};

}  // namespace

CMD_UI_STATE CEditViewController::OnUpdateCommand(int id) const
{
    CMD_UI_STATE state;
    for (const COMMAND_FAMILY& family : kCommandFamilies) {
        if ((this->*family.update)(id, &state)) {
            state.known = true;
            return state;
        }
    }
    return state;
}

bool CEditViewController::OnCommand(int id)
{
    // A command that its update handler disables is dropped.
    if (!OnUpdateCommand(id).enabled)
        return false;
    for (const COMMAND_FAMILY& family : kCommandFamilies) {
        CMD_UI_STATE state;
        if ((this->*family.update)(id, &state))
            return (this->*family.run)(id);
    }
    return false;
}

bool CEditViewController::UpdateCoreCommand(int id, CMD_UI_STATE* state) const
{
    switch (id) {
    case ViewCommand::kEditClear:
    case ViewCommand::kEditUndo:
    case ViewCommand::kEditRedo:
    case ViewCommand::kViewZoom:
        state->enabled = true;
        break;
    case ViewCommand::kViewLineBreaks:
        state->enabled = true;
        state->check = LineBreakMarksVisible ? 1 : 0;
        break;
    case ViewCommand::kEditCopy:
    case ViewCommand::kEditCut:
    case ViewCommand::kPlainTextCopy:
    case ViewCommand::kObjectCopy:
    case ViewCommand::kFormatFont:
        state->enabled = m_caret.m_anchorNode != nullptr;
        break;
    case ViewCommand::kZoomBox:
    case ViewCommand::kEditPaste:
    case ViewCommand::kInsertImageInline:
    case ViewCommand::kInsertImage:
        state->enabled = true;
        break;
    case ViewCommand::kSelectAll:
        state->enabled = m_caret.m_caretNode != nullptr;
        break;
    case ViewCommand::kImageSize:
        state->enabled = m_caret.m_caretNode != nullptr && m_caret.m_caretNode->IsKind(EditKind::kGraphic);
        break;
    case ViewCommand::kPageIndicator:
        state->enabled = true;
        state->hasText = true;
        state->text = PageIndicatorText();
        break;
    default:
        return false;
    }
    return true;
}

bool CEditViewController::RunCoreCommand(int id)
{
    switch (id) {
    case ViewCommand::kEditClear: OnEditClear(); return true;
    case ViewCommand::kEditUndo: OnEditUndo(); return true;
    case ViewCommand::kEditRedo: OnEditRedo(); return true;
    case ViewCommand::kViewZoom: OnViewZoom(); return true;
    case ViewCommand::kZoomBox: OnZoomComboChange(); return true;
    case ViewCommand::kViewLineBreaks: OnViewLineBreaks(); return true;
    case ViewCommand::kFormatFont: OnFormatFont(); return true;
    case ViewCommand::kEditCopy: OnEditCopy(); return true;
    case ViewCommand::kEditCut: OnEditCut(); return true;
    case ViewCommand::kEditPaste: OnEditPaste(); return true;
    case ViewCommand::kPlainTextCopy: OnEditPlainCopyText(); return true;
    case ViewCommand::kObjectCopy: OnEditPlainCopyObject(); return true;
    case ViewCommand::kSelectAll: OnEditSelectAll(); return true;
    case ViewCommand::kInsertImageInline: OnInsertImageInline(); return true;
    case ViewCommand::kInsertImage: OnInsertImage(); return true;
    case ViewCommand::kImageSize: OnImageSize(); return true;
    default: return false;
    }
}

void CEditViewController::OnViewLineBreaks()
{
    LineBreakMarksVisible = LineBreakMarksVisible ? 0 : 1;
    InvalidateAll();
}

void CEditViewController::OnFormatFont()
{
    CEditNode* node = CaretNode();
    if (m_caret.m_anchorNode == nullptr || node == nullptr || !m_fontSheet)
        return;
    CDefaultFontTable& defaults = CDefaultFontTable::Instance();
    const int vertical = m_displayMap.IsVertical();
    FONT_SHEET_VALUES values;
    using V = FONT_SHEET_VALUES;
    defaults.GetDefaultFont(&values.fonts[V::FullWidth].font, vertical);
    values.fonts[V::FullWidth].italic = defaults.GetDefaultItalic(vertical);
    values.fonts[V::FullWidth].height = defaults.GetDefaultHeight();
    defaults.GetHankakuFont(&values.fonts[V::HalfWidth].font, vertical);
    values.fonts[V::HalfWidth].italic = defaults.GetHankakuItalic(vertical);
    values.fonts[V::HalfWidth].height = defaults.GetHankakuHeight();
    defaults.GetNumericFont(&values.fonts[V::Digit].font, vertical);
    values.fonts[V::Digit].italic = defaults.GetNumericItalic(vertical);
    values.fonts[V::Digit].height = defaults.GetNumericHeight();
    defaults.GetMathFont(&values.fonts[V::Math].font);
    values.fonts[V::Math].italic = defaults.GetMathItalic();
    values.fonts[V::Math].height = defaults.GetMathHeight();
    defaults.GetMathNumericFont(&values.fonts[V::MathDigit].font);
    values.fonts[V::MathDigit].italic = defaults.GetMathNumericItalic();
    values.fonts[V::MathDigit].height = defaults.GetMathNumericHeight();
    defaults.GetMathOperatorFont(&values.fonts[V::MathOperator].font);
    values.fonts[V::MathOperator].italic = defaults.GetMathOperatorItalic();
    values.fonts[V::MathOperator].height = defaults.GetMathOperatorHeight();
    if (!m_fontSheet(&values))
        return;

    // The record that the nodes read: the text fonts in the first three entries, the maths
    // fonts in the last three; setting it into a table of its own keeps the defaults apart.
    auto setInto = [&values](CDefaultFontTable& table, int textVertical) {
        const DEFAULT_FONT* f = values.fonts;
        table.SetDefaultFont(&f[V::FullWidth].font, textVertical);
        table.SetDefaultItalic(f[V::FullWidth].italic, textVertical);
        table.SetDefaultHeight(f[V::FullWidth].height);
        table.SetHankakuFont(&f[V::HalfWidth].font, textVertical);
        table.SetHankakuItalic(f[V::HalfWidth].italic, textVertical);
        table.SetHankakuHeight(f[V::HalfWidth].height);
        table.SetNumericFont(&f[V::Digit].font, textVertical);
        table.SetNumericItalic(f[V::Digit].italic, textVertical);
        table.SetNumericHeight(f[V::Digit].height);
        table.SetMathFont(&f[V::Math].font);
        table.SetMathItalic(f[V::Math].italic);
        table.SetMathHeight(f[V::Math].height);
        table.SetMathNumericFont(&f[V::MathDigit].font);
        table.SetMathNumericItalic(f[V::MathDigit].italic);
        table.SetMathNumericHeight(f[V::MathDigit].height);
        table.SetMathOperatorFont(&f[V::MathOperator].font);
        table.SetMathOperatorItalic(f[V::MathOperator].italic);
        table.SetMathOperatorHeight(f[V::MathOperator].height);
    };
    CDefaultFontTable record = defaults;
    setInto(record, 0);

    const LOGFONTA& wide = values.fonts[V::FullWidth].font;
    LOGFONTA& typing = m_caret.m_logFont;
    CopyFontFace(&typing, wide);
    typing.lfHeight = -std::abs(values.fonts[V::FullWidth].height);
    typing.lfWidth = 0;

    int first = 0;
    int last = 0;
    if (!CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return;
    CEditNode* parent = node->GetEditParent();
    if (parent == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    // A selection over the whole paragraph (its final line break aside) also changes the defaults.
    const bool wholeParagraph = parent->IsKind(EditKind::kSentence) && first == 0 &&
                                last + 2 >= parent->GetChildCount() && std::strstr(typing.lfFaceName, "Orvellan") == nullptr;
    for (int i = first; i <= last; ++i) {
        if (CEditNode* child = parent->GetEditChild(i)) {
            child->ApplyDefaultFonts(&record, group.get());
            child->ApplyDefaultSizes(&record, group.get());
        }
    }
    if (wholeParagraph) {
        CEditNode* lineBreak = parent->GetEditChild(parent->GetChildCount() - 1);
        if (lineBreak != nullptr && lineBreak->HasKindFlags(EditKind::kLineBreak))
            lineBreak->SetLogFont(&typing, group.get());
    }
    FinishChange(std::move(group));
    if (wholeParagraph)
        setInto(defaults, vertical);
    m_document.SetModifiedFlag(true);
    node->MarkPartModified(TRUE);
    OnUpdate(UpdateHint::kAll);
}

// ---------------------------------------------------------------------------------------------
// Zoom and the page pane

std::u16string CEditViewController::PageIndicatorText() const
{
    const CEditNode* node = m_caret.m_caretNode;
    if (node == nullptr)
        return {};
    std::u16string digits;
    for (int page = std::max(node->m_page, 0); digits.empty() || page > 0; page /= 10)
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + page % 10));
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), u' ');
    return digits + u"ページ";
}

void CEditViewController::OnViewZoom()
{
    int percent = m_displayMap.m_zoom;
    if (!m_zoomDialog || !m_zoomDialog(&percent))
        return;
    // The dialog's own range; the setting for the next paper stays as it was.
    percent = std::clamp(percent, 50, 200);
    m_host.SetBarZoom(percent);
    m_displayMap.SetZoom(percent);
    OnUpdate(UpdateHint::kZoom);
}

void CEditViewController::OnZoomComboChange()
{
    const int percent = std::clamp(m_host.GetBarZoom(), 50, 500);
    m_displayMap.SetZoom(percent);
    m_settings.zoom = percent;
    OnUpdate(UpdateHint::kZoom);
    m_host.FocusView();
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

void CEditViewController::OnEditUndo() { Replay(UndoDirection::Undo); }

void CEditViewController::OnEditRedo() { Replay(UndoDirection::Redo); }

UndoStep CEditViewController::ReplayViewCode(CUndoAction& action, UndoDirection direction)
{
    const bool undo = direction == UndoDirection::Undo;
    CEditNode* node = action.m_pNode;
    auto isNameField = [node] { return node != nullptr && node->IsKind(EditKind::kKimeiran); };
    auto setPageFlag = [this](int page, int value) {
        if (CEditPrint* root = Root())
            root->SetPageFlagged(page, value != 0);
    };
    switch (action.m_code) {
    case kNameFieldLeft:
        if (undo) {
            if (action.m_oldValue == ViewMode::kNameField) {
                if (!isNameField())
                    return UndoStep::Abandoned;
                m_pNameField = node;
            }
            m_nViewMode = action.m_oldValue;
        } else {
            m_nViewMode = ViewMode::kText;
            m_pNameField = nullptr;
            m_savedCaret = m_caret;
        }
        break;
    case kNameFieldEntered:
        if (undo) {
            m_pNameField = nullptr;
            m_nViewMode = action.m_oldValue;
        } else {
            if (!isNameField())
                return UndoStep::Abandoned;
            m_nViewMode = ViewMode::kNameField;
            m_pNameField = node;
            m_savedCaret = m_caret;
        }
        break;
    case kNameFieldPlaced:
    case kNameFieldRemoved: {
        if (node == nullptr)
            return UndoStep::Abandoned;
        const bool takeOut = (action.m_code == kNameFieldPlaced) == undo;
        if (takeOut) {
            action.TakeOut();
        } else if (!action.PutBack()) {
            return UndoStep::Abandoned;
        }
        if (undo)
            setPageFlag(action.m_oldValue, action.m_code == kNameFieldPlaced ? 0 : 1);
        else
            setPageFlag(action.m_oldValue, action.m_newValue);
        break;
    }
    default:
        return UndoStep::Unknown;
    }
    if (action.m_pSecondNode != nullptr)
        m_caret.m_caretNode = action.m_pSecondNode;
    return UndoStep::Applied;
}

void CEditViewController::Replay(UndoDirection direction)
{
    const bool undo = direction == UndoDirection::Undo;
    CUndoGroup* group = undo ? m_document.GetUndoRecord() : m_document.GetRedoRecord();
    if (group == nullptr)
        return;
    const UndoDirection back = undo ? UndoDirection::Redo : UndoDirection::Undo;
    auto replayOne = [this](CUndoAction& action, UndoDirection d) {
        UndoStep step = ReplayUndoAction(action, d);
        if (step == UndoStep::Unknown)
            step = ReplayViewCode(action, d);
        else if (step == UndoStep::Applied && action.m_pSecondNode != nullptr)
            m_caret.m_caretNode = action.m_pSecondNode;  // the caret follows the neighbour
        return step;
    };
    const CCaret caretBefore = m_caret;
    const int modeBefore = m_nViewMode;
    CEditNode* nameFieldBefore = m_pNameField;
    std::vector<CUndoAction*> applied;
    const int count = group->GetCount();
    for (int i = 0; i < count; ++i) {
        CUndoAction* action = group->GetAt(undo ? count - 1 - i : i);
        const UndoStep step = replayOne(*action, direction);
        if (step == UndoStep::Applied) {
            applied.push_back(action);
        } else if (step == UndoStep::Abandoned) {
            // The group is put back whole and the history position with it, so that the
            // history still says what the paper holds and the next command acts on this group.
            for (auto it = applied.rbegin(); it != applied.rend(); ++it)
                replayOne(**it, back);
            if (undo)
                m_document.GetRedoRecord();
            else
                m_document.GetUndoRecord();
            m_caret = caretBefore;
            m_nViewMode = modeBefore;
            m_pNameField = nameFieldBefore;
            OnUpdate(UpdateHint::kAll);
            UpdateCaret(FALSE);
            return;
        }
        // Codes that no replay knows are skipped; the rest of the group still applies.
    }
    CEditPrint* root = Root();
    // The replay does not touch the selection, but an anchor that left the paper must go.
    if (m_caret.m_anchorNode != nullptr && !IsInPaper(m_caret.m_anchorNode, root))
        m_caret.ClearSelection();
    if (CaretNode() != nullptr && !IsInPaper(CaretNode(), root))
        m_caret.m_caretNode = nullptr;
    // A picture, object or field with a tracker that left the paper goes out of its mode: the
    // history may delete it later.
    if (m_pImage != nullptr && !IsInPaper(m_pImage, root)) {
        m_pImage = nullptr;
        if (m_nViewMode == ViewMode::kPicture)
            m_nViewMode = ViewMode::kText;
    }
    if (m_pSelection != nullptr && !IsInPaper(m_pSelection, root))
        m_pSelection = nullptr;
    std::erase_if(m_selectedFields, [root](CEditNode* field) { return !IsInPaper(field, root); });
    if (m_pCurrentField != nullptr && !IsInPaper(m_pCurrentField, root)) {
        m_pCurrentField = nullptr;
        m_selectedFields.clear();
        if (m_nViewMode == ViewMode::kFieldSize)
            m_nViewMode = ViewMode::kText;
    }
    if (CaretNode() == nullptr && root != nullptr && root->GetEditChild(0) != nullptr)
        m_caret.m_caretNode = root->GetEditChild(0)->GetEditChild(0);
    m_document.SetModifiedFlag(true);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    if (undo)
        OnUpdate(UpdateHint::kAll);
    else
        m_document.UpdateAllViews(UpdateHint::kAll);
    UpdateCaret(FALSE);
    EnsureCaretVisible();
}
