#include "nodes/edit_sentence.h"

#include "base/default_fonts.h"
#include "base/element_classes.h"
#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_print.h"
#include "nodes/edit_switches.h"
#include "nodes/line_hits.h"
#include "nodes/run_decorations.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr COLORREF kQuestionLabelColor = 0xFF0000;
constexpr COLORREF kAnswerLabelColor = 0x0000FF;
constexpr COLORREF kOtherLabelColor = 0x808080;
constexpr COLORREF kBoxOutlineColor = 0xC0C0C0;
// The part label stands this far left of the paragraph.
constexpr int kLabelOffset = 1000;
// 8 pt in 1/100 mm.
constexpr int kLabelHeight = 282;

// The underline a node is numbered by: a kanbun cell's before side, any other node's underline.
void RunDecoration(const CEditNode* node, int* style, int* width)
{
    if (node->IsKind(EditKind::kKan)) {
        *style = node->BorderRecord().m_beforeStyle;
        *width = node->BorderRecord().m_beforeWidth;
    } else {
        *style = node->CharacterRecord().m_underlineStyle;
        *width = node->CharacterRecord().m_underlineWidth;
    }
}

bool SameRunDecoration(const CEditNode* a, const CEditNode* b)
{
    int styleA = 0, widthA = 0, styleB = 0, widthB = 0;
    RunDecoration(a, &styleA, &widthA);
    RunDecoration(b, &styleB, &widthB);
    return styleA == styleB && widthA == widthB;
}

// Draws a rectangle outline with a one-pixel pen of the colour and no fill.
void OutlineRect(CDC* dc, const RECT& rect, COLORREF color)
{
    CPen pen(PS_SOLID, 1, color);
    const HPEN previousPen = dc->SelectObject(HPEN(pen));
    const HGDIOBJ previousBrush = dc->SelectStockObject(HOLLOW_BRUSH);
    dc->Rectangle(&rect);
    dc->SelectObject(previousBrush);
    dc->SelectObject(previousPen);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The question-part queries of every node

namespace {

CEditSentence* EnclosingPart(CEditNode* node)
{
    return NodeAs<CEditSentence>(node->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1));
}

}  // namespace

int CEditNode::GetQuestionNumber()
{
    const CEditSentence* part = EnclosingPart(this);
    return part != nullptr ? part->m_questionNumber : -1;
}

int CEditNode::GetSubQuestionNumber()
{
    const CEditSentence* part = EnclosingPart(this);
    return part != nullptr ? part->m_subQuestionNumber : -1;
}

int CEditNode::GetPartKind()
{
    const CEditSentence* part = EnclosingPart(this);
    return part != nullptr ? part->m_partKind : -1;
}

// ---------------------------------------------------------------------------------------------
// CEditSentence

IMPLEMENT_SERIAL(CEditSentence, CEditContainer, 1)

CEditSentence::CEditSentence() : CEditSentence(EditKind::Code(EditKind::kSentence)) {}

CEditSentence::CEditSentence(EDIT_NODE_KIND kind) : CEditContainer(kind)
{
    m_caretStop = 0;
}

CEditSentence::~CEditSentence() = default;

void CEditSentence::InitDefaultContent()
{
    auto lineBreak = std::make_unique<CEditCR>();
    if (AppendChild(lineBreak.get()) >= 0)
        lineBreak.release();
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    fonts.GetDefaultFont(&m_lf, CurrentWritingVertical);
    m_lf.lfHeight = -std::abs(fonts.GetDefaultHeight());
}

void CEditSentence::PrepareLabelFont(CDisplayMap* map)
{
    LOGFONTA font{};
    GetGuiLogFont(&font);
    font.lfHeight = -kLabelHeight;
    font.lfWidth = 0;
    std::string face(FaceNameView(font.lfFaceName));
    if (map != nullptr && map->IsVertical()) {
        if (face.empty() || face.front() != '@')
            face.insert(face.begin(), '@');
    } else {
        std::erase(face, '@');
    }
    m_label.m_lf = font;
    m_label.SetFaceName(face.c_str(), nullptr);
    switch (m_partKind) {
    case PART_QUESTION: m_label.SetText(u"問題"); break;
    case PART_ANSWER_FIELD: m_label.SetText(u"解答欄"); break;
    case PART_ANSWER: m_label.SetText(u"解答"); break;
    case PART_EXPLANATION: m_label.SetText(u"解説"); break;
    default: m_label.SetText(CStringW()); break;
    }
}

bool CEditSentence::HasContent()
{
    if (GetChildCount() < 2)
        return false;
    int lineBreaks = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const CEditNode* child = GetEditChild(i);
        if (child == nullptr || IsQuestionNumberLabel(child))
            continue;
        if (!IsLineBreak(child) || ++lineBreaks > 1)
            return true;
    }
    return false;
}

void CEditSentence::CopyStyleFromElement(CQNXMLNode* element)
{
    if (const auto* container = dynamic_cast<CFoBlockContainer*>(element)) {
        m_hidden = container->m_visibility;
        m_areaWidth = container->m_width;
    }
}

void CEditSentence::CopyStyleToElement(CQNXMLNode* element)
{
    if (auto* container = dynamic_cast<CFoBlockContainer*>(element)) {
        container->m_visibility = m_hidden;
        container->m_width = m_areaWidth;
    }
}

// ---------------------------------------------------------------------------------------------
// Numbering of labelled underlines

namespace {

// The (underline style, width) pairs that number runs of their own, in numbering order.
constexpr int kNumberedDecorations[][2] = {
    {DECORATION_SOLID, DECORATION_NORMAL},      {DECORATION_SOLID, DECORATION_THICK},
    {DECORATION_DOUBLE, DECORATION_NORMAL},     {DECORATION_DOTTED, DECORATION_NORMAL},
    {DECORATION_DASHED, DECORATION_NORMAL},     {DECORATION_DOT_DASH, DECORATION_NORMAL},
    {DECORATION_DOT_DOT_DASH, DECORATION_NORMAL}, {DECORATION_WAVE, DECORATION_NORMAL},
};
constexpr int kDecorationCount = static_cast<int>(std::size(kNumberedDecorations));
constexpr int kNumberingTypes = 6;
constexpr int kRunClasses = kNumberingTypes * kDecorationCount;

// The numbering class of a node (type × underline style × width), or -1 when it is numbered by
// none.
int RunClassOf(const CEditNode* node)
{
    const int type = node->Numbering().m_renbanType;
    if (type < 1 || type > kNumberingTypes)
        return -1;
    int style = 0;
    int width = 0;
    RunDecoration(node, &style, &width);
    for (int k = 0; k < kDecorationCount; ++k) {
        if (kNumberedDecorations[k][0] == style && kNumberedDecorations[k][1] == width)
            return (type - 1) * kDecorationCount + k;
    }
    return -1;
}

// Every class numbered in one walk. A node belongs to one class at most, and the number a walk
// of a class hands down to a child's subtree comes back as the number after it, so one running
// number per class serves the whole subtree; what each level keeps of its own is which class
// its previous child matched and which classes matched there at all.
class CRunNumbering {
public:
    CRunNumbering() { m_next.fill(1); }

    void Walk(CEditNode* node)
    {
        int previousClass = -1;
        std::bitset<kRunClasses> matchedHere;
        for (int i = 0; i < node->GetChildCount(); ++i) {
            CEditNode* child = node->GetEditChild(i);
            if (child == nullptr)
                continue;
            const int runClass = RunClassOf(child);
            if (runClass >= 0) {
                int& number = m_next[static_cast<size_t>(runClass)];
                if (child->Numbering().m_renbanForce > 0)
                    number = child->Numbering().m_renbanForce;
                else if (matchedHere.test(static_cast<size_t>(runClass)) && previousClass != runClass)
                    ++number;
                child->m_runNumber = number;
                matchedHere.set(static_cast<size_t>(runClass));
            }
            previousClass = runClass;
            if (child->GetChildCount() > 0)
                Walk(child);
        }
    }

private:
    std::array<int, kRunClasses> m_next;
};

}  // namespace

void NumberUnderlineRunsBelow(CEditNode* node)
{
    if (node != nullptr)
        CRunNumbering().Walk(node);
}

void CEditSentence::NumberUnderlineRuns()
{
    NumberUnderlineRunsBelow(this);
}

// ---------------------------------------------------------------------------------------------
// Measuring: line breaking

void CEditSentence::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MEASURE_INPUTS inputs;
    int remaining = 0;
    if (context != nullptr) {
        inputs = InputsFor(*context, map != nullptr ? map->IsVertical() : 0);
        remaining = context->pageHeight - context->originY;
        if (KeepsMeasure(inputs, remaining) && IsVisible()) {
            if (m_partKind == PART_QUESTION)
                ShareIndent();
            return;
        }
    }
    // Moved to where the page leaves it another height: the children keep their sizes, and
    // only the lines go into boxes anew.
    const bool childrenKept = context != nullptr && IsVisible() && KeepsChildMeasure(inputs);
    ForgetMeasure();
    if (childrenKept) {
        // The boxes stay until their lines are split anew.
        m_width = m_height = m_ascent = m_axis = 0;
    } else {
        ClearMeasure();
    }
    if (!IsVisible() || context == nullptr)
        return;

    const int available = inputs.available;
    if (!childrenKept) {
        PrepareLabelFont(map);
        LAYOUT_CONTEXT labelContext;
        m_label.Measure(dc, map, &labelContext);
        NumberUnderlineRuns();
        MeasureChildren(dc, map, *context, available, remaining);
    }
    m_width = available;

    if (m_partKind == PART_QUESTION)
        m_savedIndent = 0;
    LINE_SETTINGS settings;
    settings.available = available;
    settings.lineSpacing = context->lineSpacing;
    settings.spillToFurtherBoxes = true;
    settings.remainingHeight = remaining;
    settings.pageHeight = inputs.pageHeight;
    settings.keepLineStartForbidden = true;
    settings.carryAsciiWords = true;
    settings.hangingIndent = true;
    settings.indent = inputs.indent;
    settings.firstLineUnindented = m_partKind == PART_QUESTION;
    settings.emptyLineTakesPrecedingHeight = false;
    settings.paragraphRecords = true;
    // Kept children kept their lines too: only the boxes that hold them change.
    const LINES_BUILT built = childrenKept ? ResplitLines(settings, m_marginLeft) : BuildLines(settings);
    m_marginLeft = built.indent;

    const CEditBox* first = GetBox(0);
    m_height = first != nullptr ? first->m_height : 0;
    if (m_partKind == PART_QUESTION) {
        m_savedIndent = m_marginLeft;
        ShareIndent();
    }
    m_dirty = 0;
    RememberMeasure(inputs, built, childrenKept);
}

CEditContainer::MEASURE_INPUTS CEditSentence::InputsFor(const LAYOUT_CONTEXT& context, int vertical) const
{
    const CEditPrint* root = RootParent();
    MEASURE_INPUTS inputs;
    inputs.available = m_areaWidth > 0 ? m_areaWidth : context.availableWidth;
    inputs.pageHeight = context.pageHeight;
    inputs.lineSpacing = context.lineSpacing;
    inputs.letterSpacing = context.letterSpacing;
    inputs.vertical = vertical;
    // A question text computes its own hanging indent; the question's other parts hang under
    // the one it computed.
    inputs.indent = m_partKind == PART_QUESTION ? 0 : m_savedIndent;
    inputs.partKind = m_partKind;
    inputs.numberLabelMode = root != nullptr ? root->m_partLayoutMode : -1;
    return inputs;
}

bool CEditSentence::RemeasuresWithoutDevice(const LAYOUT_CONTEXT& context, int vertical) const
{
    return IsVisible() && KeepsChildMeasure(InputsFor(context, vertical));
}

CEditPrint* CEditSentence::RootParent() const
{
    CEditNode* parent = GetEditParent();
    return parent != nullptr && parent->IsKind(EditKind::kPrint) ? NodeAs<CEditPrint>(parent) : nullptr;
}

void CEditSentence::MeasureChildren(CDC* dc, CDisplayMap* map, const LAYOUT_CONTEXT& context, int available,
                                    int remaining)
{
    // The question-number labels show in question texts and, unless the paper interleaves its
    // parts, in the other parts too; run boundaries; then each child is measured, consecutive
    // characters of one run style sharing one font.
    const CEditPrint* root = RootParent();
    CRunFont runFont;
    CEditNode* previous = nullptr;
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr)
            continue;
        if (IsQuestionNumberLabel(child))
            child->m_hidden = m_partKind != PART_QUESTION && root != nullptr && root->m_partLayoutMode == 0 ? 2 : 0;
        MarkRunBoundary(previous, child);

        LAYOUT_CONTEXT childContext = ChildMeasureContext(context, available, remaining);
        runFont.Give(child, &childContext);
        child->Measure(dc, map, &childContext);
        previous = child;
    }
}

void CEditSentence::MarkRunBoundary(CEditNode* previous, CEditNode* child)
{
    child->m_runBits = 0;
    const bool numbered = child->Numbering().m_renbanType != RenbanType::kNone;
    const bool previousNumbered = previous != nullptr && previous->Numbering().m_renbanType != RenbanType::kNone;
    if (!numbered && previousNumbered) {
        previous->m_runBits |= kRunEnd;
    } else if (numbered && !previousNumbered) {
        child->m_runBits |= kRunStart;
    } else if (numbered && previousNumbered &&
               (child->Numbering().m_renbanType != previous->Numbering().m_renbanType || !SameRunDecoration(child, previous))) {
        previous->m_runBits |= kRunEnd;
        child->m_runBits |= kRunStart;
    }
}

void CEditSentence::ShareIndent()
{
    // While the root measures its blocks it hands the indents on itself, in one walk.
    CEditPrint* root = RootParent();
    if (root == nullptr || root->IsMeasuring())
        return;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CEditNode* child = root->GetEditChild(i);
        auto* part = child != nullptr && child->IsKind(EditKind::kSentence) ? NodeAs<CEditSentence>(child) : nullptr;
        if (part != nullptr && part->m_questionNumber == m_questionNumber &&
            part->m_subQuestionNumber == m_subQuestionNumber)
            part->m_savedIndent = m_savedIndent;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout: alignment of the lines of one box

namespace {

// Places the children of one layout box of a paragraph line by line.
class CParagraphPlacer {
public:
    CParagraphPlacer(CEditSentence* part, CEditBox* box, const LAYOUT_CONTEXT& context, int vertical)
        : m_part(part), m_box(box), m_context(context), m_vertical(vertical), m_y(context.originY),
          m_line(box->LineAt(0)), m_lineBreaks(part)
    {
    }

    void Run()
    {
        for (int i = 0; i < m_part->GetChildCount() && m_line != nullptr; ++i) {
            CEditNode* child = m_part->GetEditChild(i);
            if (child == nullptr || child->m_boxIndex < m_context.boxIndex)
                continue;
            if (child->m_boxIndex > m_context.boxIndex)
                break;
            const bool placed = IsFloatingFrame(child) ? PlaceFrame(child) : PlaceChild(child);
            if (!placed)
                return;
        }
    }

private:
    // The start of the current line and its extras, by the alignment of the line break that
    // ends it; false when the line has none.
    bool StartLine(CEditNode* from)
    {
        CEditNode* lineBreak = m_lineBreaks.From(from);
        if (lineBreak == nullptr)
            return false;
        const int beside = m_yInBox < m_floatBottom ? m_floatWidth : 0;
        m_placement = PlaceLine(AlignmentOf(lineBreak), *m_line, m_box->m_width - beside, beside, true);
        m_x = m_context.originX + m_placement.start;
        m_lineStarted = true;
        return true;
    }

    bool NextLine()
    {
        m_y += m_line->m_height;
        m_yInBox += m_line->m_height;
        m_line = m_box->LineAt(++m_lineIndex);
        m_position = 0;
        return m_line != nullptr;
    }

    // A frame ends the line that holds anything before it and stands at the top of the next;
    // the measuring closed the line there as well.
    bool PlaceFrame(CEditNode* frame)
    {
        if (m_position > 0 && !NextLine())
            return false;
        if (!StartLine(frame))
            return false;
        const int side = FloatSideOf(frame);
        int frameX = m_x;
        if (side == FLOAT_LEFT || side == FLOAT_RIGHT) {
            frameX = side == FLOAT_LEFT ? m_context.originX + m_part->GetCurrentIndent()
                                        : m_context.originX + m_box->m_width - frame->m_width;
            m_floatSide = side;
            m_floatWidth = frame->m_width;
            m_floatBottom = std::max(m_floatBottom, m_yInBox + frame->m_height);
        }
        LAYOUT_CONTEXT frameContext = CEditContainer::RowContext(m_context, frameX, m_y, m_line->m_ascent, m_line->m_axis);
        frame->Layout(&frameContext, m_vertical);
        return StartLine(frame);
    }

    bool PlaceChild(CEditNode* child)
    {
        if (!m_lineStarted && !StartLine(child))
            return false;
        while (m_position >= m_line->m_count) {
            if (!NextLine() || !StartLine(child))
                return false;
        }
        const int lineSpacing = m_context.lineSpacing;
        const int childX = m_x + (m_yInBox < m_floatBottom && m_floatSide != FLOAT_RIGHT ? m_floatWidth : 0);
        const int childY = m_y + (lineSpacing > 0 ? lineSpacing : 0);
        LAYOUT_CONTEXT childContext = CEditContainer::RowContext(m_context, childX, childY, m_line->m_ascent, m_line->m_axis);
        child->Layout(&childContext, m_vertical);
        child->m_page = m_context.page;
        child->m_rcHit = RECT{childX, childY, childX + child->m_width, childY + m_line->m_height};
        if (m_position == 0)
            m_line->m_rcLayout = RECT{childX, m_y, childX + m_line->m_width, m_y + m_line->m_height};
        if (IsQuestionNumberLabel(child))
            m_part->m_marginLeft = child->m_width;

        m_x += child->m_width;
        if (!IsLineBreak(CEditNode::FromNode(child->GetNextSibling()))) {
            if (IsSpaceNode(child))
                m_x += m_placement.spaceExtra;
            m_x += m_placement.gapExtra;
        }
        ++m_position;
        return true;
    }

    CEditSentence* m_part;
    CEditBox* m_box;
    const LAYOUT_CONTEXT& m_context;
    int m_vertical;
    int m_y;
    int m_yInBox = 0;
    EDIT_LINE* m_line;
    int m_lineIndex = 0;
    int m_position = 0;
    int m_x = 0;
    bool m_lineStarted = false;
    int m_floatBottom = 0;
    int m_floatWidth = 0;
    int m_floatSide = FLOAT_NONE;
    LINE_PLACEMENT m_placement;
    CLineBreakCursor m_lineBreaks;
};

}  // namespace

void CEditSentence::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!IsVisible() || context == nullptr)
        return;
    const int originX = context->originX;
    const int originY = context->originY;
    if (context->boxIndex == 0) {
        LAYOUT_CONTEXT labelContext;
        labelContext.originX = originX - kLabelOffset;
        labelContext.originY = originY;
        labelContext.rowAscent = m_label.m_ascent;
        m_label.Layout(&labelContext, vertical);
        m_rcLayout = RECT{originX, originY, originX + m_width, originY + m_height};
        m_rcHit = m_rcLayout;
    }
    CEditBox* box = GetBox(context->boxIndex);
    if (box == nullptr)
        return;
    box->m_rcLayout = RECT{originX, originY, originX + box->m_width, originY + box->m_height};
    box->m_rcHit = box->m_rcLayout;
    CParagraphPlacer(this, box, *context, vertical).Run();
}

bool CEditSentence::MoveBox(int boxIndex, int dx, int dy, int page)
{
    // Layout places every child of such a part, each line's first child giving the line its
    // rectangle; nothing else of it depends on where the box stands.
    CEditBox* box = GetBox(boxIndex);
    if (box == nullptr || !IsVisible() || !HasCleanLeavesOnly() || !IsLineBreak(GetEditChild(GetChildCount() - 1)))
        return false;
    if (boxIndex == 0) {
        // The label's layout sets its text point and rectangle only.
        m_label.m_ptText.x += dx;
        m_label.m_ptText.y += dy;
        MoveRect(&m_label.m_rcLayout, dx, dy);
        MoveRect(&m_rcLayout, dx, dy);
        MoveRect(&m_rcHit, dx, dy);
    }
    MoveRect(&box->m_rcLayout, dx, dy);
    MoveRect(&box->m_rcHit, dx, dy);
    for (int l = 0; l < box->GetLineCount(); ++l)
        MoveRect(&box->LineAt(l)->m_rcLayout, dx, dy);
    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || child->m_boxIndex < boxIndex)
            continue;
        if (child->m_boxIndex > boxIndex)
            break;
        child->MoveBy(dx, dy);
        child->m_page = page;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing and hit testing

void CEditSentence::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!IsVisible() || dc == nullptr || map == nullptr)
        return;
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextAlign(TA_BASELINE);
    const bool screen = !dc->IsPrinting();

    if (screen) {
        const COLORREF color = m_partKind == PART_QUESTION ? kQuestionLabelColor
                               : m_partKind == PART_ANSWER ? kAnswerLabelColor
                                                           : kOtherLabelColor;
        if (m_subQuestionNumber < 1) {
            RECT frame = m_label.m_rcLayout;
            map->DocToDeviceRect(&frame);
            frame.left -= 1;
            frame.top -= 1;
            OutlineRect(dc, frame, color);
        }
        m_label.m_color = color;
        LAYOUT_CONTEXT labelContext;
        m_label.Draw(dc, map, &labelContext);
    }

    CEditContainer::Draw(dc, map, context);

    if (screen) {
        for (int b = 0; b < GetBoxCount(); ++b) {
            const CEditBox* box = GetBox(b);
            if (box == nullptr)
                continue;
            RECT outline = box->m_rcLayout;
            map->DocToDeviceRect(&outline);
            outline.right += 1;
            outline.bottom += 1;
            OutlineRect(dc, outline, kBoxOutlineColor);
        }
    }
}

CEditNode* CEditSentence::HitTest(int x, int y, int* after)
{
    if (!IsVisible())
        return nullptr;
    if (CEditNode* hit = CEditContainer::HitTest(x, y, after)) {
        if (CEditNode* cell = FromNode(hit->FindAncestorOfType(EditKind::Code(EditKind::kKan), 1)))
            return cell;
        return hit;
    }
    // Beside a line: its first node when the point lies before it, its last when after it.
    for (int b = 0; b < GetBoxCount(); ++b) {
        CEditBox* box = GetBox(b);
        if (box == nullptr || x < box->m_rcLayout.left || x > box->m_rcLayout.right)
            continue;
        for (int l = 0; l < box->GetLineCount(); ++l) {
            const EDIT_LINE* line = box->LineAt(l);
            if (CEditNode* hit = HitBesideLineEnds(*line, GetEditChild(line->m_first), GetEditChild(line->m_last), x, y, after))
                return hit;
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The lines above and below

namespace {

// The node of the line `step` lines from the node's line in the first layout box.
CEditNode* NodeOnNeighbourLine(CEditSentence* sentence, CEditNode* node, CCaret* caret, int step)
{
    if (node == nullptr)
        return nullptr;
    CEditBox* box = sentence->GetBox(0);
    const int target = node->m_lineIndex + step;
    const EDIT_LINE* line = box != nullptr ? box->LineAt(target) : nullptr;
    if (line == nullptr)
        return node;
    const int x = node->m_rcLayout.left;
    if (caret != nullptr && caret->m_verticalMove) {
        for (int j = line->m_first; j >= 0 && j <= line->m_last; ++j) {
            CEditNode* child = sentence->GetEditChild(j);
            if (child != nullptr && child->m_rcLayout.left <= x && x < child->m_rcLayout.right)
                return child;
        }
    }
    CEditNode* last = sentence->GetEditChild(line->m_last);
    return last != nullptr ? last : node;
}

}  // namespace

CEditNode* CEditSentence::GetNodeAbove(CEditNode* node, CCaret* caret)
{
    return NodeOnNeighbourLine(this, node, caret, -1);
}

CEditNode* CEditSentence::GetNodeBelow(CEditNode* node, CCaret* caret)
{
    return NodeOnNeighbourLine(this, node, caret, 1);
}
