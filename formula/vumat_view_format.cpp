// Character formatting from the format bar and the Format menu, the font defaults and underline
// numbering. Face, size, bold and italic are recorded for undo; underlines, line-through,
// colours, background pattern, border and numbering are written straight into the nodes.
#include "formula/vumat_view.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "formula/math_sentence.h"
#include "formula/vumat_doc.h"
#include "math/formula_templates.h"
#include "nodes/character_formats.h"
#include "nodes/edit_error.h"
#include "nodes/edit_families.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/undo.h"
#include "platform/shell.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr char16_t kBadSizeMessage[] = u"数値が正しくありません。";
constexpr int kIdOk = 1;

bool InRange(int id, int first, int last) { return id >= first && id <= last; }

// Whether the node or one of its ancestors is a text box, an answer page or a labelled
// underline, or lies in an in-text answer: places where no numbering goes.
bool RefusesNumbering(const CEditNode* node)
{
    for (const CEditNode* n = node; n != nullptr; n = n->GetEditParent()) {
        if (n->IsKind(EditKind::kGai) || n->IsKind(EditKind::kKaiPage) || n->IsKind(EditKind::kKasen) ||
            n->HasKindFlags(EditKind::kInTextAnswer))
            return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The selection and the close of a formatting command

CEditNode* CVumatView::ForEachSelected(const std::function<void(CEditNode*)>& apply)
{
    int first = 0;
    int last = 0;
    CEditNode* parent = nullptr;
    if (!SelectedChildren(&first, &last, &parent))
        return nullptr;
    for (int i = first; i <= last; ++i) {
        if (CEditNode* child = parent->GetEditChild(i))
            apply(child);
    }
    return parent;
}

void CVumatView::FinishFormatting(std::unique_ptr<CUndoGroup> group, bool changed)
{
    FinishGroup(std::move(group));
    if (changed) {
        m_document.SetModifiedFlag(TRUE);
        if (CaretNode() != nullptr)
            CaretNode()->MarkPartModified(TRUE);
        // The container's picture follows at once, as after typing.
        m_document.UpdateAllItems(0);
    }
    OnUpdate(VumatHint::kAll);
}

// Runs a recorded format change over the selection as one group; a change that fails part-way
// hands what it recorded to the history, so that one undo takes it back.
void CVumatView::FormatSelectionRecorded(const std::function<void(CEditNode*, CUndoGroup*)>& apply)
{
    if (m_caret.m_anchorNode == nullptr || CaretNode() == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    bool changed = false;
    try {
        changed = ForEachSelected([&](CEditNode* child) { apply(child, group.get()); }) != nullptr;
    } catch (const CEditError&) {
        // What changed before the failure stays, as one step that takes it back.
        changed = group->GetCount() > 0;
    } catch (const std::bad_alloc&) {
        changed = group->GetCount() > 0;
    }
    FinishFormatting(std::move(group), changed);
}

// Writes a direct format change over the selection, not recorded.
void CVumatView::FormatSelectionDirect(const std::function<void(CEditNode*)>& apply)
{
    const bool changed = ForEachSelected(apply) != nullptr;
    FinishFormatting(nullptr, changed);
}

// ---------------------------------------------------------------------------------------------
// Bold and italic

void CVumatView::OnBold()
{
    LOGFONTA& typing = m_caret.m_logFont;
    typing.lfWeight = typing.lfWeight == 700 ? 400 : 700;
    const int bold = typing.lfWeight == 700 ? 1 : 0;
    FormatSelectionRecorded([bold](CEditNode* child, CUndoGroup* group) {
        if (child->IsKind(EditKind::kKan)) {
            CEditNode* base = KanbunBaseBox(child);
            if (base == nullptr)
                throw CEditError("a kanbun cell without its base box");
            ForEachChild(base, AnyNode, [&](CEditNode* node) { node->SetBold(bold, group); });
            return;
        }
        ApplyInScope(child, kCharacterScope, [&](CEditNode* node) { node->SetBold(bold, group); });
    });
}

void CVumatView::OnItalic()
{
    LOGFONTA& typing = m_caret.m_logFont;
    typing.lfItalic = typing.lfItalic ? 0 : 1;
    const int italic = typing.lfItalic;
    FormatSelectionRecorded([italic](CEditNode* child, CUndoGroup* group) {
        if (child->IsKind(EditKind::kCyukai)) {
            ForEachChild(child, AnyNode, [&](CEditNode* node) { node->SetItalic(italic, group); });
            return;
        }
        ApplyInScope(child, kCharacterScope, [&](CEditNode* node) { node->SetItalic(italic, group); });
    });
}

// ---------------------------------------------------------------------------------------------
// Lines, colours and pattern: straight into the nodes

void CVumatView::ApplyUnderline(int id)
{
    const LINE_KIND kind = kLineKinds[id - VumatCommand::kUnderlineFirst];
    FormatSelectionDirect([kind](CEditNode* child) { SetRunUnderline(child, kind.style, kind.width, nullptr); });
}

void CVumatView::OnStrikeKind(int id)
{
    const LINE_KIND kind = kLineKinds[id - VumatCommand::kStrikeFirst];
    FormatSelectionDirect([kind](CEditNode* child) {
        ApplyInScope(child, kStrikeScope, [&](CEditNode* node) {
            node->SetLineThroughStyle(kind.style, nullptr);
            node->SetLineThroughWidth(kind.width, nullptr);
        });
    });
}

void CVumatView::OnBorderKind(int id)
{
    const LINE_KIND kind = BorderLineKind(id - VumatCommand::kBorderFirst);
    m_caret.m_border.m_borderStyle = kind.style;
    m_caret.m_border.m_borderWidth = kind.width;
    FormatSelectionDirect([kind](CEditNode* child) {
        ApplyInScope(child, kBorderScope, [&](CEditNode* node) {
            node->SetBorderStyle(kind.style, nullptr);
            node->SetBorderWidth(kind.width, nullptr);
        });
    });
}

void CVumatView::OnTextColor(int id)
{
    // The selection's own range, as every other command: the nodes shown selected are coloured
    // whichever way the selection was made.
    const COLORREF color = GDI_PALETTE_COLORS[id - VumatCommand::kTextColorFirst];
    m_caret.m_color.m_color = color;
    FormatSelectionDirect([color](CEditNode* child) {
        ApplyInScope(child, kColorScope, [&](CEditNode* node) { node->SetTextColor(color, nullptr); });
    });
}

void CVumatView::OnBackColor(int id)
{
    const COLORREF color = GDI_PALETTE_COLORS[id - VumatCommand::kBackColorFirst];
    m_caret.m_border.m_backgroundColor = color;
    FormatSelectionDirect([color](CEditNode* child) {
        ApplyInScope(child, kColorScope, [&](CEditNode* node) { node->SetBackColor(color, nullptr); });
    });
}

void CVumatView::OnHatch(int id)
{
    const int hatch = kHatchValues[id - VumatCommand::kHatchFirst];
    FormatSelectionDirect([hatch](CEditNode* child) {
        ApplyInScope(child, kTextScope, [&](CEditNode* node) { node->SetHatch(hatch, nullptr); });
    });
}

// ---------------------------------------------------------------------------------------------
// Face and size from the format bar

void CVumatView::OnFontNameChange()
{
    ApplyFontName();
    if (m_hooks.focusView)
        m_hooks.focusView();
}

void CVumatView::OnFontSizeChange()
{
    ApplyFontSize();
    if (m_hooks.focusView)
        m_hooks.focusView();
}

long CVumatView::OnBarComboReturn()
{
    OnFontSizeChange();
    return 1;
}

long CVumatView::OnBarComboSelChange()
{
    UpdateFormatBar();
    return 1;
}

void CVumatView::UpdateFormatBar()
{
    if (CaretNode() == nullptr)
        return;
    if (m_hooks.selectFontName)
        m_hooks.selectFontName(m_caret.m_logFont.lfFaceName);
    if (m_hooks.setSize)
        m_hooks.setSize(std::abs(m_caret.m_logFont.lfHeight));
}

void CVumatView::ApplyFontName()
{
    LOGFONTA chosen{};
    if (!m_hooks.getFont || m_hooks.getFont(&chosen) < 0)
        return;
    LOGFONTA& typing = m_caret.m_logFont;
    CopyFontFace(&typing, chosen);
    if (m_caret.m_anchorNode == nullptr)
        return;
    // Gaiji are typed from their palette; the typing face keeps the name all the same.
    if (RefuseGaijiFace(typing.lfFaceName, kVumatCaption))
        return;
    char face[LF_FACESIZE];
    std::memcpy(face, typing.lfFaceName, sizeof face);
    FormatSelectionRecorded([&face](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kCharacterScope, [&](CEditNode* node) { node->SetFaceNameRecursive(face, 1, 1, group); });
    });
}

void CVumatView::ApplyFontSize()
{
    int size = 0;
    if (!m_hooks.getSize || !m_hooks.getSize(&size)) {
        ShellMessageBox(kBadSizeMessage, kVumatCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const int s = std::abs(size);
    LOGFONTA& typing = m_caret.m_logFont;
    typing.lfHeight = -s;
    typing.lfWidth = 0;
    int first = 0;
    int last = 0;
    CEditNode* parent = nullptr;
    if (!SelectedChildren(&first, &last, &parent))
        return;
    // The whole formula selected at the root's level makes the typing font the text default.
    const bool whole = parent == Root() && first == 0 && last + 2 >= parent->GetChildCount() &&
                       std::strstr(typing.lfFaceName, "Orvellan") == nullptr;
    if (whole)
        CDefaultFontTable::Instance().SetDefaultFont(&typing, 0);
    const SIZE newSize{0, s};
    FormatSelectionRecorded([&](CEditNode* child, CUndoGroup* group) {
        if (IsCharacter(child)) {
            child->SetFontSize(&newSize, group);
        } else if (CEditNode* base = RubyBaseOf(child)) {
            ForEachChild(base, IsTextCharacter, [&](CEditNode* c) { c->SetFontSize(&newSize, group); });
        } else if (IsFormulaContainer(child)) {
            child->SetFontSize(&newSize, group);
            if (auto* formula = dynamic_cast<IFormulaContainer*>(child))
                formula->ApplyFontSize(group);
        }
        if (whole && child == parent->GetEditChild(last)) {
            CEditNode* closing = parent->GetEditChild(parent->GetChildCount() - 1);
            if (IsLineBreak(closing))
                closing->SetLogFont(&typing, group);
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Font defaults

void CVumatView::OnFontDefault()
{
    if (!m_hooks.mathFontSheet)
        return;
    CDefaultFontTable& table = CDefaultFontTable::Instance();
    const CDefaultFontTable::Entry entries[3] = {CDefaultFontTable::Math, CDefaultFontTable::MathNumeric,
                                                 CDefaultFontTable::MathOperator};
    DEFAULT_FONT fonts[3];
    for (int i = 0; i < 3; ++i)
        fonts[i] = table.GetEntry(entries[i]);
    if (!m_hooks.mathFontSheet(fonts))
        return;
    table.SetMathFont(&fonts[0].font);
    table.SetMathItalic(fonts[0].italic);
    table.SetMathHeight(fonts[0].height);
    table.SetMathNumericFont(&fonts[1].font);
    table.SetMathNumericItalic(fonts[1].italic);
    table.SetMathNumericHeight(fonts[1].height);
    table.SetMathOperatorFont(&fonts[2].font);
    table.SetMathOperatorItalic(fonts[2].italic);
    table.SetMathOperatorHeight(fonts[2].height);
    if (m_hooks.saveSettings)
        m_hooks.saveSettings();
    // The next typed characters take the new formula face and size; the formula keeps its fonts.
    LOGFONTA math{};
    table.GetMathFont(&math);
    LOGFONTA& typing = m_caret.m_logFont;
    CopyFontFace(&typing, math);
    const int height = std::abs(table.GetMathHeight());
    if (m_hooks.selectFontName)
        m_hooks.selectFontName(typing.lfFaceName);
    if (m_hooks.setSize)
        m_hooks.setSize(height);
    typing.lfHeight = -height;
    typing.lfWidth = 0;
    ShowCaretAndIme();
}

// ---------------------------------------------------------------------------------------------
// Underline numbering

INumberingDefaults& CVumatView::NumberingDefaults()
{
    if (m_hooks.numberingDefaults != nullptr)
        return *m_hooks.numberingDefaults;
    return m_ownNumberingDefaults;
}

bool CVumatView::NumberingAllowed() const
{
    CEditNode* node = CaretNode();
    if (node == nullptr || m_caret.m_anchorNode == nullptr || RefusesNumbering(node))
        return false;
    CCaret caret = m_caret;
    int first = 0;
    int last = 0;
    return CEditNode::GetSelectionRange(&caret, &first, &last) != FALSE;
}

bool CVumatView::NumberingTest(bool forRemoval) const
{
    if (!NumberingAllowed())
        return false;
    const CEditNode* parent = CaretNode()->GetEditParent();
    if (parent == nullptr)
        return false;
    CCaret caret = m_caret;
    int first = 0;
    int last = 0;
    CEditNode::GetSelectionRange(&caret, &first, &last);
    bool numbered = false;
    for (int i = first; i <= last; ++i) {
        const CEditNode* child = parent->GetEditChild(i);
        if (child == nullptr)
            continue;
        // Only a closing line break may end the run.
        if (IsLineBreak(child) && !(i == last && i > 0)) {
            if (!forRemoval)
                return false;
            continue;
        }
        if (IsLineBreak(child))
            continue;
        if (child->Numbering().m_renbanType > RenbanType::kNone)
            numbered = true;
    }
    return forRemoval ? numbered : true;
}

void CVumatView::InsertUnderlineNumbers(const CKasenRenbanProperties* numbering, const CCharacterProperties* underline)
{
    if (!NumberingAllowed())
        return;
    CKasenRenbanProperties defaults;
    CCharacterProperties defaultUnderline;
    NumberingDefaults().GetNumberingDefaults(&defaults, &defaultUnderline);
    const CCharacterProperties& line = underline != nullptr ? *underline : defaultUnderline;
    const CKasenRenbanProperties& values = numbering != nullptr ? *numbering : defaults;
    const int force = numbering != nullptr ? numbering->m_renbanForce : -1;
    const CStringW empty;
    ChangeNumbering([&](CEditNode* child) {
        child->SetBangoType(values.m_renbanType, nullptr);
        child->SetBangoFontFamily(values.m_renbanFace, nullptr);
        child->SetBangoFontSize(values.m_renbanSize, nullptr);
        child->SetBangoForce(force, nullptr);
        child->SetBangoString(values.m_renbanType == RenbanType::kString ? values.m_renbanString : empty, nullptr);
        SetRunUnderline(child, line.m_underlineStyle, line.m_underlineWidth, nullptr, false);
    });
}

void CVumatView::OnRemoveUnderlineNumber()
{
    if (!NumberingAllowed())
        return;
    ChangeNumbering([](CEditNode* child) {
        child->SetBangoType(0, nullptr);
        SetRunUnderline(child, 0, 0, nullptr, false);
    });
}

void CVumatView::ChangeNumbering(const std::function<void(CEditNode*)>& apply)
{
    int first = 0;
    int last = 0;
    CEditNode* parent = nullptr;
    if (!SelectedChildren(&first, &last, &parent))
        return;
    m_caret.ClearSelection();
    for (int i = first; i <= last; ++i) {
        CEditNode* child = parent->GetEditChild(i);
        if (child == nullptr)
            continue;
        child->MarkDirty();
        if (!IsLineBreak(child))
            apply(child);
    }
    m_document.SetModifiedFlag(TRUE);
    if (CaretNode() != nullptr)
        CaretNode()->MarkPartModified(TRUE);
    m_document.UpdateAllItems(0);
    UpdateCaret(TRUE);
    OnUpdate(VumatHint::kAll);
}

void CVumatView::OnUnderlineNumberSettings()
{
    CEditNode* source = nullptr;
    int first = 0;
    int last = 0;
    CEditNode* parent = nullptr;
    if (NumberingAllowed() && SelectedChildren(&first, &last, &parent)) {
        source = parent->GetEditChild(first);
        if (source == nullptr || source->Numbering().m_renbanType <= RenbanType::kNone)
            source = parent->GetEditChild(last);
    }
    CKasenRenbanProperties numbering;
    CCharacterProperties underline;
    if (source != nullptr && source->Numbering().m_renbanType > RenbanType::kNone)
        NumberingOfNode(*source, &numbering, &underline);
    else
        NumberingDefaults().GetNumberingDefaults(&numbering, &underline);
    if (RunUnderlineNumberDialog(source == nullptr ? 1 : 0, &numbering, &underline) != kIdOk)
        return;
    InsertUnderlineNumbers(&numbering, &underline);
    if (numbering.m_renbanType != RenbanType::kString) {
        numbering.m_renbanForce = -1;
        numbering.m_renbanString.Empty();
        NumberingDefaults().SetNumberingDefaults(numbering, underline);
    }
}

int CVumatView::RunUnderlineNumberDialog(int defaultsOnly, CKasenRenbanProperties* numbering,
                                         CCharacterProperties* underline)
{
    if (!m_hooks.underlineNumber)
        return 0;
    UNDERLINE_NUMBER_VALUES values = NumberingToDialog(defaultsOnly, *numbering, *underline);
    const int result = m_hooks.underlineNumber(&values);
    if (result == kIdOk)
        NumberingFromDialog(values, numbering, underline);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Routing

bool CVumatView::UpdateEditingCommand(int id, VUMAT_COMMAND_STATE* state) const
{
    using namespace VumatCommand;
    const LOGFONTA& typing = m_caret.m_logFont;
    // The node whose lines the underline and line-through buttons show.
    auto shown = [this]() -> const CEditNode* {
        CEditNode* node = CaretNode();
        if (node == nullptr)
            return nullptr;
        CEditNode* before = CEditNode::FromNode(node->GetPrevSibling());
        return before != nullptr ? before : node;
    };
    if (IsFormulaTemplateCommand(id)) {
        state->enabled = true;
        return true;
    }
    switch (id) {
    case kEditCopy:
    case kEditCut: state->enabled = m_caret.m_anchorNode != nullptr; return true;
    case kSelectAll: state->enabled = CaretNode() != nullptr; return true;
    case kEditPaste:
    case kEditUndo:
    case kEditRedo:
    case kTextColorButton:
    case kHatchButton:
    case kBackColorButton:
    case kFontDefault:
    case kUnderlineNumberSettings:
    case kFontNameBox:
    case kFontSizeBox: state->enabled = true; return true;
    case kBold:
        state->enabled = true;
        state->check = typing.lfWeight > 400 ? 1 : 0;
        return true;
    case kItalic:
        state->enabled = true;
        state->check = typing.lfItalic != 0 ? 1 : 0;
        return true;
    case kUnderlineButton: {
        const CEditNode* node = shown();
        state->enabled = true;
        state->check = node != nullptr && node->CharacterRecord().m_underlineStyle != 0 ? 1 : 0;
        return true;
    }
    case kStrikeButton: {
        const CEditNode* node = shown();
        state->enabled = true;
        state->check = node != nullptr && node->CharacterRecord().m_lineThroughStyle != 0 ? 1 : 0;
        return true;
    }
    case kBorderButton:
        state->enabled = true;
        state->check = m_caret.m_border.m_borderStyle != 0 ? 1 : 0;
        return true;
    case kInsertUnderlineNumber: state->enabled = NumberingTest(false); return true;
    case kRemoveUnderlineNumber: state->enabled = NumberingTest(true); return true;
    default: break;
    }
    if (InRange(id, kUnderlineFirst, kUnderlineLast) || InRange(id, kStrikeFirst, kStrikeLast) ||
        InRange(id, kBorderFirst, kBorderLast) || InRange(id, kTextColorFirst, kTextColorLast) ||
        InRange(id, kBackColorFirst, kBackColorLast) || InRange(id, kHatchFirst, kHatchLast)) {
        state->enabled = true;
        return true;
    }
    return false;
}

bool CVumatView::RunEditingCommand(int id)
{
    using namespace VumatCommand;
    if (IsFormulaTemplateCommand(id)) {
        OnInsertTemplate(id);
        return true;
    }
    switch (id) {
    case kEditCopy: OnEditCopy(); return true;
    case kEditCut: OnEditCut(); return true;
    case kEditPaste: OnEditPaste(); return true;
    case kEditUndo: OnEditUndo(); return true;
    case kEditRedo: OnEditRedo(); return true;
    case kSelectAll: OnEditSelectAll(); return true;
    case kFontNameBox: OnFontNameChange(); return true;
    case kFontSizeBox: OnFontSizeChange(); return true;
    case kBold: OnBold(); return true;
    case kItalic: OnItalic(); return true;
    case kFontDefault: OnFontDefault(); return true;
    case kInsertUnderlineNumber: InsertUnderlineNumbers(nullptr, nullptr); return true;
    case kUnderlineNumberSettings: OnUnderlineNumberSettings(); return true;
    case kRemoveUnderlineNumber: OnRemoveUnderlineNumber(); return true;
    default: break;
    }
    if (InRange(id, kUnderlineFirst, kUnderlineLast)) ApplyUnderline(id);
    else if (InRange(id, kStrikeFirst, kStrikeLast)) OnStrikeKind(id);
    else if (InRange(id, kBorderFirst, kBorderLast)) OnBorderKind(id);
    else if (InRange(id, kTextColorFirst, kTextColorLast)) OnTextColor(id);
    else if (InRange(id, kBackColorFirst, kBackColorLast)) OnBackColor(id);
    else if (InRange(id, kHatchFirst, kHatchLast)) OnHatch(id);
    else return false;
    return true;
}
