#include "math/mathml_export.h"

#include "base/element_classes.h"
#include "base/number_labels.h"
#include "math/formula.h"
#include "math/mathml_dialect.h"
#include "math/stretchy_templates.h"

#include <memory>
#include <string_view>

namespace {

enum class RunClass { Digits, Operators, Other };

RunClass ClassOf(const CStringW& text)
{
    if (IsAllDigits(text))
        return RunClass::Digits;
    if (IsAllMathOperators(text))
        return RunClass::Operators;
    return RunClass::Other;
}

int TokenCode(RunClass runClass)
{
    switch (runClass) {
    case RunClass::Digits: return XEC_MN;
    case RunClass::Operators: return XEC_MO;
    default: return XEC_MI;
    }
}

bool IsBigOperatorText(const CStringW& text)
{
    return text.View() == u"\u222B" || text.View() == u"\u03A3";
}

CQNXMLNode* NewElement(int code, CQNXMLNode* parent)
{
    std::unique_ptr<CQNXMLNode> element(CreateXMLNode(code));
    if (!element || parent->AppendChild(element.get()) < 0)
        return nullptr;
    return element.release();
}

// An embedded glyph or mark as an mo of its text (or of the given text) and its style.
void WriteGlyph(CEditMathChar* glyph, CQNXMLNode* parent, const CStringW* text = nullptr)
{
    CQNXMLNode* mo = NewElement(XEC_MO, parent);
    if (mo == nullptr || glyph == nullptr)
        return;
    mo->SetText(text != nullptr ? *text : glyph->GetText());
    glyph->CopyStyleToElement(mo);
}

// How the reader inspects a slot: a base whose first token it reads as a big operator, an over
// or under script whose first token it reads as a mark, or not at all.
enum class Inspected { No, BigOperatorBase, SigmaBase, GlyphBase, MarkScript };

// Whether the reader would turn the slot's first token into something else than the slot and
// lose the rest of the slot, or change the template for a slot that begins with a big operator.
bool NeedsWrapping(const CQNXMLNode* row, Inspected inspected)
{
    if (inspected == Inspected::No || row->GetChildCount() == 0)
        return false;
    const CStringW text = InspectedToken(row)->GetText();
    const bool several = row->GetChildCount() > 1;
    switch (inspected) {
    case Inspected::BigOperatorBase:
        return IsBigOperatorText(text);
    case Inspected::SigmaBase:
        return text.View() == u"\u03A3";
    case Inspected::GlyphBase:
        return text.View() == u"\u03A3" || (several && IsOneMarkOf(text, kMarkSetA));
    case Inspected::MarkScript:
        return several && IsOneMarkOf(text, kMarkSetB);
    default:
        return false;
    }
}

// A slot as an mrow. A slot the template lacks is written empty, so nothing after it is lost;
// a slot the reader would misread is wrapped in one more mrow, which reads back unchanged.
void WriteSlot(CEditMathContainer* node, int slot, CQNXMLNode* parent, Inspected inspected = Inspected::No)
{
    CQNXMLNode* row = NewElement(XEC_MROW, parent);
    if (row == nullptr)
        return;
    if (slot < node->GetSlotCount())
        ExportMathRun(node, node->GetSlotStart(slot), row);
    if (NeedsWrapping(row, inspected)) {
        std::unique_ptr<CQNXMLNode> inner(CreateXMLNode(XEC_MROW));
        if (!inner)
            return;
        while (row->GetChildCount() > 0)
            inner->AppendChild(row->GetChildAt(0));
        if (row->AppendChild(inner.get()) >= 0)
            inner.release();
    }
}

void WriteNone(CQNXMLNode* parent)
{
    NewElement(XEC_NONE, parent);
}

// mprescripts holding the pre-subscript and the pre-superscript, a none for an absent one.
void WritePrescripts(CEditMathContainer* node, int preSub, int preSup, CQNXMLNode* parent)
{
    CQNXMLNode* group = NewElement(XEC_MPRESCRIPTS, parent);
    if (group == nullptr)
        return;
    if (preSub >= 0)
        WriteSlot(node, preSub, group);
    else
        WriteNone(group);
    if (preSup >= 0)
        WriteSlot(node, preSup, group);
    else
        WriteNone(group);
}

// The template's element, given its underline and numbering.
CQNXMLNode* TemplateElement(int code, CEditNode* node, CQNXMLNode* parent)
{
    CQNXMLNode* element = NewElement(code, parent);
    if (element == nullptr)
        return nullptr;
    if (node->BorderRecord().m_afterStyle != LineStyle::kNone) {
        if (auto* border = dynamic_cast<CBorderPaddingBackgroundProperties*>(element)) {
            border->m_afterStyle = node->BorderRecord().m_afterStyle;
            border->m_afterWidth = node->BorderRecord().m_afterWidth;
        }
        if (auto* numbering = dynamic_cast<CKasenRenbanProperties*>(element))
            numbering->Copy(node->Numbering());
    }
    return element;
}

void WriteScriptTemplate(CEditMathContainer* t, CQNXMLNode* e)
{
    using enum Inspected;
    switch (static_cast<uint32_t>(t->GetKind())) {
    case EditKind::kSub:
        WriteSlot(t, 0, e, BigOperatorBase);
        WriteSlot(t, 1, e);
        break;
    case EditKind::kSuper:
        WriteSlot(t, 0, e);
        WriteSlot(t, 1, e);
        break;
    case EditKind::kSubsup:
        WriteSlot(t, 0, e, BigOperatorBase);
        WriteSlot(t, 2, e);
        WriteSlot(t, 1, e);
        break;
    case EditKind::kPresub:
        WriteSlot(t, 1, e);
        WritePrescripts(t, 0, -1, e);
        break;
    case EditKind::kPresuper:
        WriteSlot(t, 1, e);
        WritePrescripts(t, -1, 0, e);
        break;
    case EditKind::kPresubPresup:
        WriteSlot(t, 2, e);
        WritePrescripts(t, 1, 0, e);
        break;
    case EditKind::kPresubSub:
        WriteSlot(t, 1, e);
        WriteSlot(t, 2, e);
        WriteNone(e);
        WritePrescripts(t, 0, -1, e);
        break;
    case EditKind::kMulti:
        WriteSlot(t, 2, e);
        WriteSlot(t, 4, e);
        WriteSlot(t, 3, e);
        WritePrescripts(t, 1, 0, e);
        break;
    default:
        break;
    }
}

int ElementCodeOf(uint32_t kind)
{
    switch (kind) {
    case EditKind::kFrac: return XEC_MFRAC;
    case EditKind::kSqrt: return XEC_MSQRT;
    case EditKind::kRoot: return XEC_MROOT;
    case EditKind::kSub: case EditKind::kIntegralSub: case EditKind::kSigmaSub: return XEC_MSUB;
    case EditKind::kSuper: return XEC_MSUP;
    case EditKind::kSubsup: case EditKind::kIntegralSubsup: case EditKind::kSigmaSubsup: return XEC_MSUBSUP;
    case EditKind::kPresub: case EditKind::kPresuper: case EditKind::kPresubPresup: case EditKind::kPresubSub:
    case EditKind::kOPresubSub: case EditKind::kMulti: return XEC_MMULTISCRIPTS;
    case EditKind::kUnder: case EditKind::kUnder2: case EditKind::kSigmaUnder: return XEC_MUNDER;
    case EditKind::kOver: case EditKind::kOver2: return XEC_MOVER;
    case EditKind::kUnderover: case EditKind::kUnderover2: case EditKind::kOUnderover: case EditKind::kSigmaUnderover:
        return XEC_MUNDEROVER;
    case EditKind::kFenced: return XEC_MFENCED;
    case EditKind::kLongdiv: return XEC_MENCLOSE;
    case EditKind::kMatrix: return XEC_MTABLE;
    default: return 0;
    }
}

void WriteBigOperator(CEditBigOperatorTemplate* t, CQNXMLNode* e)
{
    if (t->IsIntegral()) {
        const CStringW integral(kIntegralSign);
        WriteGlyph(t->m_glyph.get(), e, &integral);
    } else {
        WriteGlyph(t->m_glyph.get(), e);
    }
    const uint32_t kind = static_cast<uint32_t>(t->GetKind());
    if (kind == EditKind::kIntegralSub || kind == EditKind::kSigmaSub || kind == EditKind::kSigmaUnder) {
        WriteSlot(t, 0, e);
    } else {
        WriteSlot(t, 1, e);
        WriteSlot(t, 0, e);
    }
}

}  // namespace

void ExportMathRun(CEditNode* c, int start, CQNXMLNode* p)
{
    if (c == nullptr || p == nullptr || start < 0 || start >= c->GetChildCount())
        return;
    if (c->BorderRecord().m_afterStyle != LineStyle::kNone) {
        if (auto* border = dynamic_cast<CBorderPaddingBackgroundProperties*>(p)) {
            border->m_afterStyle = c->BorderRecord().m_afterStyle;
            border->m_afterWidth = c->BorderRecord().m_afterWidth;
        }
        if (auto* numbering = dynamic_cast<CKasenRenbanProperties*>(p))
            numbering->Copy(c->Numbering());
    }
    CEditMathChar* runFirst = nullptr;
    CStringW runText;
    auto flush = [&](int index, bool byCharacter) {
        if (runFirst == nullptr)
            return;
        CQNXMLNode* token = NewElement(TokenCode(ClassOf(runText)), p);
        if (token != nullptr) {
            token->SetText(runText);
            runFirst->CopyStyleToElement(token);
            // A lone first mark of an over template carries the template's mark flag.
            auto* mo = dynamic_cast<CMathMLMo*>(token);
            if (mo != nullptr && index == 1) {
                if (const auto* over = dynamic_cast<const CEditOver*>(c))
                    mo->m_stretchy = over->m_markFlag;
                else if (const auto* under = dynamic_cast<const CEditUnder*>(c); under != nullptr && byCharacter)
                    mo->m_stretchy = under->m_markFlag;
            }
        }
        runFirst = nullptr;
        runText.Empty();
    };
    int i = start;
    for (; i < c->GetChildCount(); ++i) {
        CEditNode* child = c->GetEditChild(i);
        if (child == nullptr)
            break;
        if (IsLineBreak(child))
            break;
        if (IsCharacter(child)) {
            auto* character = dynamic_cast<CEditMathChar*>(child);
            if (character == nullptr)
                continue;
            const CStringW& text = character->GetText();
            const bool joins = runFirst != nullptr && !IsBigOperatorText(text) && character->SameFormat(runFirst) &&
                               ClassOf(text) == ClassOf(runText);
            if (!joins) {
                flush(i, true);
                runFirst = character;
            }
            runText += text;
            continue;
        }
        flush(i, false);
        ExportMathTemplate(child, p);
    }
    flush(i, false);
}

void ExportMathTemplate(CEditNode* node, CQNXMLNode* parent)
{
    auto* t = dynamic_cast<CEditMathContainer*>(node);
    if (t == nullptr || parent == nullptr)
        return;
    if (t->HasKindFlags(EditKind::kInTextAnswer)) {
        if (t->GetChildCount() < 1)
            return;
        CQNXMLNode* row = NewElement(XEC_MROW, parent);
        if (row == nullptr)
            return;
        row->m_class = XCC_CYUKAI;
        ExportMathRun(t, 0, row);
        return;
    }
    const uint32_t kind = static_cast<uint32_t>(t->GetKind());
    const int code = ElementCodeOf(kind);
    if (code == 0)
        return;
    CQNXMLNode* e = TemplateElement(code, t, parent);
    if (e == nullptr)
        return;
    using enum Inspected;
    if (auto* frac = dynamic_cast<CEditFrac*>(t)) {
        if (auto* element = dynamic_cast<CMathMLFrac*>(e))
            element->m_bevelled = frac->m_bevelled;
        WriteSlot(t, 0, e);
        WriteSlot(t, 1, e);
    } else if (kind == EditKind::kSqrt || kind == EditKind::kLongdiv) {
        WriteSlot(t, 0, e);
    } else if (kind == EditKind::kRoot) {
        WriteSlot(t, 1, e);
        WriteSlot(t, 0, e);
    } else if (auto* o = dynamic_cast<CEditOPresubSub*>(t)) {
        WriteGlyph(o->m_symbol.get(), e);
        WriteSlot(t, 1, e);
        WriteNone(e);
        WritePrescripts(t, 0, -1, e);
    } else if (auto* big = dynamic_cast<CEditBigOperatorTemplate*>(t)) {
        WriteBigOperator(big, e);
    } else if (kind == EditKind::kUnder) {
        WriteSlot(t, 0, e, SigmaBase);
        WriteSlot(t, 1, e, MarkScript);
    } else if (kind == EditKind::kOver) {
        WriteSlot(t, 1, e);
        WriteSlot(t, 0, e, MarkScript);
    } else if (kind == EditKind::kUnderover) {
        WriteSlot(t, 1, e, GlyphBase);
        WriteSlot(t, 2, e, MarkScript);
        WriteSlot(t, 0, e, MarkScript);
    } else if (auto* over2 = dynamic_cast<CEditOver2*>(t)) {
        WriteSlot(t, 0, e);
        WriteGlyph(over2->m_mark.get(), e);
    } else if (auto* under2 = dynamic_cast<CEditUnder2*>(t)) {
        WriteSlot(t, 0, e, SigmaBase);
        WriteGlyph(under2->m_mark.get(), e);
    } else if (auto* marks = dynamic_cast<CEditUnderover2*>(t)) {
        WriteSlot(t, 0, e, GlyphBase);
        WriteGlyph(marks->m_underMark.get(), e);
        WriteGlyph(marks->m_overMark.get(), e);
    } else if (auto* arrow = dynamic_cast<CEditOUnderover*>(t)) {
        WriteGlyph(arrow->m_glyph.get(), e);
        WriteSlot(t, 1, e);
        WriteSlot(t, 0, e);
    } else if (auto* fenced = dynamic_cast<CEditFenced*>(t)) {
        if (auto* element = dynamic_cast<CMathMLFenced*>(e)) {
            element->m_open = fenced->m_open->GetText();
            element->m_close = fenced->m_close->GetText();
        }
        WriteSlot(t, 0, e);
    } else if (kind == EditKind::kMatrix) {
        ExportMatrixRows(t, e);
    } else {
        WriteScriptTemplate(t, e);
    }
}

void ExportMatrixRows(CEditNode* node, CQNXMLNode* table)
{
    auto* matrix = dynamic_cast<CEditMatrix*>(node);
    if (matrix == nullptr || table == nullptr || matrix->GetChildCount() == 0)
        return;
    if (auto* border = dynamic_cast<CBorderPaddingBackgroundProperties*>(table); border != nullptr && matrix->BorderRecord().m_borderStyle != LineStyle::kNone) {
        border->m_borderStyle = matrix->BorderRecord().m_borderStyle;
        border->m_borderWidth = matrix->BorderRecord().m_borderWidth;
    }
    if (auto* line = dynamic_cast<CBlockLineRelatedProperties*>(table))
        line->m_textAlign = matrix->m_textAlign;
    int cell = 0;
    bool passedLast = false;
    for (int r = 0; r < matrix->m_rows; ++r) {
        CQNXMLNode* row = NewElement(XEC_MTR, table);
        if (row == nullptr)
            return;
        if (passedLast) {
            if (CQNXMLNode* td = NewElement(XEC_MTD, row))
                NewElement(XEC_MROW, td);
            continue;
        }
        for (int c = 0; c < matrix->m_columns; ++c) {
            CQNXMLNode* td = NewElement(XEC_MTD, row);
            CQNXMLNode* content = td != nullptr ? NewElement(XEC_MROW, td) : nullptr;
            if (content == nullptr)
                return;
            const int start = matrix->GetSlotStart(cell);
            ExportMathRun(matrix, start, content);
            ++cell;
            if (cell >= matrix->GetSlotCount()) {
                passedLast = true;
                break;
            }
        }
    }
}
