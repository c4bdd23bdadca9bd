#include "ui/menus.h"
#include "ui/ui_resources.h"

#include "base/gdi_cache.h"
#include "platform/gdi_qt.h"
#include "platform/packed_dib.h"

#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A three-dimensional frame: `topLeft` on the top and left edges, `bottomRight` on the others.
void Draw3dRect(CDC* dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    dc->FillSolidRect(r.left, r.top, w - 1, 1, topLeft);
    dc->FillSolidRect(r.left, r.top, 1, h - 1, topLeft);
    dc->FillSolidRect(r.right - 1, r.top, 1, h, bottomRight);
    dc->FillSolidRect(r.left, r.bottom - 1, w, 1, bottomRight);
}

// Single-line text, vertically centred, aligned left or right in the rectangle.
void DrawLineText(CDC* dc, const RECT& r, std::u16string_view text, bool right)
{
    if (text.empty())
        return;
    SIZE extent{};
    dc->GetTextExtentPoint32W(text.data(), static_cast<int>(text.size()), &extent);
    const int x = right ? r.right - extent.cx : r.left;
    const int y = r.top + (r.bottom - r.top - extent.cy) / 2;
    const UINT align = dc->SetTextAlign(TA_LEFT | TA_TOP);
    dc->TextOutW(x, y, text);
    dc->SetTextAlign(align);
}

// An icon as an image over the colour it stands on, drawn as a DIB; disabled icons are greyed.
void DrawIconImage(CDC* dc, int x, int y, int w, int h, const QIcon& icon, COLORREF background, bool disabled)
{
    if (icon.isNull())
        return;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(GetRValue(background), GetGValue(background), GetBValue(background)));
    {
        QPainter painter(&image);
        icon.paint(&painter, QRect(0, 0, w, h), Qt::AlignCenter, disabled ? QIcon::Disabled : QIcon::Normal);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc->SetDIBitsToDevice(x, y, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                          image.constBits(), &info, DIB_RGB_COLORS);
}

QIcon ResourceIcon(unsigned id)
{
    InitUiResources();
    const QString path = QString(":/tarsel/icons/%1.svg").arg(id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace

// --- icon table and text pool

bool CMenuIconTable::Append(unsigned id, const QIcon& icon)
{
    if (m_count >= kSlots)
        return false;
    m_slots[m_count++] = Slot{id, icon};
    return true;
}

QIcon CMenuIconTable::GetIcon(unsigned id) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_slots[i].id == id && !m_slots[i].icon.isNull())
            return m_slots[i].icon;
    return QIcon();
}

int CMenuIconTable::IndexOf(unsigned id) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_slots[i].id == id)
            return i;
    return -1;
}

QIcon CMenuIconTable::SetIcon(unsigned id, const QIcon& icon)
{
    const int index = IndexOf(id);
    if (index < 0)
        return QIcon();
    QIcon previous = m_slots[index].icon;
    m_slots[index].icon = icon;
    return previous;
}

int CMenuTextPool::Add(const std::u16string& text)
{
    for (size_t i = 0; i < m_texts.size(); ++i)
        if (m_texts[i] == text)
            return static_cast<int>(i);
    m_texts.push_back(text);
    return static_cast<int>(m_texts.size() - 1);
}

std::u16string CMenuTextPool::GetText(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_texts.size() ? m_texts[static_cast<size_t>(index)]
                                                                      : std::u16string();
}

// --- icon menu

SIZE CIconMenu::MeasureItem(CDC* dc, unsigned id, uintptr_t data) const
{
    if (id == 0)
        return SIZE{18, kMenuHeight / 2};
    const std::u16string text = m_texts.GetText(static_cast<int>(data));
    SIZE extent{};
    dc->GetTextExtentPoint32W(text.data(), static_cast<int>(text.size()), &extent);
    return SIZE{extent.cx + 42, 20};
}

void CIconMenu::DrawItemText(CDC* dc, const RECT& rect, const std::u16string& text)
{
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const size_t tab = text.find(u'\t');
    if (tab == std::u16string::npos || tab == 0) {
        DrawLineText(dc, rect, text, false);
    } else {
        DrawLineText(dc, rect, std::u16string_view(text).substr(0, tab), false);
        DrawLineText(dc, rect, std::u16string_view(text).substr(tab + 1), true);
    }
    dc->SetBkMode(oldMode);
}

void CIconMenu::DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const
{
    const RECT& r = item.rect;
    const QIcon icon = m_icons.GetIcon(item.id);
    const std::u16string text = m_texts.GetText(static_cast<int>(item.data));
    const bool selected = item.state & ODS_SELECTED;
    const bool grayed = item.state & ODS_GRAYED;
    const bool checked = item.state & ODS_CHECKED;
    const RECT box{r.left, r.top, r.left + 20, r.bottom};
    const RECT textRect{r.left + 24, r.top, r.right - 20, r.bottom};
    const RECT fill{(!icon.isNull() || checked) ? r.left + 20 : r.left, r.top, r.right, r.bottom};
    const COLORREF fillColor = selected ? MenuColor::kHighlight : MenuColor::kMenu;
    dc->SetBkMode(OPAQUE);
    dc->FillSolidRect(&fill, fillColor);

    if (checked) {
        // Checked: a checkerboard of highlight pixels over the face colour, then a sunken frame.
        dc->FillSolidRect(&box, selected ? MenuColor::kMenu : MenuColor::kButtonFace);
        if (!selected)
            for (int y = box.top + 1; y < box.bottom - 1; ++y)
                for (int x = box.left + 1; x < box.right - 1; ++x)
                    if ((x + y) % 2)
                        dc->SetPixel(x, y, MenuColor::kButtonHighlight);
        Draw3dRect(dc, box, MenuColor::kButtonShadow, MenuColor::kButtonHighlight);
        const QIcon shown = icon.isNull() ? ResourceIcon(293) : icon;
        DrawIconImage(dc, r.left + 1, r.top + 2, 16, 15, shown, MenuColor::kMenu, grayed && selected);
    } else {
        if (icon.isNull())
            dc->FillSolidRect(&box, fillColor);
        else
            dc->FillSolidRect(&box, MenuColor::kMenu);
        DrawIconImage(dc, r.left + 1, r.top + 2, 16, 15, icon, MenuColor::kMenu, grayed);
        if (selected && !icon.isNull())
            Draw3dRect(dc, box, MenuColor::kButtonHighlight, MenuColor::kButtonShadow);
    }

    if (grayed && !selected && !checked) {
        dc->SetTextColor(MenuColor::kButtonHighlight);
        const RECT offset{textRect.left + 1, textRect.top + 1, textRect.right + 1, textRect.bottom + 1};
        DrawItemText(dc, offset, text);
        dc->SetTextColor(MenuColor::kGrayText);
    } else if (grayed && selected) {
        dc->SetTextColor(MenuColor::kGrayText);
    } else {
        dc->SetTextColor(selected ? MenuColor::kHighlightText : MenuColor::kMenuText);
    }
    DrawItemText(dc, textRect, text);
}

// --- picker tables

const std::vector<COLOR_ENTRY>& ColorTable()
{
    static const std::vector<COLOR_ENTRY> table = {
        {32818, 32800, 0x000000}, {32819, 32801, 0xC0C0C0}, {32820, 32802, 0x808080}, {32821, 32803, 0xFFFFFF},
        {32822, 32804, 0x000080}, {32823, 32805, 0x0000FF}, {32824, 32806, 0x800080}, {32825, 32807, 0xFF00FF},
        {32826, 32808, 0x008000}, {32827, 32809, 0x00FF00}, {32828, 32810, 0x008080}, {32829, 32811, 0x00FFFF},
        {32830, 32812, 0x800000}, {32831, 32813, 0xFF0000}, {32832, 32814, 0x808000}, {32833, 32815, 0xFFFF00}};
    return table;
}

const std::vector<SHADE_ENTRY>& ShadeTable()
{
    static const std::vector<SHADE_ENTRY> table = {{32864, 4}, {32865, 5}, {32866, 6}, {32867, 3},
                                                   {32868, 1}, {32869, 2}, {32863, 0}};
    return table;
}

const std::vector<LINE_ENTRY>& LineTable(int kind)
{
    static const std::vector<LINE_ENTRY> underline = {{32938, 1}, {32939, 2}, {32940, 3}, {32942, 4}, {32941, 5},
                                                      {32943, 6}, {32944, 7}, {32945, 8}, {32937, 0}};
    static const std::vector<LINE_ENTRY> strike = {{32947, 1}, {32948, 2}, {32949, 3}, {32951, 4}, {32950, 5},
                                                   {32952, 6}, {32953, 7}, {32954, 8}, {32946, 0}};
    static const std::vector<LINE_ENTRY> border = {{32956, 1}, {32957, 2}, {32958, 3}, {32960, 4}, {32959, 5},
                                                   {32961, 6}, {32962, 7}, {32955, 0}};
    static const std::vector<LINE_ENTRY> none;
    switch (kind) {
    case 0: return underline;
    case 1: return strike;
    case 2: return border;
    default: return none;
    }
}

const std::vector<unsigned>& TemplateCategory(int category)
{
    auto range = [](unsigned first, unsigned last) {
        std::vector<unsigned> ids;
        for (unsigned id = first; id <= last; ++id)
            ids.push_back(id);
        return ids;
    };
    static const std::vector<std::vector<unsigned>> categories = {
        {250, 251},
        range(159, 179),
        {180, 181, 182},
        {184, 183},
        {185, 186, 187},
        {194, 195, 196, 191, 192, 193, 197, 198, 199, 200},
        range(201, 207),
        range(208, 213),
        range(214, 218),
        {219, 220},
        range(221, 228),
        range(229, 236),
        range(237, 249),
        {431, 432},
        {391, 392, 393}};
    static const std::vector<unsigned> none;
    return category >= 0 && category < static_cast<int>(categories.size()) ? categories[static_cast<size_t>(category)]
                                                                            : none;
}

int FindColorMenuItem(unsigned id)
{
    const auto& table = ColorTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].textId == id)
            return static_cast<int>(i);
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].backId == id)
            return static_cast<int>(i);
    return -1;
}

int FindShadeMenuItem(unsigned id)
{
    const auto& table = ShadeTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id)
            return static_cast<int>(i);
    return -1;
}

int FindLineMenuItem(unsigned id)
{
    for (int kind = 0; kind < 3; ++kind) {
        const auto& table = LineTable(kind);
        for (size_t i = 0; i < table.size(); ++i)
            if (table[i].id == id)
                return static_cast<int>(i);
    }
    return -1;
}

int FindTemplateMenuItem(unsigned id)
{
    for (int category = 0; category < 15; ++category) {
        const auto& ids = TemplateCategory(category);
        for (size_t i = 0; i < ids.size(); ++i)
            if (ids[i] == id)
                return static_cast<int>(i);
    }
    return -1;
}

// --- pickers

namespace {

// The common frame of a picker item: R filled with the background colour.
void FillItem(CDC* dc, const RECT& r)
{
    CBrush brush;
    brush.CreateSolidBrush(dc->GetBkColor());
    dc->FillRect(&r, &brush);
}

void RaisedFrame(CDC* dc, const RECT& r) { Draw3dRect(dc, r, MenuColor::kButtonHighlight, MenuColor::kButtonShadow); }

RECT SampleRect(const RECT& r) { return RECT{r.left + 2, r.top + 2, r.left + 14, r.bottom - 2}; }

}  // namespace

bool CColorMenu::Create(int kind)
{
    m_kind = kind;
    m_items.clear();
    for (const COLOR_ENTRY& entry : ColorTable())
        m_items.push_back(PICKER_ITEM{kind == 1 ? entry.backId : entry.textId, kind == 1 ? entry.backId : entry.textId});
    return true;
}

COLORREF CColorMenu::GetItemColor(unsigned id) const
{
    for (const COLOR_ENTRY& entry : ColorTable())
        if ((m_kind == 1 ? entry.backId : entry.textId) == id)
            return entry.color;
    return MenuColor::kWindowText;
}

void CColorMenu::DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const
{
    if (item.data != item.id)
        return;
    FillItem(dc, item.rect);
    if (item.state & ODS_SELECTED)
        RaisedFrame(dc, item.rect);
    const RECT sample = SampleRect(item.rect);
    dc->FillSolidRect(&sample, GetItemColor(item.id));
}

bool CShadeMenu::Create()
{
    m_items.clear();
    for (const SHADE_ENTRY& entry : ShadeTable())
        m_items.push_back(PICKER_ITEM{entry.id, entry.id});
    return true;
}

int CShadeMenu::GetItemKind(unsigned id) const
{
    for (const SHADE_ENTRY& entry : ShadeTable())
        if (entry.id == id)
            return entry.kind;
    return 0;
}

void CShadeMenu::DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const
{
    if (item.data != item.id)
        return;
    FillItem(dc, item.rect);
    const int kind = GetItemKind(item.id);
    if (kind >= 1 && kind <= 6) {
        const RECT sample = SampleRect(item.rect);
        dc->FillRect(&sample, GetPatternBrush(kind - 1));
    }
    if (item.state & ODS_SELECTED)
        RaisedFrame(dc, item.rect);
}

CLineMenu::CLineMenu() { m_thickPen.CreatePen(PS_SOLID, 2, 0x000000); }

bool CLineMenu::Create(int kind)
{
    m_kind = kind;
    m_items.clear();
    for (const LINE_ENTRY& entry : LineTable(kind))
        m_items.push_back(PICKER_ITEM{entry.id, entry.id});
    return true;
}

int CLineMenu::GetItemKind(unsigned id) const
{
    for (const LINE_ENTRY& entry : LineTable(m_kind))
        if (entry.id == id)
            return entry.kind;
    return 0;
}

void CLineMenu::DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const
{
    if (item.data != item.id)
        return;
    const RECT& r = item.rect;
    FillItem(dc, r);
    const int h = r.bottom - r.top, d = h / 5, m = h / 2;
    const int kind = GetItemKind(item.id);
    auto line = [&](HPEN pen, int y) {
        const HPEN old = dc->SelectObject(pen);
        dc->MoveTo(r.left, y);
        dc->LineTo(r.right, y);
        dc->SelectObject(old);
    };
    switch (kind) {
    case 1: line(HPEN(GetStockObject(BLACK_PEN)), r.top + m); break;
    case 2: {
        const HPEN old = dc->SelectObject(HPEN(GetStockObject(BLACK_PEN)));
        dc->MoveTo(r.left, r.top + 2 * d);
        dc->LineTo(r.right, r.top + 2 * d);
        dc->MoveTo(r.left, r.top + 3 * d);
        dc->LineTo(r.right, r.top + 3 * d);
        dc->SelectObject(old);
        break;
    }
    case 3: line(m_thickPen, r.top + m); break;
    case 4: line(*GetDashPen(0), r.top + m); break;
    case 5: line(*GetDotPen(0), r.top + m); break;
    case 6: line(*GetDashDotPen(0), r.top + m); break;
    case 7: line(*GetDashDotDotPen(0), r.top + m); break;
    case 8: {
        // A wave between the upper line a and the lower line b, one segment every d pixels.
        if (d <= 0)
            break;
        const int a = r.top + 2 * d, b = r.bottom - 2 * d;
        const int n = (r.right - r.left) / d;
        std::vector<POINT> points;
        for (int i = 0; i < n; ++i) {
            const int x = r.left + i * d;
            const int from = i % 2 == 0 ? b : a, to = i % 2 == 0 ? a : b;
            if (i == 0)
                points.push_back(POINT{x, from});
            points.push_back(POINT{x + d / 2, from});
            points.push_back(POINT{x + d / 2, to});
            points.push_back(POINT{i + 1 == n ? r.left + n * d + d / 2 : x + d, to});
        }
        const HPEN old = dc->SelectObject(*GetSolidPen(0));
        if (!points.empty())
            dc->PolyBezier(points.data(), static_cast<int>(points.size()));
        dc->SelectObject(old);
        break;
    }
    default: {
        const int mode = dc->SetBkMode(TRANSPARENT);
        DrawLineText(dc, r, u"なし", false);
        dc->SetBkMode(mode);
        break;
    }
    }
    if (item.state & ODS_SELECTED)
        RaisedFrame(dc, r);
}

bool CTemplateMenu::Create(int category)
{
    m_items.clear();
    m_icons.clear();
    const auto& ids = TemplateCategory(category);
    for (size_t i = 0; i < ids.size(); ++i) {
        m_items.push_back(PICKER_ITEM{ids[i], i});
        m_icons.push_back(ResourceIcon(ids[i]));
    }
    return true;
}

void CTemplateMenu::DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const
{
    const RECT& r = item.rect;
    dc->FillSolidRect(&r, MenuColor::kButtonFace);
    if ((item.state & ODS_SELECTED) && (item.action & (ODA_DRAWENTIRE | ODA_SELECT)))
        RaisedFrame(dc, r);
    if (item.data < m_icons.size())
        DrawIconImage(dc, r.left, r.top, 24, 24, m_icons[item.data], MenuColor::kButtonFace, false);
}

// --- popup

CPickerPopup::CPickerPopup(const CPickerMenu& menu, QWidget* parent)
    : QWidget(parent, Qt::Popup), m_menu(menu)
{
    setMouseTracking(true);
    const SIZE item = m_menu.MeasureItem();
    const int count = static_cast<int>(m_menu.Items().size());
    setFixedSize(item.cx + kCheckColumn + 2, item.cy * count + 2);
}

QRect CPickerPopup::ItemRect(int index) const
{
    const SIZE item = m_menu.MeasureItem();
    return QRect(1, 1 + index * item.cy, item.cx + kCheckColumn, item.cy);
}

int CPickerPopup::ItemAt(QPoint point) const
{
    for (int i = 0; i < static_cast<int>(m_menu.Items().size()); ++i)
        if (ItemRect(i).contains(point))
            return i;
    return -1;
}

QImage CPickerPopup::Render(int selected) const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    auto dc = CQtDC::ForImage(&image);
    for (int i = 0; i < static_cast<int>(m_menu.Items().size()); ++i) {
        // Each item is drawn on a fresh context state, as a draw request gets it.
        const int saved = dc->SaveDC();
        dc->SetBkColor(MenuColor::kMenu);
        const QRect r = ItemRect(i);
        MENU_DRAW_ITEM item;
        item.id = m_menu.Items()[static_cast<size_t>(i)].id;
        item.data = m_menu.Items()[static_cast<size_t>(i)].data;
        item.state = i == selected ? ODS_SELECTED : 0;
        item.rect = RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        m_menu.DrawItem(dc.get(), item);
        dc->RestoreDC(saved);
    }
    dc->End();
    QPainter painter(&image);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

void CPickerPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Render(m_selected));
}

void CPickerPopup::mouseMoveEvent(QMouseEvent* event)
{
    const int at = ItemAt(event->position().toPoint());
    if (at != m_selected) {
        m_selected = at;
        update();
    }
}

void CPickerPopup::mouseReleaseEvent(QMouseEvent* event)
{
    const int at = ItemAt(event->position().toPoint());
    if (at >= 0) {
        m_chosen = m_menu.Items()[static_cast<size_t>(at)].id;
        close();
    }
}

void CPickerPopup::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_tracking = false;
}

void CPickerPopup::Open(QPoint globalPos)
{
    m_chosen = 0;
    move(globalPos);
    show();
}

unsigned CPickerPopup::Track(QPoint globalPos)
{
    Open(globalPos);
    m_tracking = true;
    QEventLoop loop;
    while (m_tracking && isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return m_chosen;
}

void RefreshMenuCommands(QMenu* menu, const CommandStateQuery& query)
{
    for (QAction* action : menu->actions()) {
        if (action->menu() || action->isSeparator())
            continue;
        bool enabled = true, checked = false;
        query(action->data().toUInt(), &enabled, &checked);
        action->setEnabled(enabled);
        action->setChecked(checked);
    }
}
