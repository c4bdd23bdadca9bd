// The formatting setters of every node, and font and size application to a node and its
// subtree. Each setter makes its change through the property table of the undo replay, which
// records the old and the new value in the command's undo group (when one is given) before it
// changes the node and marks the node dirty when measuring depends on the field.
#include "nodes/edit_node.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/caret.h"
#include "nodes/edit_families.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kGaijiFace = "Orvellan Gaiji";

bool HasGaijiFace(const CEditNode* node)
{
    return FaceNameView(node->m_lf.lfFaceName).find(kGaijiFace) != std::string_view::npos;
}

void ApplyFormulaSize(CEditNode* node, CUndoGroup* group)
{
    if (auto* formula = dynamic_cast<IFormulaContainer*>(node))
        formula->ApplyFontSize(group);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Setters

void CEditNode::SetFontSize(const SIZE* size, CUndoGroup* group)
{
    if (size == nullptr)
        return;
    UNDO_VALUE value;
    value.pair = *size;
    SetNodeProperty(*this, UndoCode::kFontSize, value, group);
}

void CEditNode::SetBold(int bold, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBold, bold ? FW_BOLD : FW_NORMAL, group);
}

void CEditNode::SetItalic(int italic, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kItalic, italic, group);
}

void CEditNode::SetTextColor(COLORREF color, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kTextColor, static_cast<int>(color), group);
}

void CEditNode::SetBackColor(COLORREF color, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBackColor, static_cast<int>(color), group);
}

void CEditNode::SetHatch(int hatch, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kHatch, hatch, group);
}

void CEditNode::SetFlatBody(int flat, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kFlatBody, flat ? 2 : 0, group);
}

void CEditNode::SetLongBody(int narrow, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kLongBody, narrow ? 1 : 0, group);
}

void CEditNode::SetSubscript(int subscript, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kSubscript, subscript ? 1 : 0, group);
}

void CEditNode::SetSuperscript(int superscript, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kSuperscript, superscript ? 2 : 0, group);
}

void CEditNode::SetLogFont(const LOGFONTA* font, CUndoGroup* group)
{
    if (font == nullptr)
        return;
    UNDO_VALUE value;
    value.font = *font;
    SetNodeProperty(*this, UndoCode::kLogFont, value, group);
}

void CEditNode::SetUnderlineStyle(int style, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kUnderlineStyle, style, group);
}

void CEditNode::SetUnderlineWidth(int width, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kUnderlineWidth, width, group);
}

void CEditNode::SetLineThroughStyle(int style, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kLineThroughStyle, style, group);
}

void CEditNode::SetLineThroughWidth(int width, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kLineThroughWidth, width, group);
}

void CEditNode::SetBorderStyle(int style, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBorderStyle, style, group);
}

void CEditNode::SetBorderWidth(int width, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBorderWidth, width, group);
}

void CEditNode::SetKanUnderlineStyle(int style, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kKanUnderlineStyle, style, group);
}

void CEditNode::SetKanUnderlineWidth(int width, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kKanUnderlineWidth, width, group);
}

void CEditNode::SetBoxUnderlineStyle(int style, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBoxUnderlineStyle, style, group);
}

void CEditNode::SetBoxUnderlineWidth(int width, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBoxUnderlineWidth, width, group);
}

void CEditNode::SetBangoType(int type, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBangoType, type, group);
}

void CEditNode::SetBangoFontSize(int size, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBangoFontSize, size, group);
}

void CEditNode::SetBangoFontFamily(const char* face, CUndoGroup* group)
{
    // The field holds 31 bytes and its terminator: a longer face is cut on a character boundary,
    // and the face recorded as new is the one stored.
    char stored[LF_FACESIZE];
    CopyFaceName(stored, face != nullptr ? std::string_view(face) : std::string_view());
    UNDO_VALUE value;
    value.text = FaceNameView(stored);
    SetNodeProperty(*this, UndoCode::kBangoFontFamily, value, group);
}

void CEditNode::SetBangoForce(int number, CUndoGroup* group)
{
    SetNodeProperty(*this, UndoCode::kBangoForce, number, group);
}

void CEditNode::SetBangoString(const CStringW& text, CUndoGroup* group)
{
    UNDO_VALUE value;
    value.wideText = &text;
    SetNodeProperty(*this, UndoCode::kBangoString, value, group);
}

BOOL CEditNode::SetFaceName(const char* face, CUndoGroup* group)
{
    LOGFONTA installed{};
    if (face == nullptr || !FindInstalledFont(face, &installed))
        return FALSE;
    UNDO_VALUE value;
    value.font = installed;
    SetNodeProperty(*this, UndoCode::kFaceName, value, group);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Subtrees

void CEditNode::SetFontSizeRecursive(const SIZE* size, int setSelf, CUndoGroup* group)
{
    if (setSelf)
        SetFontSize(size, group);
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child != nullptr && child->HasKindFlags(EditKind::kEditNodeBit))
            child->SetFontSizeRecursive(size, 1, group);
    }
}

void CEditNode::SetFaceNameRecursive(const char* face, int setSelf, int keepGaiji, CUndoGroup* group)
{
    if (setSelf && !(keepGaiji && HasGaijiFace(this)))
        SetFaceName(face, group);
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child != nullptr && child->HasKindFlags(EditKind::kEditNodeBit))
            child->SetFaceNameRecursive(face, 1, keepGaiji, group);
    }
}

void CEditNode::SetSizeRecursive(const SIZE* size, int setSelf, CUndoGroup* group)
{
    if (setSelf) {
        SetFontSize(size, group);
        if (IsFormulaContainer(this))
            ApplyFormulaSize(this, group);
    }
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        child->SetFontSize(size, group);
        if (IsFormulaContainer(child))
            ApplyFormulaSize(child, group);
        else
            child->SetSizeRecursive(size, 1, group);
    }
}

void CEditNode::ApplyDefaultFonts(CDefaultFontTable* table, CUndoGroup* group)
{
    if (table == nullptr)
        return;
    if (!HasKindFlags(EditKind::kCharacter) || GetText().IsEmpty()) {
        for (int i = 0; i < GetChildCount(); ++i) {
            if (CEditNode* child = GetEditChild(i))
                child->ApplyDefaultFonts(table, group);
        }
        return;
    }
    // The entry by the first character and where it stands: formula letters, digits and
    // operators, or text, half-width text and digits (the horizontal entries in both directions).
    const char16_t c = GetText().GetAt(0);
    const bool ascii = c < 0x80;
    CDefaultFontTable::Entry entry;
    if (IsFormulaNode(GetEditParent())) {
        entry = CDefaultFontTable::MathOperator;
        if (ascii) {
            const CStringW one(c);
            entry = IsQuoteOrLetter(one) ? CDefaultFontTable::Math : CDefaultFontTable::MathNumeric;
            CStringW operatorForm(c);
            ToFullWidthOperator(operatorForm);
            if (IsOperatorChar(operatorForm))
                entry = CDefaultFontTable::MathOperator;
        }
    } else if (!ascii) {
        entry = CDefaultFontTable::Default;
    } else if (c >= u'0' && c <= u'9') {
        entry = CDefaultFontTable::Numeric;
    } else {
        entry = CDefaultFontTable::Hankaku;
    }
    if (HasGaijiFace(this))
        return;
    const DEFAULT_FONT& font = table->GetEntry(entry);
    const std::string face(FaceNameView(font.font.lfFaceName));
    SetFaceName(face.c_str(), group);
    SetItalic(font.italic, group);
}

void CEditNode::ApplyDefaultSizes(CDefaultFontTable* table, CUndoGroup* group)
{
    if (table == nullptr)
        return;
    // Text takes the text height, anything inside a formula the formula height.
    auto heightFor = [table](const CEditNode* node) {
        return IsFormulaNode(node->GetEditParent()) ? table->GetMathHeight() : table->GetDefaultHeight();
    };
    const SIZE own{0, heightFor(this)};
    SetFontSize(&own, group);
    if (HasKindFlags(EditKind::kCharacter) && !GetText().IsEmpty())
        return;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        const SIZE size{0, heightFor(child)};
        child->SetFontSize(&size, group);
        if (!IsFormulaNode(child)) {
            const SIZE text{0, table->GetDefaultHeight()};
            child->SetSizeRecursive(&text, 1, group);
        } else if (IsFormulaContainer(child)) {
            ApplyFormulaSize(child, group);
        } else {
            const SIZE math{0, table->GetMathHeight()};
            child->SetSizeRecursive(&math, 1, group);
        }
    }
}

void CEditNode::SetFontOfSelection(CCaret* caret, LOGFONTA* font)
{
    int first = 0;
    int last = 0;
    if (font == nullptr || !GetSelectionRange(caret, &first, &last))
        return;
    CEditNode* parent = caret->m_caretNode->GetEditParent();
    if (parent == nullptr)
        return;
    for (int i = first; i <= last; ++i) {
        if (CEditNode* child = parent->GetEditChild(i))
            child->SetLogFont(font, nullptr);
    }
}
