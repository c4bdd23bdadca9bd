// The character commands of the format bar, its pickers and the format menu: face and size from
// the bar's boxes, bold, italic, underline, strike-through, colours, hatching, long and flat
// body, sub- and superscript, the border, and the paragraph alignments. A command with a typing
// field sets it first, so the next typed character gets the value; with a selection it sets the
// value on the selected nodes that its scope admits, as one undo group, and lays the paper out once.
#include "view/edit_view_controller.h"

#include "base/gdi_cache.h"
#include "nodes/character_formats.h"
#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_families.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/undo.h"
#include "platform/shell.h"
#include "view/caret_context.h"

#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

constexpr char16_t kBadSizeMessage[] = u"数値が正しくありません。";

// Bold and italic reach into kanbun cells and in-text answers too.
constexpr CHAR_SCOPE kBoldScope{IsAnyCharacter, IsTextCharacter, true, true};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Toggles

void CEditViewController::OnBold()
{
    LOGFONTA& typing = m_caret.m_logFont;
    const int bold = typing.lfWeight != 700 ? 1 : 0;
    typing.lfWeight = bold ? 700 : 400;
    m_caret.m_font.m_fontWeight = typing.lfWeight;
    FormatSelection([bold](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kBoldScope, [&](CEditNode* node) { node->SetBold(bold, group); });
    });
}

void CEditViewController::OnItalic()
{
    LOGFONTA& typing = m_caret.m_logFont;
    typing.lfItalic = typing.lfItalic ? 0 : 1;
    m_caret.m_font.m_fontItalic = typing.lfItalic;
    const int italic = typing.lfItalic;
    FormatSelection([italic](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kBoldScope, [&](CEditNode* node) { node->SetItalic(italic, group); });
    });
}

void CEditViewController::OnLongBody()
{
    int& mode = m_caret.m_font.m_fontWidth;
    const int on = mode != 1 ? 1 : 0;
    mode = on ? 1 : 0;
    FormatSelection([on](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kTextScope, [&](CEditNode* node) { node->SetLongBody(on, group); });
    });
}

void CEditViewController::OnFlatBody()
{
    int& mode = m_caret.m_font.m_fontWidth;
    const int on = mode != 2 ? 1 : 0;
    mode = on ? 2 : 0;
    FormatSelection([on](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kTextScope, [&](CEditNode* node) { node->SetFlatBody(on, group); });
    });
}

void CEditViewController::OnSubscript()
{
    int& position = m_caret.m_alignment.m_scriptPosition;
    const int on = position != 1 ? 1 : 0;
    position = on ? 1 : 0;
    FormatSelection([on](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kTextScope, [&](CEditNode* node) { node->SetSubscript(on, group); });
    });
}

void CEditViewController::OnSuperscript()
{
    int& position = m_caret.m_alignment.m_scriptPosition;
    const int on = position != 2 ? 1 : 0;
    position = on ? 2 : 0;
    FormatSelection([on](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kTextScope, [&](CEditNode* node) { node->SetSuperscript(on, group); });
    });
}

// ---------------------------------------------------------------------------------------------
// Lines, colours and hatching

void CEditViewController::ApplyUnderline(int id)
{
    const LINE_KIND kind = kLineKinds[id - ViewCommand::kUnderlineFirst];
    // Taking the underline away takes its numbering with it.
    const bool clearsNumbering = kind.style == 0;
    auto finish = [&](CEditNode* node, CUndoGroup* group) {
        if (clearsNumbering)
            node->SetBangoType(0, group);
    };
    FormatSelection([&](CEditNode* child, CUndoGroup* group) {
        auto underlineChar = [&](CEditNode* node) {
            node->SetUnderlineStyle(kind.style, group);
            node->SetUnderlineWidth(kind.width, group);
            finish(node, group);
        };
        auto underlineBox = [&](CEditNode* node) {
            node->SetBoxUnderlineStyle(kind.style, group);
            node->SetBoxUnderlineWidth(kind.width, group);
            finish(node, group);
        };
        if (IsCharacter(child)) {
            underlineChar(child);
        } else if (CEditNode* base = RubyBaseOf(child)) {
            underlineBox(child);
            ForEachChild(base, IsAnyCharacter, underlineChar);
        } else if (child->IsKind(EditKind::kKan)) {
            child->SetKanUnderlineStyle(kind.style, group);
            child->SetKanUnderlineWidth(kind.width, group);
            finish(child, group);
        } else if (child->HasKindFlags(EditKind::kContainer | EditKind::kFormula)) {
            underlineBox(child);
        }
    });
}

void CEditViewController::OnStrikeKind(int id)
{
    const LINE_KIND kind = kLineKinds[id - ViewCommand::kStrikeFirst];
    FormatSelection([kind](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kStrikeScope, [&](CEditNode* node) {
            node->SetLineThroughStyle(kind.style, group);
            node->SetLineThroughWidth(kind.width, group);
        });
    });
}

void CEditViewController::OnBorderKind(int id)
{
    const LINE_KIND kind = BorderLineKind(id - ViewCommand::kBorderFirst);
    m_caret.m_border.m_borderStyle = kind.style;
    m_caret.m_border.m_borderWidth = kind.width;
    FormatSelection([kind](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kBorderScope, [&](CEditNode* node) {
            node->SetBorderStyle(kind.style, group);
            node->SetBorderWidth(kind.width, group);
        });
    });
}

void CEditViewController::OnTextColor(int id)
{
    // The same range as every other character command: one selected node is coloured wherever
    // it stands among its siblings.
    const COLORREF color = GDI_PALETTE_COLORS[id - ViewCommand::kTextColorFirst];
    m_caret.m_color.m_color = color;
    FormatSelection([color](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kColorScope, [&](CEditNode* node) { node->SetTextColor(color, group); });
    });
}

void CEditViewController::OnBackColor(int id)
{
    const COLORREF color = GDI_PALETTE_COLORS[id - ViewCommand::kBackColorFirst];
    m_caret.m_border.m_backgroundColor = color;
    FormatSelection([color](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kColorScope, [&](CEditNode* node) { node->SetBackColor(color, group); });
    });
}

void CEditViewController::OnHatch(int id)
{
    const int hatch = kHatchValues[id - ViewCommand::kHatchFirst];
    FormatSelection([hatch](CEditNode* child, CUndoGroup* group) {
        ApplyInScope(child, kTextScope, [&](CEditNode* node) { node->SetHatch(hatch, group); });
    });
}

// ---------------------------------------------------------------------------------------------
// Face and size from the format bar

void CEditViewController::OnFontNameChange()
{
    ApplyFontName();
    m_host.FocusView();
}

void CEditViewController::OnFontSizeChange()
{
    ApplyFontSize();
    m_host.FocusView();
}

void CEditViewController::OnBarComboReturn() { OnFontSizeChange(); }

void CEditViewController::OnBarComboSelChange() { UpdateFormatBar(); }

void CEditViewController::UpdateFormatBar()
{
    if (CaretNode() == nullptr)
        return;
    if (m_formatBar.selectFontName)
        m_formatBar.selectFontName(m_caret.m_logFont.lfFaceName);
    if (m_formatBar.setSize)
        m_formatBar.setSize(std::abs(m_caret.m_logFont.lfHeight));
}

void CEditViewController::ApplyFontName()
{
    LOGFONTA chosen{};
    if (!m_formatBar.getFont || m_formatBar.getFont(&chosen) < 0)
        return;
    LOGFONTA& typing = m_caret.m_logFont;
    CopyFontFace(&typing, chosen);
    if (m_caret.m_anchorNode == nullptr)
        return;
    // Gaiji are typed from their palette; the typing face keeps the name all the same.
    if (RefuseGaijiFace(typing.lfFaceName, kMessageCaption))
        return;
    char face[LF_FACESIZE];
    std::memcpy(face, typing.lfFaceName, sizeof face);
    FormatSelection([&face](CEditNode* child, CUndoGroup* group) {
        if (IsCharacter(child) || child->IsKind(EditKind::kKan) || child->IsKind(EditKind::kCyukai)) {
            child->SetFaceNameRecursive(face, 1, 1, group);
        } else if (CEditNode* base = RubyBaseOf(child)) {
            ForEachChild(base, IsTextCharacter,
                         [&](CEditNode* node) { node->SetFaceNameRecursive(face, 1, 1, group); });
        }
    });
}

void CEditViewController::ApplyFontSize()
{
    int size = 0;
    if (!m_formatBar.getSize || !m_formatBar.getSize(&size)) {
        ShellMessageBox(kBadSizeMessage, kMessageCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const int s = std::abs(size);
    LOGFONTA& typing = m_caret.m_logFont;
    typing.lfHeight = -s;
    typing.lfWidth = 0;
    CEditNode* node = CaretNode();
    if (node == nullptr || m_caret.m_anchorNode == nullptr)
        return;
    int first = 0;
    int last = 0;
    CEditNode* parent = node->GetEditParent();
    if (!CEditNode::GetSelectionRange(&m_caret, &first, &last) || parent == nullptr)
        return;
    // A selection of a whole question part, its closing line break aside, makes the typing font
    // at the new size the default text font.
    const bool wholePart = parent->IsKind(EditKind::kSentence) && first == 0 && last + 2 >= parent->GetChildCount() &&
                           std::strstr(typing.lfFaceName, "Orvellan") == nullptr;
    if (wholePart) {
        CDefaultFontTable& defaults = CDefaultFontTable::Instance();
        defaults.SetDefaultFont(&typing, m_displayMap.IsVertical());
        // Kept as a magnitude, as every reader of the default height and the font sheet expect.
        defaults.SetDefaultHeight(s);
    }
    const SIZE newSize{0, s};
    auto group = std::make_unique<CUndoGroup>();
    try {
        for (int i = first; i <= last; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            if (child == nullptr)
                continue;
            if (IsCharacter(child)) {
                child->SetFontSize(&newSize, group.get());
            } else if (CEditNode* base = RubyBaseOf(child)) {
                ForEachChild(base, IsTextCharacter, [&](CEditNode* c) { c->SetFontSize(&newSize, group.get()); });
            } else if (IsFormulaContainer(child)) {
                child->SetFontSize(&newSize, group.get());
                if (auto* formula = dynamic_cast<IFormulaContainer*>(child))
                    formula->ApplyFontSize(group.get());
            } else if (child->IsKind(EditKind::kKan)) {
                ForEachChild(KanbunBaseBox(child), AnyNode, [&](CEditNode* c) { c->SetFontSize(&newSize, group.get()); });
                if (auto* cell = dynamic_cast<CEditKan*>(child))
                    cell->SetSatelliteSizes(group.get());
            } else {
                child->SetSizeRecursive(&newSize, 1, group.get());
            }
        }
        CEditNode* closing = parent->GetEditChild(parent->GetChildCount() - 1);
        if (wholePart && IsLineBreak(closing))
            closing->SetLogFont(&typing, group.get());
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    FinishFormatting(std::move(group));
}

// ---------------------------------------------------------------------------------------------
// Paragraph alignment

void CEditViewController::ApplyAlignment(int id)
{
    int value = 0;
    switch (id) {
    case ViewCommand::kAlignCenter: value = 1; break;
    case ViewCommand::kAlignRight:
    case ViewCommand::kAlignBottom: value = 2; break;
    case ViewCommand::kJustify: value = 3; break;
    case ViewCommand::kDistribute: value = 4; break;
    case ViewCommand::kBullets: value = 5; break;
    default: value = 0; break;
    }
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    if (value == 0 && !CaretContextAllows(m_caret, CaretContext::QuestionPart))
        return;
    CEditNode* parent = node->GetEditParent();
    auto* container = parent != nullptr && parent->HasKindFlags(EditKind::kContainer)
                          ? dynamic_cast<CEditContainer*>(parent)
                          : nullptr;
    auto group = std::make_unique<CUndoGroup>();
    bool changed = false;
    // Each paragraph changes once, through the line break that ends it.
    auto align = [&](CEditNode* lineBreak) {
        auto* cr = dynamic_cast<CEditCR*>(lineBreak);
        if (cr == nullptr || cr->m_textAlign == value)
            return;
        cr->SetTextAlign(value, group.get());
        changed = true;
    };
    try {
        if (container == nullptr) {
            // Nothing to align outside a container.
        } else if (m_caret.m_anchorNode != nullptr) {
            int first = 0;
            int last = 0;
            if (CEditNode::GetSelectionRange(&m_caret, &first, &last)) {
                CEditNode* previous = nullptr;
                for (int i = first; i <= last; ++i) {
                    CEditNode* child = container->GetEditChild(i);
                    if (!IsCharacter(child))
                        continue;
                    CEditNode* lineBreak = container->FindLineBreakFrom(child);
                    if (lineBreak == nullptr || lineBreak == previous)
                        continue;
                    previous = lineBreak;
                    align(lineBreak);
                }
            }
        } else {
            align(container->FindLineBreakFrom(node));
        }
    } catch (const std::exception&) {
        // What changed before the failure stays, as one step that takes it back.
    }
    FinishChange(std::move(group));
    if (!changed)
        return;
    // However many paragraphs changed, the paper is laid out once.
    m_document.SetModifiedFlag(true);
    node->MarkPartModified(TRUE);
    OnUpdate(UpdateHint::kAll);
}
