// The formula templates: fraction, roots, long division, matrix, scripts, over and under scripts
// and marks, big operators with limits. Each has its kind, its slots in visual order with their
// sizes, its embedded glyphs or marks, its stream form and its own geometry: how it measures its
// slot rows into its metrics, where it places each row, and the strokes and glyphs it draws.
#pragma once

#include "math/math_char.h"
#include "math/math_container.h"
#include "math/stretchy_marks.h"

#include <initializer_list>
#include <memory>
#include <vector>

// The base of every template: the template hit test, the empty-slot marks and the helpers the
// templates' geometry shares. A class without geometry of its own lays out its slot rows
// stacked, centred on the row's axis.
class CEditMathTemplate : public CEditMathContainer {
    DECLARE_DYNAMIC(CEditMathTemplate)
public:
    explicit CEditMathTemplate(EDIT_NODE_KIND kind) : CEditMathContainer(kind) {}

    CEditNode* HitTest(int x, int y, int* after) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

protected:
    CEditMathTemplate() = default;
    // Draws an embedded glyph as text at the place its layout gave it.
    static void DrawEmbedded(CDC* dc, CDisplayMap* map, CEditMathChar* embedded);

    // Whether box 0 exists and holds at least `rows` rows.
    bool HasRows(int rows) const;
    // Whether the template stands in an in-text answer while answers are hidden.
    bool InHiddenAnswer();
    // The layout rectangle from the context's origin and a top.
    void SetLayoutRect(const LAYOUT_CONTEXT* context, int top);
    // Draws every child by itself, each followed by its empty-slot mark; a child for which
    // `asMark` answers true is stroked through the mark table instead of drawn as text.
    template <typename AsMark>
    void DrawChildrenWithMarks(CDC* dc, CDisplayMap* map, MarkTable table, AsMark asMark);
    // Strokes a polyline through document points with a solid black pen of the half-point width.
    static void StrokeHalfPoint(CDC* dc, CDisplayMap* map, std::vector<POINT> points);
    // Whether a script slot's only node is a stretchable mark: the node, when it is followed
    // directly by a slot end and has text, and whether its first character is in the mark set
    // (`withEquilibrium` adds ⇄).
    static CEditNode* SingleMarkOf(CEditNode* candidate, bool withEquilibrium);
    // Lays out an embedded character at a point with its own ascent and axis as the row's; its
    // hit rectangle is its box, its row and index in the row 0.
    static void PlaceEmbedded(CEditMathChar* embedded, int x, int y, int vertical);
    // A slot's only node that is a stretchable mark (or null) takes the given width; an arrow or
    // a bar makes its row a quarter high. Answers the mark flag.
    static int32_t StretchSingleMark(CEditNode* mark, EDIT_LINE& row, int width);
    // Marks every slot's only node that is an arrow or a bar dirty, so that the next measuring
    // quarters its fresh height, never a height an earlier pass had quartered already.
    void MarkFlatMarksDirty();
};

template <typename AsMark>
void CEditMathTemplate::DrawChildrenWithMarks(CDC* dc, CDisplayMap* map, MarkTable table, AsMark asMark)
{
    if (dc == nullptr || map == nullptr)
        return;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        if (!IsLineBreak(child) && !child->GetText().IsEmpty() && asMark(i, child)) {
            DrawMarkByTable(dc, map, child, table);
        } else {
            LAYOUT_CONTEXT fresh;
            child->Draw(dc, map, &fresh);
        }
        DrawEmptySlotMark(dc, map, child);
    }
}

// The right overhang a node gives what follows it: its own, raised to 0.5 mm after an italic d
// or f, whose hook reaches further than its measured overhang.
int ItalicRightOverhang(const CEditNode* last);

// An embedded formula character made at construction: empty, or with a text.
std::unique_ptr<CEditMathChar> MakeEmbeddedChar(const CStringW& text = CStringW());
// Sets an embedded character's font height, recorded in the group like a child's.
void ApplyEmbeddedSize(CEditMathChar* embedded, int height, CUndoGroup* group);

class CEditFrac : public CEditMathTemplate {
    DECLARE_SERIAL(CEditFrac)
public:
    CEditFrac();
    void CreateDefaultSlots();
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Serialize(CArchive& ar) override;
    int32_t m_bevelled = 0;
    // The rule between numerator and denominator, set by layout.
    POINT m_ruleStart{};
    POINT m_ruleEnd{};
};

#define QN_TEMPLATE_GEOMETRY                                                \
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override; \
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;             \
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

// The radical sign's corners run from the lead-in over the tick to the bar's right end.
class CEditRoot : public CEditMathTemplate {
    DECLARE_SERIAL(CEditRoot)
public:
    CEditRoot();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    QN_TEMPLATE_GEOMETRY
    POINT m_sign[5]{};
    // How far a wide index pushes the sign and the radicand right.
    int m_indexExcess = 0;
};

class CEditSqrt : public CEditMathTemplate {
    DECLARE_SERIAL(CEditSqrt)
public:
    CEditSqrt();
    void CreateDefaultSlots();
    QN_TEMPLATE_GEOMETRY
    POINT m_sign[5]{};
};

// A bar over the dividend and a ")" closing it on the left.
class CEditLongdiv : public CEditMathTemplate {
    DECLARE_SERIAL(CEditLongdiv)
public:
    CEditLongdiv();
    void CreateDefaultSlots();
    QN_TEMPLATE_GEOMETRY
    POINT m_barStart{};
    POINT m_barEnd{};
    POINT m_arcStart{};
    RECT m_arcBox{};
};

// Cells row by row, one slot each.
class CEditMatrix : public CEditMathTemplate {
    DECLARE_SERIAL(CEditMatrix)
public:
    CEditMatrix();
    // rows × columns empty cells when both are above 0; nothing otherwise.
    void CreateDefaultSlots(int rows, int columns);
    // Children only: a matrix has no row margins.
    CEditNode* HitTest(int x, int y, int* after) override;
    void Serialize(CArchive& ar) override;
    // Cells share their visual row's height, baseline and centre line and their column's width;
    // each cell's row record keeps its column width and its visual row's height in its two
    // spare ints.
    QN_TEMPLATE_GEOMETRY
    // Whether box 0 holds exactly one record per cell.
    bool HasAllCells() const;
    int32_t m_rows = 0;
    int32_t m_columns = 0;
    int32_t m_columnGap = 100;
};

class CEditMulti : public CEditMathTemplate {
    DECLARE_SERIAL(CEditMulti)
public:
    CEditMulti();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    QN_TEMPLATE_GEOMETRY
};

// Over-script and base; the mark flag is recomputed by measuring.
class CEditOver : public CEditMathTemplate {
    DECLARE_SERIAL(CEditOver)
public:
    CEditOver();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    int32_t m_markFlag = 0;
};

class CEditUnder : public CEditMathTemplate {
    DECLARE_SERIAL(CEditUnder)
public:
    CEditUnder();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    int32_t m_markFlag = 0;
};

// A base with a mark above it.
class CEditOver2 : public CEditMathTemplate {
    DECLARE_SERIAL(CEditOver2)
public:
    CEditOver2();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    std::unique_ptr<CEditMathChar> m_mark;
};

class CEditUnderover : public CEditMathTemplate {
    DECLARE_SERIAL(CEditUnderover)
public:
    CEditUnderover();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    int32_t m_overMark = 0;
    int32_t m_baseArrow = 0;
    int32_t m_underMark = 0;
};

// A base between two marks.
class CEditUnderover2 : public CEditMathTemplate {
    DECLARE_SERIAL(CEditUnderover2)
public:
    CEditUnderover2();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    std::unique_ptr<CEditMathChar> m_overMark;
    std::unique_ptr<CEditMathChar> m_underMark;
};

// An arrow glyph with an over-script and an under-script.
class CEditOUnderover : public CEditMathTemplate {
    DECLARE_SERIAL(CEditOUnderover)
public:
    CEditOUnderover();
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    std::unique_ptr<CEditMathChar> m_glyph;
    int32_t m_overMark = 0;
    int32_t m_glyphStretch = 0;
    int32_t m_underMark = 0;
};

// The script templates: the base slot (or slots) at the template's size, the scripts at the
// script size.
class CEditScriptTemplate : public CEditMathTemplate {
    DECLARE_DYNAMIC(CEditScriptTemplate)
public:
    CEditScriptTemplate(EDIT_NODE_KIND kind, int baseSlot, int slotCount)
        : CEditMathTemplate(kind), m_baseSlot(baseSlot), m_slotCount(slotCount)
    {
    }
    void CreateDefaultSlots();
    void ApplyFontSize(CUndoGroup* group) override;
    QN_TEMPLATE_GEOMETRY

private:
    // The overhangs the template shows to its neighbours, from its base's first and last nodes.
    void ScanOverhangs();
    // The script and base rows' metrics into the template's.
    void MeasureFromRows();

    int m_baseSlot;
    int m_slotCount;
};

#define QN_SCRIPT_TEMPLATE(class_name)            \
    class class_name : public CEditScriptTemplate { \
        DECLARE_SERIAL(class_name)                \
    public:                                       \
        class_name();                             \
    };
QN_SCRIPT_TEMPLATE(CEditSubsup)
QN_SCRIPT_TEMPLATE(CEditSub)
QN_SCRIPT_TEMPLATE(CEditSuper)
QN_SCRIPT_TEMPLATE(CEditPresubPresup)
QN_SCRIPT_TEMPLATE(CEditPresub)
QN_SCRIPT_TEMPLATE(CEditPresuper)
QN_SCRIPT_TEMPLATE(CEditPresubSub)
#undef QN_SCRIPT_TEMPLATE

// The combination and permutation symbol (ₙCᵣ, ₙPᵣ): the symbol is the base, the two slots are
// the pre-subscript and the subscript.
class CEditOPresubSub : public CEditMathTemplate {
    DECLARE_SERIAL(CEditOPresubSub)
public:
    CEditOPresubSub();
    void ApplyFontSize(CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;
    QN_TEMPLATE_GEOMETRY
    std::unique_ptr<CEditMathChar> m_symbol;
};

// Summation and integral templates: a big-operator glyph with one or two limits at the script
// size. The glyph follows the font height of what stands after the template.
class CEditBigOperatorTemplate : public CEditMathTemplate {
    DECLARE_DYNAMIC(CEditBigOperatorTemplate)
public:
    CEditBigOperatorTemplate(EDIT_NODE_KIND kind, char16_t glyph, int limits);
    void CreateDefaultSlots();
    // Every limit at the script size; the glyph is not touched.
    void ApplyFontSize(CUndoGroup* group) override;
    bool IsIntegral() const;
    bool IsSummation() const { return !IsIntegral(); }
    // Limits centred above and below the sign rather than beside it.
    bool HasLimitsUnderAndOver() const;
    QN_TEMPLATE_GEOMETRY

    LOGFONTA m_glyphFont{};
    std::unique_ptr<CEditMathChar> m_glyph;
    int32_t m_glyphShift = 0;
    int32_t m_innerWidth = 0;
    int32_t m_upperStretched = 0;
    int32_t m_lowerStretched = 0;

protected:
    // Measures the glyph at twice the template's height in the glyph face and trims its box to
    // the sign's ink: the leading (and for Σ the descent) off its height, the average character
    // width off a Σ's width.
    void MeasureGlyph(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context);
    void DrawGlyph(CDC* dc, CDisplayMap* map);

    // The stream: the fields before the glyph font, the glyph font, the fields after it, the
    // glyph's stream, then the container's. Loading reads everything before it changes anything.
    void SerializeBigOperator(CArchive& ar, std::initializer_list<int32_t*> before, std::initializer_list<int32_t*> after);

private:
    int m_limits;
};

class CEditSigmaSubsup : public CEditBigOperatorTemplate {
    DECLARE_SERIAL(CEditSigmaSubsup)
public:
    CEditSigmaSubsup();
    void Serialize(CArchive& ar) override;
};
class CEditSigmaSub : public CEditBigOperatorTemplate {
    DECLARE_SERIAL(CEditSigmaSub)
public:
    CEditSigmaSub();
    void Serialize(CArchive& ar) override;
};
class CEditSigmaUnderover : public CEditBigOperatorTemplate {
    DECLARE_SERIAL(CEditSigmaUnderover)
public:
    CEditSigmaUnderover();
    void Serialize(CArchive& ar) override;
};
class CEditSigmaUnder : public CEditBigOperatorTemplate {
    DECLARE_SERIAL(CEditSigmaUnder)
public:
    CEditSigmaUnder();
    void Serialize(CArchive& ar) override;
};
class CEditIntegralSubsup : public CEditBigOperatorTemplate {
    DECLARE_SERIAL(CEditIntegralSubsup)
public:
    CEditIntegralSubsup();
    void Serialize(CArchive& ar) override;
};
class CEditIntegralSub : public CEditBigOperatorTemplate {
    DECLARE_SERIAL(CEditIntegralSub)
public:
    CEditIntegralSub();
    void Serialize(CArchive& ar) override;
};
