#include "nodes/line_builder.h"

#include "base/number_labels.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool IsSpaceUnit(char16_t unit)
{
    return unit == u' ' || unit == u'\u3000';
}

// A node of one ASCII character other than the space: a piece of a word that is carried whole.
bool IsAsciiWordNode(const CEditNode* node)
{
    if (node == nullptr || node->GetText().GetLength() != 1)
        return false;
    const char16_t unit = node->GetText().GetAt(0);
    return unit > u' ' && unit < 0x7F;
}

// A character whose whole text is decimal digits (ASCII or full-width).
bool IsDigitsNode(const CEditNode* node)
{
    if (!IsCharacter(node) || IsLineBreak(node) || node->GetText().IsEmpty())
        return false;
    for (const char16_t unit : node->GetText().View())
        if (!((unit >= u'0' && unit <= u'9') || (unit >= u'\uFF10' && unit <= u'\uFF19')))
            return false;
    return true;
}

// A character whose text may not start a line: it stays at the end of the line it overflows.
bool IsLineStartForbiddenNode(const CEditNode* node)
{
    return IsCharacter(node) && !IsLineBreak(node) && IsAllLineStartForbidden(node->GetText());
}

// A frame that stands beside the text, left or right.
bool IsSideFloat(const CEditNode* node)
{
    const int side = FloatSideOf(node);
    return side == FLOAT_LEFT || side == FLOAT_RIGHT;
}

// Takes a child's font size, axis, ascent and the extents below them into the line's maxima and
// the line height.
void AddToLineExtents(EDIT_LINE* line, const CEditNode* child)
{
    line->m_maxFontSize = std::max(line->m_maxFontSize, std::abs(child->m_lf.lfHeight));
    line->m_axis = std::max(line->m_axis, child->m_axis);
    line->m_belowAxis = std::max(line->m_belowAxis, child->m_height - child->m_axis);
    line->m_ascent = std::max(line->m_ascent, child->m_ascent);
    line->m_descent = std::max(line->m_descent, child->m_height - child->m_ascent);
    line->m_height = std::max(line->m_axis + line->m_belowAxis, line->m_ascent + line->m_descent);
}

}  // namespace

void FitLineBreak(CEditNode* lineBreak, const CEditNode* previous, bool startsLine)
{
    lineBreak->m_width = startsLine ? lineBreak->m_tm->tmAveCharWidth : 0;
    if (IsCharacter(previous)) {
        lineBreak->m_tm = previous->m_tm;
        lineBreak->m_height = previous->m_height;
        lineBreak->m_ascent = previous->m_ascent;
        lineBreak->m_axis = previous->m_axis;
    }
}

bool IsSpaceNode(const CEditNode* node)
{
    return IsCharacter(node) && !IsLineBreak(node) && node->GetText().GetLength() == 1 &&
           IsSpaceUnit(node->GetText().GetAt(0));
}

int AlignmentOf(const CEditNode* lineBreak)
{
    const auto* line = dynamic_cast<const CBlockLineRelatedProperties*>(lineBreak);
    return line != nullptr ? line->m_textAlign : ALIGN_LEFT;
}

void PlaceOnOwnRow(CEditNode* node, int x, int y, int vertical)
{
    LAYOUT_CONTEXT context;
    context.originX = x;
    context.originY = y;
    context.rowAscent = node->m_ascent;
    context.rowAxis = node->m_axis;
    node->Layout(&context, vertical);
    node->m_rcHit = RECT{x, y, x + node->m_width, y + node->m_height};
}

int FloatSideOf(const CEditNode* node)
{
    const auto* frame = dynamic_cast<const IFloatingFrame*>(node);
    return frame != nullptr ? frame->GetFloatSide() : FLOAT_NONE;
}

CLineBuilder::CLineBuilder(const LINE_SETTINGS& settings)
    : m_settings(settings), m_remaining(settings.remainingHeight), m_indent(settings.indent)
{
}

CEditNode* CLineBuilder::Child(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_children.size())
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

void CLineBuilder::Build(std::span<CEditNode* const> children)
{
    m_children = children;
    m_box = std::make_unique<CEditBox>();
    m_box->m_width = m_settings.available;

    const int count = static_cast<int>(children.size());
    for (int i = 0; i < count;) {
        CEditNode* child = Child(i);
        if (child == nullptr) {
            ++i;
            continue;
        }
        // A floating frame ends the line that holds anything before it: it stands at the top of
        // the next line, where the layout puts it.
        if (EndsLineBefore(child) || (IsFloatingFrame(child) && m_line.m_count > 0)) {
            const int carried = CarryWord(child);
            CloseLine();
            StoreLine();
            if (carried >= 0) {
                i = carried;
                continue;
            }
        }
        if (IsFloatingFrame(child))
            PlaceFrame(child);
        else
            JoinLine(i, child);
        ++i;
    }
    Finish(count > 0);
    m_children = {};
}

void CLineBuilder::Resplit(std::span<CEditNode* const> children, std::span<const EDIT_LINE> lines, int indent)
{
    m_children = children;
    m_indent = indent;
    m_box = std::make_unique<CEditBox>();
    m_box->m_width = m_settings.available;
    for (const EDIT_LINE& line : lines) {
        m_line = line;
        StoreLine();
        // The children of a line share its box and line number: a line whose first child kept
        // them kept them all, and its children are not visited.
        const int lineIndex = m_lineIndex - 1;
        const CEditNode* first = Child(line.m_first);
        if (first == nullptr || (first->m_boxIndex == m_boxIndex && first->m_lineIndex == lineIndex))
            continue;
        for (int j = line.m_first; j >= 0 && j <= line.m_last; ++j) {
            if (CEditNode* child = Child(j)) {
                child->m_boxIndex = m_boxIndex;
                child->m_lineIndex = lineIndex;
            }
        }
    }
    m_box->m_height = std::max(m_box->m_height, std::max(m_y, m_floatBottom));
    StoreBox();
    m_children = {};
}

bool CLineBuilder::EndsLineBefore(const CEditNode* child)
{
    if (IsLineBreak(m_previous))
        return true;
    // A line that holds nothing yet is never closed: a child too wide for the room starts its
    // line instead of leaving an empty line in front of it. A line break takes no room at the
    // end of its line, so it always fits.
    if (IsLineBreak(child) || m_line.m_count == 0)
        return false;
    if (m_settings.keepDigitsAfterNonDigit && IsDigitsNode(child) && !IsDigitsNode(m_previous))
        return false;
    const int room = m_settings.available - (m_y < m_floatBottom ? m_floatWidth : 0);
    if (m_line.m_width + child->m_width <= room)
        return false;
    if (m_settings.keepLineStartForbidden && IsLineStartForbiddenNode(child) && !IsLineStartForbiddenNode(m_previous))
        return false;
    if (m_settings.paragraphRecords)
        m_line.m_wrapped = 1;
    return true;
}

int CLineBuilder::CarryWord(const CEditNode* child)
{
    if (!m_settings.carryAsciiWords || !IsAsciiWordNode(m_previous) || !IsAsciiWordNode(child))
        return -1;
    // The nearest node before the word; a word that follows only the line's first node is broken.
    int carried = -1;
    for (int j = m_line.m_last - 1; j > m_line.m_first; --j) {
        if (!IsAsciiWordNode(Child(j))) {
            carried = j + 1;
            break;
        }
    }
    if (carried < 0)
        return -1;
    m_line.m_last = carried - 1;
    m_line.m_count = 0;
    m_line.m_textCount = 0;
    for (int j = m_line.m_first; j <= m_line.m_last; ++j) {
        const CEditNode* member = Child(j);
        if (member == nullptr || IsFloatingFrame(member))
            continue;
        ++m_line.m_count;
        if (!IsLineBreak(member))
            ++m_line.m_textCount;
    }
    m_line.m_movedWord = 1;
    return carried;
}

void CLineBuilder::CloseLine()
{
    EDIT_LINE& line = m_line;
    int width = 0;
    int spaces = 0;
    int place = 0;
    line.m_maxFontSize = 0;
    line.m_axis = 0;
    line.m_belowAxis = 0;
    line.m_ascent = 0;
    line.m_descent = 0;
    line.m_height = 0;
    for (int j = line.m_first; j >= 0 && j <= line.m_last; ++j) {
        CEditNode* child = Child(j);
        if (child == nullptr || IsFloatingFrame(child))
            continue;
        width += child->m_width;
        if (j != line.m_last && IsSpaceNode(child))
            ++spaces;
        AddToLineExtents(&line, child);
        child->m_lineIndex = m_lineIndex;
        child->m_indexInLine = place++;
        child->m_boxIndex = m_boxIndex;
    }
    // The indent counted only for the fit; the record's width is the children's.
    line.m_width = width;
    if (m_settings.paragraphRecords) {
        line.m_spaces = spaces;
        line.m_slack = m_settings.available - width;
    }
    if (m_settings.lineSpacing > 0)
        line.m_height += 2 * m_settings.lineSpacing;
}

void CLineBuilder::StoreBox()
{
    if (m_boxes.size() <= static_cast<size_t>(m_boxIndex))
        m_boxes.resize(static_cast<size_t>(m_boxIndex) + 1);
    m_boxes[static_cast<size_t>(m_boxIndex)] = std::move(m_box);
}

void CLineBuilder::StartFurtherBox()
{
    StoreBox();
    ++m_boxIndex;
    m_box = std::make_unique<CEditBox>();
    m_box->m_width = m_settings.available;
}

bool CLineBuilder::SpillsAt(int bottom)
{
    const bool spills = m_remaining < bottom;
    if (m_onFirstPage) {
        if (spills) {
            m_remainingHigh = std::min<int64_t>(m_remainingHigh, bottom);
            m_onFirstPage = false;
        } else {
            m_remainingLow = std::max<int64_t>(m_remainingLow, bottom);
        }
    }
    return spills;
}

void CLineBuilder::StoreLine()
{
    if (m_settings.spillToFurtherBoxes && SpillsAt(m_y + m_line.m_height)) {
        m_box->m_height = std::max(m_box->m_height, m_floatBottom);
        if (m_box->GetLineCount() > 0) {
            StartFurtherBox();
            for (int j = m_line.m_first; j >= 0 && j <= m_line.m_last; ++j) {
                if (CEditNode* child = Child(j)) {
                    child->m_boxIndex = m_boxIndex;
                    child->m_lineIndex = 0;
                }
            }
        }
        m_y = 0;
        m_lineIndex = 0;
        m_floatBottom = 0;
        m_remaining = m_settings.pageHeight;
    }
    m_box->SetLineAtGrow(m_lineIndex, m_line);
    m_y += m_line.m_height;
    ++m_lineIndex;
    m_box->m_height = std::max(m_y, m_floatBottom);
    m_line = EDIT_LINE();
    m_position = 0;
    m_previous = nullptr;
    m_firstLine = false;
}

void CLineBuilder::PlaceFrame(CEditNode* frame)
{
    if (IsSideFloat(frame)) {
        m_sideFloat = true;
        m_floatWidth = frame->m_width;
        m_floatBottom = std::max(m_floatBottom, m_y + frame->m_height);
        if (m_settings.spillToFurtherBoxes && SpillsAt(m_floatBottom)) {
            // The frame does not fit the rest of the page: it goes to the top of a further box.
            if (m_box->GetLineCount() > 0) {
                m_box->m_height = std::max(m_box->m_height, m_y);
                StartFurtherBox();
            }
            m_box->m_height = std::max(m_box->m_height, frame->m_height);
            m_y = 0;
            m_lineIndex = 0;
            m_remaining = m_settings.pageHeight;
            m_floatBottom = frame->m_height;
            m_line = EDIT_LINE();
            m_position = 0;
        }
    }
    frame->m_boxIndex = m_boxIndex;
    m_previous = frame;
    m_lastChild = frame;
}

void CLineBuilder::JoinLine(int index, CEditNode* child)
{
    if (IsLineBreak(child))
        FitLineBreak(child, m_settings.emptyLineTakesPrecedingHeight ? m_lastChild : m_previous, m_position == 0);

    const bool label = IsQuestionNumberLabel(child);
    if (m_settings.hangingIndent) {
        if (label)
            m_indent = child->m_width;
        const bool unindented = m_settings.firstLineUnindented && m_firstLine && m_boxIndex == 0;
        if (m_position == 0 && !unindented && !label) {
            m_line.m_indent = m_indent;
            m_line.m_width += m_indent;
        }
    }
    if (m_line.m_first < 0)
        m_line.m_first = index;
    m_line.m_last = index;
    ++m_line.m_count;
    if (!IsLineBreak(child))
        ++m_line.m_textCount;
    m_line.m_width += child->m_width;
    AddToLineExtents(&m_line, child);
    child->m_boxIndex = m_boxIndex;
    child->m_lineIndex = m_lineIndex;
    child->m_indexInLine = m_position++;
    m_previous = child;
    m_lastChild = child;
}

void CLineBuilder::Finish(bool hasChildren)
{
    if (m_line.m_count > 0) {
        CloseLine();
        StoreLine();
    } else if (hasChildren && m_settings.paragraphRecords) {
        // A paragraph ending in a frame still records its last, empty line.
        m_line.m_slack = m_settings.available - m_line.m_width;
        if (m_settings.lineSpacing > 0)
            m_line.m_height += 2 * m_settings.lineSpacing;
        m_box->SetLineAtGrow(m_lineIndex, m_line);
    }
    m_box->m_height = std::max(m_box->m_height, std::max(m_y, m_floatBottom));
    StoreBox();
}

LINE_PLACEMENT PlaceLine(int alignment, const EDIT_LINE& line, int room, int beside, bool paragraph)
{
    LINE_PLACEMENT placement;
    const int extra = line.m_slack - line.m_indent - beside;
    switch (alignment) {
    case ALIGN_CENTER:
        placement.start = (line.m_indent - line.m_width + room) / 2;
        break;
    case ALIGN_RIGHT:
        placement.start = room - line.m_width;
        break;
    case ALIGN_JUSTIFY:
        placement.start = line.m_indent;
        if (paragraph && line.m_wrapped && extra > 0 && line.m_spaces > 0)
            placement.spaceExtra = extra / line.m_spaces;
        break;
    case ALIGN_DISTRIBUTE:
        placement.start = line.m_indent;
        if (paragraph && line.m_slack > 0 && extra > 0) {
            if (line.m_textCount == 0)
                placement.gapExtra = extra;
            else if (line.m_textCount > 1)
                placement.gapExtra = extra / (line.m_textCount - 1);
        }
        break;
    default:
        placement.start = line.m_indent;
        break;
    }
    return placement;
}
