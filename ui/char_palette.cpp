#include "ui/char_palette.h"
#include "ui/ui_resources.h"

#include "base/property_records.h"
#include "platform/codepage.h"
#include "platform/gdi_qt.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr COLORREF kHeadingColor = 0x008000;
constexpr int kColumns = 10;
constexpr int kRows = 8;

LOGFONTA MakeFont(const char16_t* face, BYTE charSet, BYTE pitchAndFamily)
{
    LOGFONTA font{};
    font.lfHeight = 14;
    font.lfWeight = 400;
    font.lfCharSet = charSet;
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfQuality = 1;
    font.lfPitchAndFamily = pitchAndFamily;
    const std::string bytes = WideToCp932(face);
    CopyFaceName(font.lfFaceName, bytes);
    return font;
}

// The screen font of a palette face: 14 points on the screen.
LOGFONTA ScreenFont(const LOGFONTA& font)
{
    LOGFONTA screen = font;
    screen.lfHeight = -MulDiv(14, 96, 72);
    return screen;
}

// The vertical form of a font: "@" before the face (once) and text turned a quarter.
void MakeVertical(LOGFONTA* font)
{
    font->lfEscapement = 2700;
    font->lfOrientation = 2700;
    if (!std::strchr(font->lfFaceName, '@')) {
        std::string face(1, '@');
        face.append(FaceNameView(font->lfFaceName));
        CopyFaceName(font->lfFaceName, face);
    }
}

void HitCell(QSize size, QPoint point, int* column, int* row)
{
    *column = static_cast<int>(std::floor(point.x() / (size.width() * 0.1)));
    *row = static_cast<int>(std::floor(point.y() / (size.height() * 0.125)));
}

}  // namespace

const std::vector<PALETTE_TAB>& PaletteTabs(int mode)
{
    static const std::vector<PALETTE_TAB> characters = {
        {u"矢印記号", 422}, {u"算術記号", 423},     {u"関係演算子記号", 416}, {u"集合記号", 424},
        {u"ギリシャ文字", 426}, {u"単位記号", 425}, {u"電子配置記号", 420}, {u"その他１", 421},
        {u"その他２", 414}, {u"その他３", 415}};
    static const std::vector<PALETTE_TAB> gaiji = {
        {u"部首画数（２）", 430},         {u"部首画数（３）－①", 411}, {u"部首画数（３）－②", 412},
        {u"部首画数（３）－③", 413},     {u"部首画数（３）－④", 417}, {u"部首画数（３）－⑤", 457},
        {u"部首画数（４）－①", 418},     {u"部首画数（４）－②", 419}, {u"部首画数（５）", 427},
        {u"部首画数（６）", 428},         {u"部首画数（７）～（８）－①", 429},
        {u"部首画数（８）－②、（９）～", 410}};
    return mode == kGaijiPaletteMode ? gaiji : characters;
}

QRect PaletteTabRect(QSize client)
{
    const int dx = client.width() / 50, dy = client.height() / 50;
    return QRect(dx, dy, client.width() - 2 * dx, client.height() - 2 * dy);
}

// --- grid

CCharPaletteGrid::CCharPaletteGrid(QWidget* parent) : QWidget(parent)
{
    m_fonts[0] = MakeFont(u"ＭＳ 明朝", 128, 0x11);
    m_fonts[1] = MakeFont(u"ＭＳ Ｐ明朝", 128, 0x11);
    m_fonts[2] = MakeFont(u"Orvellan Gaiji", 128, 0x01);
    m_fonts[3] = MakeFont(u"Times New Roman", 0, 0x12);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CCharPaletteGrid::LoadTable(UINT resourceId)
{
    if (m_tableCount >= kMaxTables)
        return false;
    InitUiResources();
    QFile file(QString(":/tarsel/palette/palette_%1.bin").arg(resourceId));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The byte-order mark is skipped unchecked; trailing bytes are ignored.
    QByteArray bytes = file.readAll();
    const int count = bytes.size() >= 2 ? static_cast<int>((bytes.size() - 2) / 28) : 0;
    m_tables[m_tableCount] = bytes.mid(2, count * 28);
    m_counts[m_tableCount] = count;
    ++m_tableCount;
    return true;
}

int CCharPaletteGrid::RecordCount(int table) const
{
    return table >= 0 && table < kMaxTables ? m_counts[table] : 0;
}

const PALETTE_RECORD* CCharPaletteGrid::Records(int table) const
{
    if (RecordCount(table) == 0)
        return nullptr;
    return reinterpret_cast<const PALETTE_RECORD*>(m_tables[table].constData());
}

void CCharPaletteGrid::SetTable(int index)
{
    m_current = index;
    m_hover = QRect();
    update();
}

int CCharPaletteGrid::FontIndex(char16_t fontCode) const
{
    switch (fontCode) {
    case u'3': return 0;
    case u'1': return 2;
    case u'2': return 3;
    default: return 1;
    }
}

const LOGFONTA& CCharPaletteGrid::LogFont(char16_t fontCode) const { return m_fonts[FontIndex(fontCode)]; }

int CCharPaletteGrid::HitTest(QPoint point) const
{
    int column = 0, row = 0;
    HitCell(size(), point, &column, &row);
    const int cell = column + kColumns * row + 1;
    return cell > RecordCount(m_current) ? -1 : cell;
}

void CCharPaletteGrid::Click(QPoint point)
{
    const int cell = HitTest(point);
    const PALETTE_RECORD* records = Records(m_current);
    if (cell <= 0 || !records)
        return;
    const PALETTE_RECORD& record = records[cell - 1];
    if (!record.Clickable())
        return;
    const int count = record.TwoCharacters() ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        // Each character gets its own copy of the font, turned for a vertical paper.
        LOGFONTA font = LogFont(record.FontCode());
        if (m_vertical)
            MakeVertical(&font);
        if (m_target)
            m_target->OnPaletteChar(record.units[3 + i], font);
    }
}

void CCharPaletteGrid::Paint(CDC* dc, int width, int height) const
{
    const PALETTE_RECORD* records = Records(m_current);
    if (!records)
        return;
    const int cellWidth = width / kColumns, cellHeight = height / kRows;
    const UINT oldAlign = dc->SetTextAlign(TA_CENTER | TA_BASELINE);
    CFont fonts[4];
    for (int i = 0; i < 4; ++i) {
        const LOGFONTA screen = ScreenFont(m_fonts[i]);
        fonts[i].CreateFontIndirect(&screen);
    }
    const HFONT old = dc->SelectObject(&fonts[1]);
    TEXTMETRICA metrics{};
    dc->GetTextMetricsA(&metrics);
    for (int i = 0; i < RecordCount(m_current); ++i) {
        const PALETTE_RECORD& record = records[i];
        const int x0 = MulDiv(width, i % kColumns, kColumns) + 1;
        const int y0 = MulDiv(height, i / kColumns, kRows) + 1;
        dc->SelectObject(&fonts[FontIndex(record.FontCode())]);
        const COLORREF oldColor = dc->SetTextColor(record.Clickable() ? 0x000000 : kHeadingColor);
        const int y = y0 + cellHeight / 2 + (metrics.tmHeight / 2 - metrics.tmDescent);
        if (record.TwoCharacters()) {
            const int gap = cellWidth / 4;
            dc->TextOutW(x0 + gap, y, &record.units[3], 1);
            dc->TextOutW(x0 + 2 * gap, y, &record.units[4], 1);
        } else {
            dc->TextOutW(x0 + cellWidth / 2, y, &record.units[3], 1);
        }
        dc->SetTextColor(oldColor);
    }
    dc->SelectObject(old);
    dc->SetTextAlign(oldAlign);
}

void CCharPaletteGrid::paintEvent(QPaintEvent*)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        auto dc = CQtDC::ForImage(&image);
        Paint(dc.get(), width(), height());
        dc->End();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, image);
    if (!m_hover.isNull()) {
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(m_hover.adjusted(0, 0, -1, -1));
    }
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CCharPaletteGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Click(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void CCharPaletteGrid::mouseMoveEvent(QMouseEvent* event)
{
    int column = 0, row = 0;
    HitCell(size(), event->position().toPoint(), &column, &row);
    QRect hover;
    if (HitTest(event->position().toPoint()) > 0) {
        const int left = static_cast<int>(column * width() * 0.1);
        const int right = static_cast<int>(width() * 0.1 + left);
        const int top = static_cast<int>(row * height() * 0.125);
        const int bottom = static_cast<int>(height() * 0.125 + top);
        hover = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

// --- tab strip

CCharPaletteTab::CCharPaletteTab(QWidget* parent) : QWidget(parent) {}

bool CCharPaletteTab::Create(QWidget* parent)
{
    setParent(parent);
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName("tabs");
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    QFont font(QString::fromUtf16(u"ＭＳ Ｐゴシック"));
    font.setPointSizeF(8.5);
    m_tabs->setFont(font);
    m_grid = new CCharPaletteGrid(this);
    m_grid->setObjectName("grid");
    QObject::connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_selecting && m_grid && index >= 0)
            m_grid->SetTable(index);
    });
    show();
    return true;
}

void CCharPaletteTab::LoadMode(int mode)
{
    m_selecting = true;
    for (const PALETTE_TAB& tab : PaletteTabs(mode)) {
        m_tabs->addTab(QString::fromUtf16(tab.caption));
        m_grid->LoadTable(tab.tableId);
    }
    m_selecting = false;
}

void CCharPaletteTab::SelectTab(int index)
{
    m_selecting = true;
    m_tabs->setCurrentIndex(index);
    m_selecting = false;
}

void CCharPaletteTab::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_tabs || !m_grid)
        return;
    const int tabHeight = m_tabs->sizeHint().height();
    m_tabs->setGeometry(0, 0, width(), tabHeight);
    m_grid->setGeometry(0, tabHeight, width(), std::max(0, height() - tabHeight));
    m_grid->update();
}

// --- bar and dialog

CCharPaletteBar::CCharPaletteBar(QWidget* parent) : QWidget(parent) {}

bool CCharPaletteBar::Create(QWidget* parent, int mode, bool vertical)
{
    setParent(parent);
    setObjectName("palette_132");
    setWindowTitle(QString::fromUtf16(mode == kGaijiPaletteMode ? u"外字パレット" : u"文字パレット"));
    // The bar's template: 183 × 198 dialog units.
    setMinimumSize(280, 320);
    m_tab = new CCharPaletteTab;
    if (!m_tab->Create(this))
        return false;
    m_tab->LoadMode(mode);
    m_tab->Grid().SetVertical(vertical);
    m_tab->SelectTab(0);
    m_tab->setGeometry(PaletteTabRect(size()));
    return true;
}

void CCharPaletteBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_tab)
        m_tab->setGeometry(PaletteTabRect(size()));
}

CPaletteDlg::CPaletteDlg(QWidget* parent) : QDialog(parent) {}

bool CPaletteDlg::Create(QWidget* owner, int mode, int)
{
    m_owner = owner;
    m_mode = mode;
    setParent(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    resize(280, 370);
    return OnInitDialog();
}

bool CPaletteDlg::OnInitDialog()
{
    setWindowTitle(QString::fromUtf16(m_mode == kGaijiPaletteMode ? u"外字パレット" : u"文字パレット"));
    m_tab = new CCharPaletteTab;
    if (!m_tab->Create(this))
        return false;
    m_tab->LoadMode(m_mode);
    m_tab->Grid().SetVertical(m_vertical);
    m_tab->SelectTab(0);
    m_tab->setGeometry(PaletteTabRect(size()));
    return true;
}

void CPaletteDlg::reject()
{
    if (m_owner)
        QCoreApplication::postEvent(m_owner, new PaletteClosedEvent);
}

void CPaletteDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void CPaletteDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_tab)
        m_tab->setGeometry(PaletteTabRect(size()));
}
