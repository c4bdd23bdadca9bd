#include "nodes/underline_numbering.h"

#include "nodes/character_formats.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"

#include <algorithm>
#include <cstring>

namespace {

// Underline style and width of the dialog's underline states 0 … 7.
constexpr LINE_KIND kDialogStates[] = {{1, 1}, {2, 1}, {1, 3}, {4, 1}, {3, 1}, {5, 1}, {6, 1}, {7, 1}};

}  // namespace

int UnderlineStateOf(int style, int width)
{
    switch (style) {
    case 2: return 1;
    case 3: return 4;
    case 4: return 3;
    case 5: return 5;
    case 6: return 6;
    case 7: return 7;
    default: return width == 3 ? 2 : 0;
    }
}

void UnderlineOfState(int state, int* style, int* width)
{
    const LINE_KIND kind = state >= 1 && state <= 7 ? kDialogStates[state] : kDialogStates[0];
    *style = kind.style;
    *width = kind.width;
}

UNDERLINE_NUMBER_VALUES NumberingToDialog(int newFlag, const CKasenRenbanProperties& numbering,
                                          const CCharacterProperties& underline)
{
    UNDERLINE_NUMBER_VALUES values;
    values.newFlag = newFlag;
    values.underlineState = UnderlineStateOf(underline.m_underlineStyle, underline.m_underlineWidth);
    values.kindIndex = numbering.m_renbanType - 1;
    if (numbering.m_renbanType == RenbanType::kString)
        values.labelText = std::u16string(numbering.m_renbanString.View());
    values.force = numbering.m_renbanForce > 0 ? numbering.m_renbanForce : 0;
    values.face = std::string(numbering.m_renbanFace, strnlen(numbering.m_renbanFace, LF_FACESIZE));
    values.size = numbering.m_renbanSize;
    return values;
}

void NumberingFromDialog(const UNDERLINE_NUMBER_VALUES& values, CKasenRenbanProperties* numbering,
                         CCharacterProperties* underline)
{
    UnderlineOfState(values.underlineState, &underline->m_underlineStyle, &underline->m_underlineWidth);
    numbering->m_renbanType = values.kindIndex + 1;
    if (numbering->m_renbanType == RenbanType::kString)
        numbering->m_renbanString = CStringW(values.labelText);
    numbering->m_renbanForce = values.force > 0 ? values.force : -1;
    std::memset(numbering->m_renbanFace, 0, sizeof numbering->m_renbanFace);
    std::memcpy(numbering->m_renbanFace, values.face.data(), std::min<size_t>(values.face.size(), LF_FACESIZE - 1));
    numbering->m_renbanSize = values.size;
}

CNumberingDefaults::CNumberingDefaults()
{
    m_numbering.m_renbanForce = 0;
    m_numbering.m_renbanType = RenbanType::kMaru;
    m_underline.m_underlineStyle = LineStyle::kSolid;
    m_underline.m_underlineWidth = 1;
}

void CNumberingDefaults::GetNumberingDefaults(CKasenRenbanProperties* numbering, CCharacterProperties* underline) const
{
    numbering->Copy(m_numbering);
    underline->Copy(m_underline);
}

void CNumberingDefaults::SetNumberingDefaults(const CKasenRenbanProperties& numbering,
                                              const CCharacterProperties& underline)
{
    m_numbering.Copy(numbering);
    m_underline.Copy(underline);
}

void SetRunUnderline(CEditNode* node, int style, int width, CUndoGroup* group, bool boxes)
{
    if (node->IsKind(EditKind::kKan)) {
        node->SetKanUnderlineStyle(style, group);
        node->SetKanUnderlineWidth(width, group);
    } else if (node->IsKind(EditKind::kRuby)) {
        node->SetBoxUnderlineStyle(style, group);
        node->SetBoxUnderlineWidth(width, group);
        if (CEditNode* base = node->GetEditChild(0)) {
            ForEachChild(base, IsAnyCharacter, [&](CEditNode* c) {
                c->SetUnderlineStyle(style, group);
                c->SetUnderlineWidth(width, group);
            });
        }
    } else if (IsCharacter(node)) {
        node->SetUnderlineStyle(style, group);
        node->SetUnderlineWidth(width, group);
    } else if (boxes && node->HasKindFlags(EditKind::kContainer | EditKind::kFormula)) {
        node->SetBoxUnderlineStyle(style, group);
        node->SetBoxUnderlineWidth(width, group);
    }
}

void NumberingOfNode(const CEditNode& node, CKasenRenbanProperties* numbering, CCharacterProperties* underline)
{
    const bool cell = node.IsKind(EditKind::kKan);
    underline->m_underlineStyle = cell ? node.BorderRecord().m_beforeStyle : node.CharacterRecord().m_underlineStyle;
    underline->m_underlineWidth = cell ? node.BorderRecord().m_beforeWidth : node.CharacterRecord().m_underlineWidth;
    numbering->m_renbanType = node.Numbering().m_renbanType;
    numbering->m_renbanString = node.Numbering().m_renbanString;
    numbering->m_renbanForce = node.Numbering().m_renbanForce;
    std::memcpy(numbering->m_renbanFace, node.Numbering().m_renbanFace, sizeof numbering->m_renbanFace);
    numbering->m_renbanSize = node.Numbering().m_renbanSize;
}
