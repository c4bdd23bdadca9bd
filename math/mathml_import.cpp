#include "math/mathml_import.h"

#include "base/element_classes.h"
#include "math/formula.h"
#include "math/mathml_dialect.h"
#include "math/stretchy_templates.h"

#include <algorithm>
#include <memory>

bool IsOneMarkOf(const CStringW& text, std::u16string_view set)
{
    return text.GetLength() == 1 && set.find(text.GetAt(0)) != std::u16string_view::npos;
}

const CQNXMLNode* InspectedToken(const CQNXMLNode* element)
{
    if (element == nullptr)
        return nullptr;
    return element->GetChildCount() == 0 ? element : element->GetChildAt(0);
}

namespace {

CStringW TokenText(const CQNXMLNode* element)
{
    const CQNXMLNode* token = InspectedToken(element);
    return token != nullptr ? token->GetText() : CStringW();
}

bool IsNone(const CQNXMLNode* element)
{
    return element == nullptr || element->m_typeCode == XEC_NONE;
}

// Appends a slot end; it takes the style of the element the slot's content returned, if any.
void CloseSlot(CEditNode* node, CQNXMLNode* styleSource)
{
    auto slotEnd = std::make_unique<CEditMathCR>();
    if (styleSource != nullptr)
        slotEnd->CopyStyleFromElement(styleSource);
    if (node->AppendChild(slotEnd.get()) >= 0)
        slotEnd.release();
}

void FillSlot(CQNXMLNode* child, CEditNode* node)
{
    CloseSlot(node, child != nullptr ? BuildMathNodes(child, node) : nullptr);
}

// Appends a template to the target and gives it the element's underline and formatting records
// (its LOGFONT stays as made).
template <typename Template>
Template* AppendTemplate(CEditNode* target, CQNXMLNode* element)
{
    auto made = std::make_unique<Template>();
    if (target->AppendChild(made.get()) < 0)
        return nullptr;
    Template* node = made.release();
    const auto* math = dynamic_cast<const CMathMLNode*>(element);
    if (math == nullptr)
        return node;
    if (math->m_afterStyle != LineStyle::kNone) {
        node->EditBorderRecord()->m_afterStyle = math->m_afterStyle;
        node->EditBorderRecord()->m_afterWidth = math->m_afterWidth;
    }
    node->CopyFontRecord(*math);
    node->CColorRelatedProperties::Copy(*math);
    node->SetBorderRecord(*math);
    node->SetCharacterRecord(*math);
    node->CopyNumbering(*math);
    return node;
}

// An embedded glyph or mark: the token's text and style.
void TakeToken(CEditMathChar* embedded, const CQNXMLNode* token)
{
    if (embedded == nullptr || token == nullptr)
        return;
    embedded->SetText(token->GetText());
    embedded->CopyStyleFromElement(const_cast<CQNXMLNode*>(token));
}

CQNXMLNode* BuildGroup(CQNXMLNode* element, CEditNode* target)
{
    CEditNode* into = target;
    CEditMathCyukai* answer = nullptr;
    if (element->m_class == XCC_CYUKAI) {
        auto made = std::make_unique<CEditMathCyukai>();
        if (target->AppendChild(made.get()) >= 0)
            into = answer = made.release();
    }
    CQNXMLNode* result = nullptr;
    for (int i = 0; i < element->GetChildCount(); ++i) {
        if (CQNXMLNode* child = element->GetChildAt(i)) {
            if (CQNXMLNode* built = BuildMathNodes(child, into))
                result = built;
        }
    }
    if (answer != nullptr)
        CloseSlot(answer, result);
    return result;
}

CQNXMLNode* BuildToken(CQNXMLNode* element, CEditNode* target)
{
    const CStringW& text = element->GetText();
    if (text.View() == std::u16string_view(&kIntegralSign, 1) || text.View() == std::u16string_view(&kSigmaSign, 1)) {
        std::unique_ptr<CEditMathChar> sign;
        if (text.GetAt(0) == kIntegralSign)
            sign = std::make_unique<CEditIntegral>();
        else
            sign = std::make_unique<CEditSigma>();
        sign->CopyStyleFromElement(element);
        if (target->AppendChild(sign.get()) >= 0)
            sign.release();
        return nullptr;
    }
    // One node per character: a surrogate pair stays one node.
    for (const CStringW& piece : SplitFormulaCharacters(text)) {
        auto character = std::make_unique<CEditMathChar>(piece);
        character->CopyStyleFromElement(element);
        if (target->AppendChild(character.get()) < 0)
            break;
        character.release();
    }
    return element;
}

void BuildScripts(CQNXMLNode* e, CEditNode* target, bool both)
{
    const CStringW op = TokenText(e->GetChildAt(0));
    const CQNXMLNode* token = InspectedToken(e->GetChildAt(0));
    const bool integral = op.View() == std::u16string_view(&kIntegralSign, 1);
    const bool sigma = op.View() == std::u16string_view(&kSigmaSign, 1);
    if (integral || sigma) {
        CEditBigOperatorTemplate* node = nullptr;
        if (both)
            node = integral ? static_cast<CEditBigOperatorTemplate*>(AppendTemplate<CEditIntegralSubsup>(target, e))
                            : AppendTemplate<CEditSigmaSubsup>(target, e);
        else
            node = integral ? static_cast<CEditBigOperatorTemplate*>(AppendTemplate<CEditIntegralSub>(target, e))
                            : AppendTemplate<CEditSigmaSub>(target, e);
        if (node == nullptr)
            return;
        TakeToken(node->m_glyph.get(), token);
        if (both)
            FillSlot(e->GetChildAt(2), node);
        FillSlot(e->GetChildAt(1), node);
        return;
    }
    if (both) {
        if (auto* node = AppendTemplate<CEditSubsup>(target, e)) {
            FillSlot(e->GetChildAt(0), node);
            FillSlot(e->GetChildAt(2), node);
            FillSlot(e->GetChildAt(1), node);
        }
    } else if (auto* node = AppendTemplate<CEditSub>(target, e)) {
        FillSlot(e->GetChildAt(0), node);
        FillSlot(e->GetChildAt(1), node);
    }
}

void BuildUnder(CQNXMLNode* e, CEditNode* target)
{
    const CQNXMLNode* b = InspectedToken(e->GetChildAt(0));
    const CQNXMLNode* u = InspectedToken(e->GetChildAt(1));
    if (TokenText(e->GetChildAt(0)).View() == std::u16string_view(&kSigmaSign, 1)) {
        if (auto* node = AppendTemplate<CEditSigmaUnder>(target, e)) {
            TakeToken(node->m_glyph.get(), b);
            FillSlot(e->GetChildAt(1), node);
        }
    } else if (IsOneMarkOf(TokenText(e->GetChildAt(1)), kMarkSetB)) {
        if (auto* node = AppendTemplate<CEditUnder2>(target, e)) {
            FillSlot(e->GetChildAt(0), node);
            TakeToken(node->m_mark.get(), u);
        }
    } else if (auto* node = AppendTemplate<CEditUnder>(target, e)) {
        FillSlot(e->GetChildAt(0), node);
        FillSlot(e->GetChildAt(1), node);
    }
}

void BuildOver(CQNXMLNode* e, CEditNode* target)
{
    if (IsOneMarkOf(TokenText(e->GetChildAt(1)), kMarkSetB)) {
        if (auto* node = AppendTemplate<CEditOver2>(target, e)) {
            TakeToken(node->m_mark.get(), InspectedToken(e->GetChildAt(1)));
            FillSlot(e->GetChildAt(0), node);
        }
    } else if (auto* node = AppendTemplate<CEditOver>(target, e)) {
        FillSlot(e->GetChildAt(1), node);
        FillSlot(e->GetChildAt(0), node);
    }
}

void BuildUnderOver(CQNXMLNode* e, CEditNode* target)
{
    const CStringW b = TokenText(e->GetChildAt(0));
    const CStringW u = TokenText(e->GetChildAt(1));
    const CStringW o = TokenText(e->GetChildAt(2));
    if (b.View() == std::u16string_view(&kSigmaSign, 1)) {
        if (auto* node = AppendTemplate<CEditSigmaUnderover>(target, e)) {
            FillSlot(e->GetChildAt(2), node);
            TakeToken(node->m_glyph.get(), InspectedToken(e->GetChildAt(0)));
            FillSlot(e->GetChildAt(1), node);
        }
    } else if (IsOneMarkOf(b, kMarkSetA)) {
        if (auto* node = AppendTemplate<CEditOUnderover>(target, e)) {
            FillSlot(e->GetChildAt(2), node);
            TakeToken(node->m_glyph.get(), InspectedToken(e->GetChildAt(0)));
            FillSlot(e->GetChildAt(1), node);
        }
    } else if (IsOneMarkOf(o, kMarkSetB) && IsOneMarkOf(u, kMarkSetB)) {
        if (auto* node = AppendTemplate<CEditUnderover2>(target, e)) {
            TakeToken(node->m_overMark.get(), InspectedToken(e->GetChildAt(2)));
            FillSlot(e->GetChildAt(0), node);
            TakeToken(node->m_underMark.get(), InspectedToken(e->GetChildAt(1)));
        }
    } else if (auto* node = AppendTemplate<CEditUnderover>(target, e)) {
        FillSlot(e->GetChildAt(2), node);
        FillSlot(e->GetChildAt(0), node);
        FillSlot(e->GetChildAt(1), node);
    }
}

// Pre-scripts are the two children of the mprescripts element, the last child.
void BuildMultiScripts(CQNXMLNode* e, CEditNode* target)
{
    const int count = e->GetChildCount();
    if (count != 2 && count != 4)
        return;
    CQNXMLNode* group = e->GetChildAt(count - 1);
    if (group == nullptr || group->GetChildCount() < 2)
        return;
    CQNXMLNode* base = e->GetChildAt(0);
    CQNXMLNode* p = group->GetChildAt(0);
    CQNXMLNode* q = group->GetChildAt(1);
    const bool hasP = !IsNone(p);
    const bool hasQ = !IsNone(q);
    if (count == 2) {
        if (hasP && !hasQ) {
            if (auto* node = AppendTemplate<CEditPresub>(target, e)) {
                FillSlot(p, node);
                FillSlot(base, node);
            }
        } else if (!hasP && hasQ) {
            if (auto* node = AppendTemplate<CEditPresuper>(target, e)) {
                FillSlot(q, node);
                FillSlot(base, node);
            }
        } else if (hasP && hasQ) {
            if (auto* node = AppendTemplate<CEditPresubPresup>(target, e)) {
                FillSlot(q, node);
                FillSlot(p, node);
                FillSlot(base, node);
            }
        }
        return;
    }
    CQNXMLNode* sub = e->GetChildAt(1);
    CQNXMLNode* sup = e->GetChildAt(2);
    const bool hasSub = !IsNone(sub);
    const bool hasSup = !IsNone(sup);
    if (hasSub && hasP && !hasSup && !hasQ) {
        const CStringW symbol = TokenText(base);
        if (symbol.View() == u"C" || symbol.View() == u"P") {
            if (auto* node = AppendTemplate<CEditOPresubSub>(target, e)) {
                FillSlot(p, node);
                TakeToken(node->m_symbol.get(), InspectedToken(base));
                FillSlot(sub, node);
            }
        } else if (auto* node = AppendTemplate<CEditPresubSub>(target, e)) {
            FillSlot(p, node);
            FillSlot(base, node);
            FillSlot(sub, node);
        }
    } else if (hasSub && hasP && hasSup && hasQ) {
        if (auto* node = AppendTemplate<CEditMulti>(target, e)) {
            FillSlot(q, node);
            FillSlot(p, node);
            FillSlot(base, node);
            FillSlot(sup, node);
            FillSlot(sub, node);
        }
    }
}

// A table becomes a full matrix: as many columns as its longest row, the missing cells of
// shorter rows empty, so that every cell has its slot.
void BuildTable(CQNXMLNode* e, CEditNode* target)
{
    auto* node = AppendTemplate<CEditMatrix>(target, e);
    if (node == nullptr)
        return;
    const auto* table = dynamic_cast<const CMathMLNode*>(e);
    if (table != nullptr) {
        if (table->m_borderStyle == LineStyle::kSolid) {
            node->EditBorderRecord()->m_borderStyle = LineStyle::kSolid;
            node->EditBorderRecord()->m_borderWidth = table->m_borderWidth;
        }
        node->m_textAlign = table->m_textAlign;
    }
    int columns = 0;
    for (int r = 0; r < e->GetChildCount(); ++r) {
        if (const CQNXMLNode* row = e->GetChildAt(r))
            columns = std::max(columns, row->GetChildCount());
    }
    node->m_rows = e->GetChildCount();
    node->m_columns = columns;
    for (int r = 0; r < e->GetChildCount(); ++r) {
        CQNXMLNode* row = e->GetChildAt(r);
        for (int c = 0; c < columns; ++c)
            FillSlot(row != nullptr ? row->GetChildAt(c) : nullptr, node);
    }
}

}  // namespace

CQNXMLNode* BuildMathNodes(CQNXMLNode* e, CEditNode* target)
{
    if (e == nullptr || target == nullptr)
        return nullptr;
    const int count = e->GetChildCount();
    switch (e->m_typeCode) {
    case XEC_MATH:
    case XEC_MROW:
    case XEC_MTD:
        return BuildGroup(e, target);
    case XEC_MI:
    case XEC_MN:
    case XEC_MO:
    case XEC_MTEXT:
        return BuildToken(e, target);
    case XEC_MFRAC:
        if (count >= 2) {
            if (auto* node = AppendTemplate<CEditFrac>(target, e)) {
                if (const auto* frac = dynamic_cast<const CMathMLFrac*>(e))
                    node->m_bevelled = frac->m_bevelled;
                FillSlot(e->GetChildAt(0), node);
                FillSlot(e->GetChildAt(1), node);
            }
        }
        break;
    case XEC_MSQRT:
        if (count >= 1) {
            if (auto* node = AppendTemplate<CEditSqrt>(target, e))
                FillSlot(e->GetChildAt(0), node);
        }
        break;
    case XEC_MROOT:
        if (count >= 2) {
            if (auto* node = AppendTemplate<CEditRoot>(target, e)) {
                FillSlot(e->GetChildAt(1), node);
                FillSlot(e->GetChildAt(0), node);
            }
        }
        break;
    case XEC_MFENCED:
        if (auto* node = AppendTemplate<CEditFenced>(target, e)) {
            if (const auto* fenced = dynamic_cast<const CMathMLFenced*>(e)) {
                node->m_open->SetText(fenced->m_open);
                node->m_close->SetText(fenced->m_close);
            }
            // Every child goes into the one slot; a group without children still gets its slot,
            // so that it can be typed into.
            CQNXMLNode* result = nullptr;
            for (int i = 0; i < count; ++i) {
                if (CQNXMLNode* built = BuildMathNodes(e->GetChildAt(i), node))
                    result = built;
            }
            CloseSlot(node, result);
        }
        break;
    case XEC_MENCLOSE:
        if (count >= 1) {
            if (auto* node = AppendTemplate<CEditLongdiv>(target, e))
                FillSlot(e->GetChildAt(0), node);
        }
        break;
    case XEC_MSUB:
        if (count >= 2)
            BuildScripts(e, target, false);
        break;
    case XEC_MSUP:
        if (count >= 2) {
            if (auto* node = AppendTemplate<CEditSuper>(target, e)) {
                FillSlot(e->GetChildAt(0), node);
                FillSlot(e->GetChildAt(1), node);
            }
        }
        break;
    case XEC_MSUBSUP:
        if (count >= 3)
            BuildScripts(e, target, true);
        break;
    case XEC_MUNDER:
        if (count >= 2)
            BuildUnder(e, target);
        break;
    case XEC_MOVER:
        if (count >= 2)
            BuildOver(e, target);
        break;
    case XEC_MUNDEROVER:
        if (count >= 3)
            BuildUnderOver(e, target);
        break;
    case XEC_MMULTISCRIPTS:
        BuildMultiScripts(e, target);
        break;
    case XEC_MTABLE:
        if (count >= 1)
            BuildTable(e, target);
        break;
    default:
        break;
    }
    return nullptr;
}
