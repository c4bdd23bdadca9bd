#include "dialogs/grid_cell_type.h"

#include <algorithm>

namespace {

constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF LightGrey = RGB(225, 225, 225);

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void Line(CDC* dc, int x1, int y1, int x2, int y2)
{
    dc->MoveTo(x1, y1);
    dc->LineTo(x2, y2);
}

enum class Side { Left, Top, Right, Bottom };

// Draws one line along a side of the rectangle, `depth` pixels in from its edge.
void SideLine(CDC* dc, const RECT& r, Side side, int depth)
{
    switch (side) {
    case Side::Left: Line(dc, r.left + depth, r.top, r.left + depth, r.bottom); break;
    case Side::Top: Line(dc, r.left, r.top + depth, r.right, r.top + depth); break;
    case Side::Right: Line(dc, r.right - 1 - depth, r.top, r.right - 1 - depth, r.bottom); break;
    case Side::Bottom: Line(dc, r.left, r.bottom - 1 - depth, r.right, r.bottom - 1 - depth); break;
    }
}

void Inset(RECT& r, Side side, int amount)
{
    switch (side) {
    case Side::Left: r.left += amount; break;
    case Side::Top: r.top += amount; break;
    case Side::Right: r.right -= amount; break;
    case Side::Bottom: r.bottom -= amount; break;
    }
}

// A sunken or raised frame: `first` on the left and top, `second` on the right and bottom.
void DrawFrame(CDC* dc, RECT& r, int thickness, COLORREF first, COLORREF second)
{
    if (dc) {
        CPen firstPen(PS_SOLID, 1, first);
        CPen secondPen(PS_SOLID, 1, second);
        HPEN old = dc->SelectObject(&firstPen);
        for (int i = 0; i < thickness; ++i) {
            SideLine(dc, r, Side::Left, i);
            SideLine(dc, r, Side::Top, i);
        }
        dc->SelectObject(&secondPen);
        for (int i = 0; i < thickness; ++i) {
            SideLine(dc, r, Side::Right, i);
            SideLine(dc, r, Side::Bottom, i);
        }
        dc->SelectObject(old);
    }
    r.left += thickness;
    r.top += thickness;
    r.right -= thickness;
    r.bottom -= thickness;
}

std::u16string_view Ellipsis() { return u"..."; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The normal type

std::u16string CGridCellType::GetTypeName() const
{
    return u"Normal Cell Type (default)";
}

int CGridCellType::OnClick(int, int, int, const RECT&, POINT) { return 0; }
int CGridCellType::OnRightClick(int, int, int, const RECT&, POINT) { return 0; }
int CGridCellType::OnDoubleClick(int, int, const RECT&, POINT) { return 0; }
int CGridCellType::OnKeyDown(int, int, int) { return 0; }
int CGridCellType::OnChar(int, int, int) { return 0; }
int CGridCellType::OnMouseMove(int, int, POINT, UINT) { return 0; }
void CGridCellType::OnEnterCell(int, int, const CGridCell&) {}
void CGridCellType::OnLeaveCell(int, int, const CGridCell&) {}

void CGridCellType::Draw(CDC* dc, RECT rect, int, int, const CGridCell& cell, BOOL selected, BOOL focus)
{
    DrawBorder(dc, rect, cell);
    DrawText(dc, rect, cell, selected, focus);
}

void CGridCellType::DrawBorder(CDC* dc, RECT& rect, const CGridCell& cell)
{
    const uint16_t border = cell.GetBorder();
    const int thickness = m_grid ? m_grid->Get3DBorderThickness() : 1;
    if (border & GRID_BORDER::Sunken)
        DrawFrame(dc, rect, thickness, GridSystem::ButtonShadow, White);
    if (border & GRID_BORDER::Raised)
        DrawFrame(dc, rect, thickness, White, GridSystem::ButtonShadow);

    CPen black(PS_SOLID, 1, Black);
    HPEN old = dc ? dc->SelectObject(&black) : HPEN();
    const Side sides[] = {Side::Left, Side::Top, Side::Right, Side::Bottom};
    for (int i = 0; i < 4; ++i) {
        const bool single = border & (GRID_BORDER::Left << i);
        const bool twice = border & (GRID_BORDER::DoubleLeft << i);
        const bool thrice = border & (GRID_BORDER::TripleLeft << i);
        int depth = 0;
        if (thrice) {
            if (dc) {
                SideLine(dc, rect, sides[i], 0);
                SideLine(dc, rect, sides[i], 1);
                SideLine(dc, rect, sides[i], 3);
            }
            depth = 4;
        } else if (twice) {
            if (dc) {
                SideLine(dc, rect, sides[i], 0);
                SideLine(dc, rect, sides[i], 1);
            }
            depth = 2;
        } else if (single) {
            if (dc)
                SideLine(dc, rect, sides[i], 0);
            depth = 1;
        }
        Inset(rect, sides[i], depth);
    }
    if (dc)
        dc->SelectObject(old);
}

const std::u16string& CGridCellType::TextToDraw(const CGridCell& cell) const
{
    if ((cell.GetTypeExtension() & 0xFF) == GRID_TYPE_EXTENSION::DrawText3)
        return cell.GetText3();
    return cell.GetText();
}

int CGridCellType::DrawBitmap(CDC* dc, const RECT& rect, HBITMAP bitmap, COLORREF back)
{
    BITMAP info{};
    if (!GetObject(bitmap, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return 0;
    const int available = Height(rect) - 4;
    int width = info.bmWidth;
    int height = info.bmHeight;
    const bool stretched = height > available;
    if (stretched && available > 0) {
        const int percent = 100 * available / height;
        width = width * percent / 100;
        height = available;
    }
    width = std::min(width, Width(rect) - 4);
    if (width <= 0 || height <= 0)
        return 0;
    const int x = rect.left + 2;
    const int y = stretched ? rect.top + 2 : rect.top + (Height(rect) - height) / 2;
    RECT strip{rect.left, rect.top, x + width + 2, rect.bottom};
    dc->FillSolidRect(&strip, back);
    std::unique_ptr<CDC> source = dc->CreateCompatibleDC();
    HBITMAP old = source->SelectObject(bitmap);
    if (stretched)
        dc->StretchBlt(x, y, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    else
        dc->BitBlt(x, y, width, height, source.get(), 0, 0, SRCCOPY);
    source->SelectObject(old);
    return width;
}

void CGridCellType::DrawText(CDC* dc, const RECT& rect, const CGridCell& cell, BOOL selected, BOOL focus)
{
    const int option = m_grid ? m_grid->GetHighlightOption() : 0;
    const bool highlighted = selected || (focus && (option & 2));
    const COLORREF text = highlighted ? cell.GetHighlightTextColor() : cell.GetTextColor();
    const COLORREF back = highlighted ? cell.GetHighlightBackColor() : cell.GetBackColor();
    const int margin = m_grid ? m_grid->GetTextMargin() : 2;

    dc->SaveDC();
    HFONT font = cell.GetFont();
    if (!font && m_grid)
        font = m_grid->GetCellFont();
    if (font)
        dc->SelectObject(font);
    dc->SetTextColor(text);
    dc->SetBkColor(back);

    RECT area = rect;
    if (HBITMAP bitmap = cell.GetBitmap())
        area.left += DrawBitmap(dc, rect, bitmap, back) + 4;

    const std::u16string& string = TextToDraw(cell);
    const uint16_t align = cell.GetAlignment();
    const int extension = cell.GetTypeExtension();
    SIZE extent{};
    dc->GetTextExtentPoint32W(string.data(), static_cast<int>(string.size()), &extent);

    auto xFor = [&](int width, const RECT& r) {
        if (align & GRID_ALIGN::Center)
            return r.left + (Width(r) - width) / 2;
        if (align & GRID_ALIGN::Right)
            return r.right - margin - width;
        return r.left + margin;
    };
    auto yFor = [&](int height, const RECT& r) {
        if (align & GRID_ALIGN::VCenter)
            return r.top + (Height(r) - height) / 2;
        if (align & GRID_ALIGN::Bottom)
            return r.bottom - 1 - height;
        return r.top + 1;
    };

    if (extension & GRID_TYPE_EXTENSION::WordWrap) {
        dc->FillSolidRect(&area, back);
        RECT wrap = area;
        if (align & GRID_ALIGN::Right)
            wrap.right -= 2;
        else if (!(align & GRID_ALIGN::Center) && (align & GRID_ALIGN::Indent))
            wrap.left += 2;
        DrawWrapped(dc, wrap, string, align);
    } else if ((extension & GRID_TYPE_EXTENSION::Ellipsis) && extent.cx + 6 > Width(area)) {
        SIZE dots{};
        dc->GetTextExtentPoint32W(Ellipsis().data(), static_cast<int>(Ellipsis().size()), &dots);
        dc->FillSolidRect(&area, back);
        RECT clip{area.left + 3, area.top, std::max(area.left + 3, area.right - dots.cx - 3), area.bottom};
        const int y = yFor(extent.cy, area);
        dc->ExtTextOutW(clip.left, y, ETO_CLIPPED, &clip, string.data(), static_cast<UINT>(string.size()), nullptr);
        dc->ExtTextOutW(clip.right, y, ETO_CLIPPED, &area, Ellipsis().data(), static_cast<UINT>(Ellipsis().size()), nullptr);
    } else {
        dc->ExtTextOutW(xFor(extent.cx, area), yFor(extent.cy, area), ETO_OPAQUE | ETO_CLIPPED, &area, string.data(),
                        static_cast<UINT>(string.size()), nullptr);
    }
    dc->RestoreDC(-1);
}

void CGridCellType::DrawWrapped(CDC* dc, const RECT& rect, const std::u16string& text, uint16_t align)
{
    // Breaks at the last space that fits, else between characters; line breaks in the text end a line.
    std::vector<std::u16string> lines;
    std::u16string line;
    auto widthOf = [dc](const std::u16string& s) {
        SIZE size{};
        dc->GetTextExtentPoint32W(s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int available = Width(rect);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r')
            continue;
        if (c == u'\n') {
            lines.push_back(std::move(line));
            line.clear();
            continue;
        }
        line.push_back(c);
        if (line.size() > 1 && widthOf(line) > available) {
            line.pop_back();
            const size_t space = line.rfind(u' ');
            if (space != std::u16string::npos && space > 0) {
                lines.push_back(line.substr(0, space));
                line = line.substr(space + 1);
            } else {
                lines.push_back(line);
                line.clear();
            }
            if (c != u' ')
                line.push_back(c);
        }
    }
    lines.push_back(std::move(line));

    int y = rect.top;
    for (const std::u16string& l : lines) {
        SIZE size{};
        dc->GetTextExtentPoint32W(l.data(), static_cast<int>(l.size()), &size);
        if (size.cy <= 0)
            size.cy = 1;
        int x = rect.left;
        if (align & GRID_ALIGN::Center)
            x = rect.left + (Width(rect) - size.cx) / 2;
        else if (align & GRID_ALIGN::Right)
            x = rect.right - size.cx;
        if (!l.empty())
            dc->ExtTextOutW(x, y, ETO_CLIPPED, &rect, l.data(), static_cast<UINT>(l.size()), nullptr);
        y += size.cy;
        if (y >= rect.bottom)
            break;
    }
}

void CGridCellType::GetBestSize(CDC* dc, SIZE& size, const CGridCell& cell)
{
    const std::u16string& text = cell.GetText();
    if (!cell.Has(GRID_CELL_PROPERTY::Text)) {
        size = SIZE{9, 5};
        return;
    }
    dc->SaveDC();
    HFONT font = cell.GetFont();
    if (!font && m_grid)
        font = m_grid->GetCellFont();
    if (font)
        dc->SelectObject(font);
    SIZE extent{};
    dc->GetTextExtentPoint32W(text.data(), static_cast<int>(text.size()), &extent);
    dc->RestoreDC(-1);
    size = SIZE{extent.cx + 6, extent.cy + 2};
}

// ---------------------------------------------------------------------------------------------
// The check-box type

CGridCheckBoxType::CGridCheckBoxType(CGridCellHost* grid)
    : CGridCellType(grid),
      m_shadowPen(PS_SOLID, 1, GridSystem::ButtonShadow),
      m_lightGreyPen(PS_SOLID, 1, LightGrey),
      m_facePen(PS_SOLID, 1, GridSystem::ButtonFace)
{
}

std::u16string CGridCheckBoxType::GetTypeName() const
{
    return u"Standard CheckBox Type";
}

const std::u16string& CGridCheckBoxType::TextToDraw(const CGridCell& cell) const
{
    // The value is shown by the box, never as "0" or "1".
    return cell.GetText3();
}

RECT CGridCheckBoxType::BoxRect(const RECT& content)
{
    const int size = std::min(Height(content) - 6, 12);
    if (size <= 5)
        return RECT{};
    const int left = content.left + 18;
    const int top = content.top + (Height(content) - size) / 2;
    return RECT{left, top, left + size, top + size};
}

void CGridCheckBoxType::Draw(CDC* dc, RECT rect, int, int, const CGridCell& cell, BOOL selected, BOOL focus)
{
    DrawBorder(dc, rect, cell);
    DrawText(dc, rect, cell, selected, focus);
    const RECT box = BoxRect(rect);
    if (box.right == box.left)
        return;
    const int style = (cell.GetTypeExtension() >> 8) & 0xFF;
    DrawBox(dc, box, style);
    if (cell.GetNumber() > 0)
        DrawMark(dc, box, style);
}

void CGridCheckBoxType::DrawBox(CDC* dc, const RECT& box, int style)
{
    const int l = box.left, t = box.top, r = box.right - 1, b = box.bottom - 1;
    auto pen = [dc](COLORREF color) {
        return CPen(PS_SOLID, 1, color);
    };
    dc->SaveDC();
    if (style & 0x01) {
        // 3-D sunken: white inside, shadow over highlight outside, dark shadow over face inside.
        dc->FillSolidRect(&box, White);
        CPen shadow = pen(GridSystem::ButtonShadow), light = pen(GridSystem::ButtonHighlight);
        CPen dark = pen(GridSystem::DarkShadow), face = pen(GridSystem::ButtonFace);
        dc->SelectObject(&shadow);
        Line(dc, l, b, l, t), dc->LineTo(r + 1, t);
        dc->SelectObject(&light);
        Line(dc, r, t + 1, r, b), dc->LineTo(l - 1, b);
        dc->SelectObject(&dark);
        Line(dc, l + 1, b - 1, l + 1, t + 1), dc->LineTo(r, t + 1);
        dc->SelectObject(&face);
        Line(dc, r - 1, t + 2, r - 1, b - 1), dc->LineTo(l, b - 1);
    } else if (style & 0x02) {
        // Flat: light grey and black outside, face and shadow inside.
        dc->FillSolidRect(&box, White);
        CPen black = pen(Black);
        dc->SelectObject(&m_lightGreyPen);
        Line(dc, l, b, l, t), dc->LineTo(r + 1, t);
        dc->SelectObject(&black);
        Line(dc, r, t + 1, r, b), dc->LineTo(l - 1, b);
        dc->SelectObject(&m_shadowPen);
        Line(dc, r - 1, t + 1, r - 1, b - 1), dc->LineTo(l, b - 1);
        dc->SelectObject(&m_facePen);
        Line(dc, l + 1, b - 1, l + 1, t + 1), dc->LineTo(r - 1, t + 1);
    } else {
        CPen black = pen(Black);
        dc->SelectObject(&black);
        dc->SelectStockObject(NULL_BRUSH);
        dc->Rectangle(&box);
    }
    dc->RestoreDC(-1);
}

void CGridCheckBoxType::DrawMark(CDC* dc, const RECT& box, int style)
{
    const int size = box.right - box.left;
    const int l = box.left, t = box.top, r = box.right, b = box.bottom;
    dc->SaveDC();
    CPen black(PS_SOLID, 1, Black);
    dc->SelectObject(&black);
    if (style & 0x10) {
        const int strokes = size > 9 ? 3 : 1;
        for (int i = 0; i < strokes; ++i) {
            dc->MoveTo(l + 1, b - 4 - i);
            dc->LineTo(l + 3, b - 2 - i);
            dc->LineTo(r - 1, t + 2 - i);
        }
    } else {
        const int strokes = size > 9 ? 2 : 1;
        for (int i = 0; i < strokes; ++i) {
            Line(dc, l + 2 + i, t + 2, r - 2 + i, b - 2);
            Line(dc, r - 3 + i, t + 2, l + 1 + i, b - 2);
        }
    }
    dc->RestoreDC(-1);
}

int CGridCheckBoxType::OnClick(int column, int row, int pressed, const RECT& rect, POINT point)
{
    CGridCellHost* grid = GetGrid();
    if (pressed || !grid)
        return 0;
    grid->GetEffectiveCell(column, row, m_scratch);
    RECT content = rect;
    DrawBorder(nullptr, content, m_scratch);
    const RECT box = BoxRect(content);
    if (box.right == box.left || point.x < box.left || point.x >= box.right || point.y < box.top ||
        point.y >= box.bottom)
        return 0;
    m_scratch.SetNumber(m_scratch.GetNumber() == 0 ? 1 : 0);
    grid->SetCell(column, row, m_scratch);
    grid->RefreshCell(column, row);
    return 1;
}

int CGridCheckBoxType::OnDoubleClick(int column, int row, const RECT& rect, POINT point)
{
    return OnClick(column, row, 1, rect, point);
}

int CGridCheckBoxType::OnChar(int, int, int character)
{
    CGridCellHost* grid = GetGrid();
    if (character != ' ' || !grid)
        return 0;
    const int column = grid->GetCurrentColumn();
    const int row = grid->GetCurrentRow();
    m_scratch.ClearProperties();
    grid->GetCell(column, row, m_scratch);
    m_scratch.SetNumber(m_scratch.GetBoolValue() ? 0 : 1);
    grid->SetCell(column, row, m_scratch);
    grid->RefreshCell(column, row);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// The registry

int CGridArray::Add(CGridCellType* pointer, int value)
{
    auto free = std::find_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return !e.used; });
    if (free == m_entries.end()) {
        const size_t old = m_entries.size();
        m_entries.resize(old + 10);
        free = m_entries.begin() + static_cast<std::ptrdiff_t>(old);
    }
    *free = Entry{};
    free->used = true;
    free->pointer = pointer;
    free->value = value;
    ++m_used;
    return static_cast<int>(free - m_entries.begin());
}

CGridCellType* CGridArray::Lookup(int index) const
{
    if (index < 0 || index >= GetCapacity() || !m_entries[static_cast<size_t>(index)].used)
        return nullptr;
    return m_entries[static_cast<size_t>(index)].pointer;
}

void CGridArray::Remove(int index)
{
    if (index < 0 || index >= GetCapacity() || !m_entries[static_cast<size_t>(index)].used)
        return;
    m_entries[static_cast<size_t>(index)] = Entry{};
    --m_used;
}
