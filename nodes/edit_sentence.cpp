#include "nodes/edit_sentence.h"

#include "base/default_fonts.h"
#include "base/element_classes.h"
#include "base/gdi_cache.h"
#include "base/number_labels.h"
#include "nodes/caret.h"
#include "nodes/display_map.h"
#include "nodes/edit_print.h"
#include "nodes/edit_switches.h"

#include <algorithm>
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

bool IsLineBreak(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kLineBreak);
}

bool IsCharacter(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kCharacter);
}

bool IsQuestionNumberLabel(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kQuestionNumber);
}

bool IsFloatingFrame(const CEditNode* node)
{
    return node != nullptr && node->IsKind(EditKind::kFloat);
}

bool IsSpaceUnit(char16_t unit)
{
    return unit == u' ' || unit == u'\u3000';
}

// A character node holding one space.
bool IsSpaceNode(const CEditNode* node)
{
    return IsCharacter(node) && !IsLineBreak(node) && node->GetText().GetLength() == 1 &&
           IsSpaceUnit(node->GetText().GetAt(0));
}

// A node of one ASCII character other than the space: a piece of a word that is carried whole.
bool IsAsciiWordNode(const CEditNode* node)
{
    if (node == nullptr || node->GetText().GetLength() != 1)
        return false;
    const char16_t unit = node->GetText().GetAt(0);
    return unit > u' ' && unit < 0x7F;
}

// A character whose text may not start a line: it stays at the end of the line it overflows.
bool IsLineStartForbiddenNode(const CEditNode* node)
{
    return IsCharacter(node) && !IsLineBreak(node) && IsAllLineStartForbidden(node->GetText());
}

// The underline a node is numbered by: a kanbun cell's before side, any other node's underline.
void RunDecoration(const CEditNode* node, int* style, int* width)
{
    if (node->IsKind(EditKind::kKan)) {
        *style = node->m_beforeStyle;
        *width = node->m_beforeWidth;
    } else {
        *style = node->m_underlineStyle;
        *width = node->m_underlineWidth;
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
    return dynamic_cast<CEditSentence*>(node->FindAncestorOfType(EditKind::Code(EditKind::kSentence), 1));
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

void CEditSentence::NumberUnderlineRuns()
{
    static constexpr int kDecorations[][2] = {{1, 1}, {1, 3}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}};
    for (int type = 1; type <= 6; ++type) {
        for (const auto& decoration : kDecorations)
            NumberUnderlineRunsOfType(this, 1, type, decoration[0], decoration[1]);
    }
}

int CEditSentence::NumberUnderlineRunsOfType(CEditNode* node, int next, int type, int style, int width)
{
    int number = next;
    bool previousMatched = false;
    bool noMatchYet = true;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CEditNode* child = node->GetEditChild(i);
        if (child == nullptr)
            continue;
        int childStyle = 0;
        int childWidth = 0;
        RunDecoration(child, &childStyle, &childWidth);
        int d = number;
        if (child->m_renbanType == type && childStyle == style && childWidth == width) {
            if (child->m_renbanForce > 0)
                d = child->m_renbanForce;
            else if (noMatchYet || previousMatched)
                d = number;
            else
                d = number + 1;
            child->m_runNumber = d;
            previousMatched = true;
            noMatchYet = false;
        } else {
            previousMatched = false;
        }
        number = NumberUnderlineRunsOfType(child, d, type, style, width);
    }
    return number;
}

// ---------------------------------------------------------------------------------------------
// Measuring: line breaking

void CEditSentence::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    m_width = 0;
    m_height = 0;
    m_ascent = 0;
    m_axis = 0;
    DeleteBoxes();
    if (!IsVisible() || context == nullptr)
        return;

    PrepareLabelFont(map);
    LAYOUT_CONTEXT labelContext;
    m_label.Measure(dc, map, &labelContext);
    NumberUnderlineRuns();

    const int available = m_areaWidth > 0 ? m_areaWidth : context->availableWidth;
    m_width = available;
    const int pageHeight = context->pageHeight;
    int remaining = pageHeight - context->originY;
    const int lineSpacing = context->lineSpacing;
    const int childCount = GetChildCount();

    // The question-number labels show in question texts and, unless the paper interleaves its
    // parts, in the other parts too; run boundaries; then each child is measured, consecutive
    // characters of one run style sharing one font.
    const auto* root = dynamic_cast<CEditPrint*>(GetEditParent());
    {
        CFont runFont;
        const CEditNode* fontOwner = nullptr;
        CEditNode* previous = nullptr;
        for (int i = 0; i < childCount; ++i) {
            CEditNode* child = GetEditChild(i);
            if (child == nullptr)
                continue;
            if (IsQuestionNumberLabel(child))
                child->m_hidden = m_partKind != PART_QUESTION && root != nullptr && root->m_partLayoutMode == 0 ? 2 : 0;

            child->m_runBits = 0;
            const bool numbered = child->m_renbanType != 0;
            const bool previousNumbered = previous != nullptr && previous->m_renbanType != 0;
            if (!numbered && previousNumbered) {
                previous->m_runBits |= kRunEnd;
            } else if (numbered && !previousNumbered) {
                child->m_runBits |= kRunStart;
            } else if (numbered && previousNumbered &&
                       (child->m_renbanType != previous->m_renbanType || !SameRunDecoration(child, previous))) {
                previous->m_runBits |= kRunEnd;
                child->m_runBits |= kRunStart;
            }

            LAYOUT_CONTEXT childContext = ChildMeasureContext(*context, available, remaining);
            if (auto* character = IsCharacter(child) ? dynamic_cast<CEditChar*>(child) : nullptr) {
                if (fontOwner == nullptr || !character->SameRunStyle(fontOwner)) {
                    runFont.DeleteObject();
                    fontOwner = character->CreateFont(&runFont) ? character : nullptr;
                }
                if (fontOwner != nullptr)
                    childContext.font = runFont;
            }
            child->Measure(dc, map, &childContext);
            previous = child;
        }
    }

    // The hanging indent: a question text computes its own, the question's other parts hang
    // under the one it computed.
    m_marginLeft = 0;
    if (m_partKind == PART_QUESTION)
        m_savedIndent = 0;
    else
        m_marginLeft = m_savedIndent;

    int boxIndex = 0;
    auto box = std::make_unique<CEditBox>();
    box->m_width = available;
    int y = 0;
    int floatWidth = 0;
    int floatBottom = 0;
    int lineIndex = 0;
    int position = 0;
    bool firstLine = true;
    EDIT_LINE line;
    CEditNode* previous = nullptr;  // the previous child of the same line

    // Computes the line's record from its children, floating frames left out.
    auto closeLine = [&] {
        int width = 0;
        int spaces = 0;
        int place = 0;
        EDIT_LINE closed = line;
        closed.m_maxFontSize = 0;
        closed.m_axis = 0;
        closed.m_belowAxis = 0;
        closed.m_ascent = 0;
        closed.m_descent = 0;
        closed.m_height = 0;
        for (int j = line.m_first; j >= 0 && j <= line.m_last; ++j) {
            CEditNode* child = GetEditChild(j);
            if (child == nullptr || IsFloatingFrame(child))
                continue;
            width += child->m_width;
            if (j != line.m_last && IsSpaceNode(child))
                ++spaces;
            AddToLineExtents(&closed, child);
            child->m_lineIndex = lineIndex;
            child->m_indexInLine = place++;
            child->m_boxIndex = boxIndex;
        }
        closed.m_width = width;
        closed.m_spaces = spaces;
        closed.m_slack = available - width;
        if (lineSpacing > 0)
            closed.m_height += 2 * lineSpacing;
        line = closed;
    };

    // Stores the closed line. A line that does not fit the rest of the page goes to the top of a
    // further box; `next` is the child that starts the next line (-1 after the last).
    auto storeLine = [&](int next) {
        if (remaining < y + line.m_height) {
            box->m_height = std::max(box->m_height, floatBottom);
            if (box->GetLineCount() > 0) {
                SetBoxAtGrow(boxIndex, std::move(box));
                ++boxIndex;
                box = std::make_unique<CEditBox>();
                box->m_width = available;
                for (int j = line.m_first; j >= 0 && j <= line.m_last; ++j) {
                    if (CEditNode* child = GetEditChild(j)) {
                        child->m_boxIndex = boxIndex;
                        child->m_lineIndex = 0;
                    }
                }
                if (CEditNode* following = GetEditChild(next))
                    following->m_boxIndex = boxIndex;
            }
            y = 0;
            lineIndex = 0;
            floatBottom = 0;
            remaining = pageHeight;
        }
        box->SetLineAtGrow(lineIndex, line);
        y += line.m_height;
        ++lineIndex;
        box->m_height = std::max(y, floatBottom);
        line = EDIT_LINE();
        position = 0;
        previous = nullptr;
        firstLine = false;
    };

    for (int i = 0; i < childCount;) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr) {
            ++i;
            continue;
        }

        // A line that holds nothing yet is never closed: a child too wide for the room starts
        // its line instead of leaving an empty line in front of it.
        bool close = false;
        if (IsLineBreak(previous)) {
            close = true;
        } else if (!IsLineBreak(child) && line.m_count > 0) {
            const int room = available - (y < floatBottom ? floatWidth : 0);
            const bool exempt = IsLineStartForbiddenNode(child) && !IsLineStartForbiddenNode(previous);
            if (line.m_width + child->m_width > room && !exempt) {
                line.m_wrapped = 1;
                close = true;
            }
        }
        if (close) {
            // An ASCII word that overflows is carried whole to the next line, unless the line
            // holds nothing before it.
            int carried = -1;
            if (IsAsciiWordNode(previous) && IsAsciiWordNode(child)) {
                for (int j = line.m_last - 1; j > line.m_first; --j) {
                    if (!IsAsciiWordNode(GetEditChild(j))) {
                        carried = j + 1;
                        break;
                    }
                }
            }
            if (carried >= 0) {
                line.m_last = carried - 1;
                line.m_count = 0;
                line.m_textCount = 0;
                for (int j = line.m_first; j <= line.m_last; ++j) {
                    const CEditNode* member = GetEditChild(j);
                    if (member == nullptr || IsFloatingFrame(member))
                        continue;
                    ++line.m_count;
                    if (!IsLineBreak(member))
                        ++line.m_textCount;
                }
                line.m_movedWord = 1;
            }
            closeLine();
            storeLine(carried >= 0 ? carried : i);
            if (carried >= 0) {
                i = carried;
                continue;
            }
        }

        if (IsFloatingFrame(child)) {
            const int side = FloatSideOf(child);
            if (side == 1 || side == 2) {
                m_width = std::max(m_width, available);
                floatWidth = child->m_width;
                floatBottom = std::max(floatBottom, y + child->m_height);
                if (remaining < floatBottom) {
                    // The frame does not fit the rest of the page: it starts a further box.
                    if (line.m_count > 0) {
                        closeLine();
                        box->SetLineAtGrow(lineIndex, line);
                        y += line.m_height;
                    }
                    if (box->GetLineCount() > 0) {
                        box->m_height = std::max(box->m_height, y);
                        SetBoxAtGrow(boxIndex, std::move(box));
                        ++boxIndex;
                        box = std::make_unique<CEditBox>();
                        box->m_width = available;
                    }
                    box->m_height = std::max(box->m_height, child->m_height);
                    y = 0;
                    lineIndex = 0;
                    remaining = pageHeight;
                    floatBottom = child->m_height;
                    line = EDIT_LINE();
                    position = 0;
                }
            }
            child->m_boxIndex = boxIndex;
            previous = child;
            ++i;
            continue;
        }

        if (IsLineBreak(child))
            FitLineBreak(child, previous, position == 0);

        const bool label = IsQuestionNumberLabel(child);
        if (label)
            m_marginLeft = child->m_width;
        if (position == 0 && !(firstLine && m_partKind == PART_QUESTION && boxIndex == 0) && !label) {
            line.m_indent = m_marginLeft;
            line.m_width += m_marginLeft;
        }
        if (line.m_first < 0)
            line.m_first = i;
        line.m_last = i;
        ++line.m_count;
        if (!IsLineBreak(child))
            ++line.m_textCount;
        line.m_width += child->m_width;
        AddToLineExtents(&line, child);
        child->m_boxIndex = boxIndex;
        child->m_lineIndex = lineIndex;
        child->m_indexInLine = position++;
        if (IsSpaceNode(child))
            ++line.m_spaces;
        previous = child;
        ++i;
    }

    if (line.m_count > 0) {
        closeLine();
        storeLine(-1);
    } else if (childCount > 0) {
        line.m_slack = available - line.m_width;
        if (lineSpacing > 0)
            line.m_height += 2 * lineSpacing;
        box->SetLineAtGrow(lineIndex, line);
    }
    SetBoxAtGrow(boxIndex, std::move(box));

    const CEditBox* first = GetBox(0);
    m_height = first != nullptr ? first->m_height : 0;

    // A question text hands its indent to the question's other parts.
    if (m_partKind == PART_QUESTION) {
        m_savedIndent = m_marginLeft;
        if (CEditNode* parent = GetEditParent(); parent != nullptr && parent->IsKind(EditKind::kPrint)) {
            for (int i = 0; i < parent->GetChildCount(); ++i) {
                auto* part = dynamic_cast<CEditSentence*>(parent->GetEditChild(i));
                if (part != nullptr && part->IsKind(EditKind::kSentence) &&
                    part->m_questionNumber == m_questionNumber && part->m_subQuestionNumber == m_subQuestionNumber)
                    part->m_savedIndent = m_savedIndent;
            }
        }
    }
    m_dirty = 0;
}

// ---------------------------------------------------------------------------------------------
// Layout: alignment of the lines of one box

void CEditSentence::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (!IsVisible() || context == nullptr)
        return;
    const int originX = context->originX;
    const int originY = context->originY;
    const int boxIndex = context->boxIndex;
    if (boxIndex == 0) {
        LAYOUT_CONTEXT labelContext;
        labelContext.originX = originX - kLabelOffset;
        labelContext.originY = originY;
        labelContext.rowAscent = m_label.m_ascent;
        m_label.Layout(&labelContext, vertical);
        m_rcLayout = RECT{originX, originY, originX + m_width, originY + m_height};
        m_rcHit = m_rcLayout;
    }
    CEditBox* box = GetBox(boxIndex);
    if (box == nullptr)
        return;
    box->m_rcLayout = RECT{originX, originY, originX + box->m_width, originY + box->m_height};
    box->m_rcHit = box->m_rcLayout;

    const int lineSpacing = context->lineSpacing;
    int lineIndex = 0;
    EDIT_LINE* line = box->LineAt(0);
    if (line == nullptr)
        return;
    int position = 0;
    int x = originX;
    int y = originY;
    int yInBox = 0;
    int floatBottom = 0;
    int floatWidth = 0;
    int floatSide = 0;
    bool lineStarted = false;
    bool firstInBox = true;
    // What justification and distribution add after a space or a child.
    int spaceExtra = 0;
    int gapExtra = 0;

    // The start of the current line and its extras, by the alignment of the line break that ends
    // it; false when the line has none.
    auto startLine = [&](CEditNode* from) {
        CEditNode* lineBreak = FindLineBreakFrom(from);
        if (lineBreak == nullptr)
            return false;
        const int width = line->m_width;
        const int indent = line->m_indent;
        const int slack = line->m_slack;
        const int beside = yInBox < floatBottom ? floatWidth : 0;
        const int room = box->m_width - beside;
        spaceExtra = 0;
        gapExtra = 0;
        switch (AlignmentOf(lineBreak)) {
        case 1:
            x = originX + (indent - width + room) / 2;
            break;
        case 2:
            x = originX + room - width;
            break;
        case 3: {
            x = originX + indent;
            const int extra = slack - indent - beside;
            if (line->m_wrapped && extra > 0 && line->m_spaces > 0)
                spaceExtra = extra / line->m_spaces;
            break;
        }
        case 4: {
            x = originX + indent;
            const int extra = slack - indent - beside;
            if (slack > 0 && extra > 0) {
                if (line->m_textCount == 0)
                    gapExtra = extra;
                else if (line->m_textCount > 1)
                    gapExtra = extra / (line->m_textCount - 1);
            }
            break;
        }
        default:
            x = originX + indent;
            break;
        }
        return true;
    };
    auto nextLine = [&] {
        y += line->m_height;
        yInBox += line->m_height;
        line = box->LineAt(++lineIndex);
        position = 0;
        return line != nullptr;
    };

    for (int i = 0; i < GetChildCount(); ++i) {
        CEditNode* child = GetEditChild(i);
        if (child == nullptr || child->m_boxIndex < boxIndex)
            continue;
        if (child->m_boxIndex > boxIndex)
            break;

        if (IsFloatingFrame(child)) {
            if (!firstInBox && !nextLine())
                return;
            firstInBox = false;
            if (!startLine(child))
                return;
            lineStarted = true;
            const int side = FloatSideOf(child);
            int frameX = x;
            if (side == 1 || side == 2) {
                frameX = side == 1 ? originX + m_marginLeft : originX + box->m_width - child->m_width;
                floatSide = side;
                floatWidth = child->m_width;
                floatBottom = std::max(floatBottom, yInBox + child->m_height);
            }
            LAYOUT_CONTEXT frameContext = RowContext(*context, frameX, y, line->m_ascent, line->m_axis);
            child->Layout(&frameContext, vertical);
            if (!startLine(child))
                return;
            continue;
        }

        if (!lineStarted) {
            if (!startLine(child))
                return;
            lineStarted = true;
        }
        while (position >= line->m_count) {
            if (!nextLine() || !startLine(child))
                return;
        }
        firstInBox = false;

        const int childX = x + (yInBox < floatBottom && floatSide != 2 ? floatWidth : 0);
        const int childY = y + (lineSpacing > 0 ? lineSpacing : 0);
        LAYOUT_CONTEXT childContext = RowContext(*context, childX, childY, line->m_ascent, line->m_axis);
        child->Layout(&childContext, vertical);
        child->m_page = context->page;
        child->m_rcHit = RECT{childX, childY, childX + child->m_width, childY + line->m_height};
        if (position == 0)
            line->m_rcLayout = RECT{childX, y, childX + line->m_width, y + line->m_height};
        if (IsQuestionNumberLabel(child))
            m_marginLeft = child->m_width;

        x += child->m_width;
        const bool beforeLineBreak = IsLineBreak(CEditNode::FromNode(child->GetNextSibling()));
        if (!beforeLineBreak) {
            if (IsSpaceNode(child))
                x += spaceExtra;
            x += gapExtra;
        }
        ++position;
    }
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
            if (y < line->m_rcLayout.top || y > line->m_rcLayout.bottom)
                continue;
            CEditNode* first = GetEditChild(line->m_first);
            CEditNode* last = GetEditChild(line->m_last);
            if (first != nullptr && x <= first->m_rcLayout.left) {
                if (after != nullptr)
                    *after = 0;
                return first;
            }
            if (last != nullptr && x >= last->m_rcLayout.right) {
                if (after != nullptr)
                    *after = 1;
                return last;
            }
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
