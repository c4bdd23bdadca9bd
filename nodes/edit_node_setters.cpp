// The formatting setters of every node, and font and size application to a node and its
// subtree. Each setter records the old and the new value in the command's undo group (when one
// is given) before it changes the node; a setter of what measuring depends on marks the node
// dirty, the others change only drawing.
#include "nodes/edit_node.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/caret.h"
#include "nodes/edit_families.h"
#include "nodes/undo.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kGaijiFace = "Orvellan Gaiji";

bool HasGaijiFace(const CEditNode* node)
{
    return FaceNameView(node->m_lf.lfFaceName).find(kGaijiFace) != std::string_view::npos;
}

bool IsFormulaNode(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kFormula);
}

bool IsFormulaContainer(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kFormula) && node->HasKindFlags(EditKind::kContainer);
}

void ApplyFormulaSize(CEditNode* node, CUndoGroup* group)
{
    if (auto* formula = dynamic_cast<IFormulaContainer*>(node))
        formula->ApplyFontSize(group);
}

// Records an int property and stores it.
void SetIntProperty(CEditNode* node, int code, int32_t& field, int value, CUndoGroup* group, bool dirty)
{
    if (group != nullptr)
        group->RecordInt(code, node, field, value);
    field = value;
    if (dirty)
        node->m_dirty = 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Setters

void CEditNode::SetFontSize(const SIZE* size, CUndoGroup* group)
{
    if (size == nullptr)
        return;
    if (group != nullptr) {
        const SIZE old{m_lf.lfWidth, m_lf.lfHeight};
        group->RecordPair(UndoCode::kFontSize, this, &old, size);
    }
    m_lf.lfWidth = size->cx;
    m_lf.lfHeight = size->cy > 0 ? -size->cy : size->cy;
    m_dirty = 1;
}

void CEditNode::SetBold(int bold, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBold, m_lf.lfWeight, bold ? FW_BOLD : FW_NORMAL, group, true);
}

void CEditNode::SetItalic(int italic, CUndoGroup* group)
{
    if (group != nullptr)
        group->RecordInt(UndoCode::kItalic, this, m_lf.lfItalic, italic);
    m_lf.lfItalic = static_cast<BYTE>(italic & 0xFF);
    m_dirty = 1;
}

void CEditNode::SetTextColor(COLORREF color, CUndoGroup* group)
{
    if (group != nullptr)
        group->RecordInt(UndoCode::kTextColor, this, static_cast<int>(m_color), static_cast<int>(color));
    m_color = color;
}

void CEditNode::SetBackColor(COLORREF color, CUndoGroup* group)
{
    if (group != nullptr)
        group->RecordInt(UndoCode::kBackColor, this, static_cast<int>(m_backgroundColor), static_cast<int>(color));
    m_backgroundColor = color;
}

void CEditNode::SetHatch(int hatch, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kHatch, m_backgroundPattern, hatch, group, false);
}

void CEditNode::SetFlatBody(int flat, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kFlatBody, m_fontWidth, flat ? 2 : 0, group, true);
}

void CEditNode::SetLongBody(int narrow, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kLongBody, m_fontWidth, narrow ? 1 : 0, group, true);
}

void CEditNode::SetSubscript(int subscript, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kSubscript, m_scriptPosition, subscript ? 1 : 0, group, true);
}

void CEditNode::SetSuperscript(int superscript, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kSuperscript, m_scriptPosition, superscript ? 2 : 0, group, true);
}

void CEditNode::SetLogFont(const LOGFONTA* font, CUndoGroup* group)
{
    if (font == nullptr)
        return;
    if (group != nullptr)
        group->RecordLogFont(UndoCode::kLogFont, this, &m_lf, font);
    m_lf = *font;
    m_dirty = 1;
}

void CEditNode::SetUnderlineStyle(int style, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kUnderlineStyle, m_underlineStyle, style, group, false);
}

void CEditNode::SetUnderlineWidth(int width, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kUnderlineWidth, m_underlineWidth, width, group, false);
}

void CEditNode::SetLineThroughStyle(int style, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kLineThroughStyle, m_lineThroughStyle, style, group, false);
}

void CEditNode::SetLineThroughWidth(int width, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kLineThroughWidth, m_lineThroughWidth, width, group, false);
}

void CEditNode::SetBorderStyle(int style, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBorderStyle, m_borderStyle, style, group, false);
}

void CEditNode::SetBorderWidth(int width, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBorderWidth, m_borderWidth, width, group, false);
}

void CEditNode::SetKanUnderlineStyle(int style, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kKanUnderlineStyle, m_beforeStyle, style, group, false);
}

void CEditNode::SetKanUnderlineWidth(int width, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kKanUnderlineWidth, m_beforeWidth, width, group, false);
}

void CEditNode::SetBoxUnderlineStyle(int style, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBoxUnderlineStyle, m_afterStyle, style, group, false);
}

void CEditNode::SetBoxUnderlineWidth(int width, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBoxUnderlineWidth, m_afterWidth, width, group, false);
}

void CEditNode::SetBangoType(int type, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBangoType, m_renbanType, type, group, true);
}

void CEditNode::SetBangoFontSize(int size, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBangoFontSize, m_renbanSize, size, group, true);
}

void CEditNode::SetBangoFontFamily(const char* face, CUndoGroup* group)
{
    // The field holds 31 bytes and its terminator: a longer face is cut on a character boundary,
    // and the face recorded as new is the one stored.
    char stored[LF_FACESIZE];
    CopyFaceName(stored, face != nullptr ? std::string_view(face) : std::string_view());
    if (group != nullptr) {
        const std::string old(FaceNameView(m_renbanFace));
        group->RecordString(UndoCode::kBangoFontFamily, this, old.c_str(), stored);
    }
    std::memcpy(m_renbanFace, stored, sizeof(stored));
    m_dirty = 1;
}

void CEditNode::SetBangoForce(int number, CUndoGroup* group)
{
    SetIntProperty(this, UndoCode::kBangoForce, m_renbanForce, number, group, true);
}

void CEditNode::SetBangoString(const CStringW& text, CUndoGroup* group)
{
    if (group != nullptr)
        group->RecordWString(UndoCode::kBangoString, this, m_renbanString, text);
    m_renbanString = text;
    m_dirty = 1;
}

BOOL CEditNode::SetFaceName(const char* face, CUndoGroup* group)
{
    LOGFONTA installed{};
    if (face == nullptr || !FindInstalledFont(face, &installed))
        return FALSE;
    if (group != nullptr)
        group->RecordLogFont(UndoCode::kFaceName, this, &m_lf, &installed);
    m_lf.lfCharSet = installed.lfCharSet;
    m_lf.lfOutPrecision = installed.lfOutPrecision;
    m_lf.lfClipPrecision = installed.lfClipPrecision;
    m_lf.lfQuality = installed.lfQuality;
    m_lf.lfPitchAndFamily = installed.lfPitchAndFamily;
    CopyFaceName(m_lf.lfFaceName, FaceNameView(installed.lfFaceName));
    m_dirty = 1;
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
