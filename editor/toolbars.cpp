#include "editor/toolbars.h"
#include "ui/ui_resources.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "dialogs/point_text.h"
#include "platform/codepage.h"
#include "platform/fonts.h"

#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

// Leading decimal digits of the text; digits = 0 when there are none.
long LeadingNumber(const std::u16string& text, size_t from, size_t* digits)
{
    long value = 0;
    size_t i = from;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < 100000)
        value = value * 10 + (text[i++] - u'0');
    *digits = i - from;
    return value;
}

QFont BoxFont(int dpiY)
{
    LOGFONTA gui{};
    GetGuiLogFont(&gui);
    QFont font(QString::fromStdU16String(Cp932ToWide(gui.lfFaceName)));
    font.setPixelSize(MulDiv(10, dpiY, 72));
    return font;
}

// The boxes limit what the user types, not the texts the program shows ("100%" in a box of
// three characters).
bool TypingOverLimit(QLineEdit* edit, QEvent* event, int limit)
{
    if (!edit || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->text().isEmpty() || !key->text().at(0).isPrint() || (key->modifiers() & Qt::ControlModifier))
        return false;
    return edit->text().size() - edit->selectedText().size() + key->text().size() > limit;
}

QPixmap ResourcePixmap(UINT id)
{
    InitUiResources();
    return QPixmap(QString(":/tarsel/icons/%1.svg").arg(id));
}

}  // namespace

int ParseZoomText(const std::u16string& text)
{
    size_t digits = 0;
    const long n = LeadingNumber(text, 0, &digits);
    return static_cast<int>(std::clamp<long>(n, 50, 500));
}

// --- hover button

CHoverButton::CHoverButton(unsigned id, QWidget* parent) : QAbstractButton(parent), m_id(id)
{
    setObjectName(QString("hover_%1").arg(id));
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

bool CHoverButton::SetBitmaps(UINT normal, UINT pressed, UINT hot, UINT disabled)
{
    m_ids[0] = normal;
    m_ids[1] = pressed ? pressed : normal;
    m_ids[2] = hot ? hot : normal;
    m_ids[3] = disabled ? disabled : normal;
    return LoadBitmaps();
}

bool CHoverButton::LoadBitmaps()
{
    bool all = true;
    for (int i = 0; i < 4; ++i) {
        m_pictures[i] = ResourcePixmap(m_ids[i]);
        all = all && !m_pictures[i].isNull();
    }
    updateGeometry();
    return all;
}

CHoverButton::Face CHoverButton::CurrentFace() const
{
    if (isDown())
        return Face::Pressed;
    if (m_hover)
        return Face::Hot;
    if (!isEnabled())
        return Face::Disabled;
    return Face::Normal;
}

QSize CHoverButton::sizeHint() const
{
    return m_pictures[0].isNull() ? QSize(24, 22) : m_pictures[0].size();
}

void CHoverButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Picture(CurrentFace()));
}

void CHoverButton::enterEvent(QEnterEvent* event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CHoverButton::leaveEvent(QEvent* event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// --- standard bar

CStandardToolBar::CStandardToolBar(QWidget* parent) : CBarBase(0xE800, QString::fromUtf16(u"標準"), parent)
{
    setMinimumHeight(30);
    m_hover = new CHoverButton(BoxId::kSaveOtherFormat, this);
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QString("box_%1").arg(BoxId::kZoom));
    m_zoom->setEditable(true);
    m_zoom->setCompleter(nullptr);  // typed text stays as typed
    m_zoom->installEventFilter(this);
    m_zoom->lineEdit()->installEventFilter(this);
}

QWidget* CStandardToolBar::BoxWidget(unsigned id)
{
    if (id == BoxId::kZoom)
        return m_zoom;
    if (id == BoxId::kSaveOtherFormat)
        return m_hover;
    return nullptr;
}

void CStandardToolBar::SetupControls()
{
    m_hover->SetBitmaps(453, 452, 454, 455);
    m_hover->setFixedSize(100, std::max(22, m_hover->sizeHint().height()));
    const int dpi = logicalDpiX();
    m_zoom->setFixedWidth(dpi > 96 ? 72 : 64);
    m_zoom->setFont(BoxFont(logicalDpiY()));
    m_zoom->clear();
    m_zoom->addItems({"200%", "150%", "100%", "75%", "50%"});
    m_zoom->setCurrentIndex(m_zoom->findText("100", Qt::MatchStartsWith));
}

int CStandardToolBar::GetZoom() const
{
    const QString text = m_zoom->currentIndex() >= 0 && m_zoom->currentText() == m_zoom->itemText(m_zoom->currentIndex())
                             ? m_zoom->itemText(m_zoom->currentIndex())
                             : m_zoom->currentText();
    return ParseZoomText(text.toStdU16String());
}

void CStandardToolBar::SetZoom(int percent)
{
    m_zoom->setCurrentIndex(-1);
    m_zoom->setEditText(m_focusId == BoxId::kZoom ? QString::number(percent) : QString("%1%").arg(percent));
}

bool CStandardToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (TypingOverLimit(m_zoom->lineEdit(), event, 3))
        return true;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (m_focusId != BoxId::kZoom) {
            const int zoom = GetZoom();
            m_focusId = BoxId::kZoom;
            QTimer::singleShot(0, m_zoom, [this, zoom] {
                m_zoom->setEditText(QString::number(zoom));
                m_zoom->lineEdit()->selectAll();
            });
        }
        break;
    case QEvent::FocusOut:
        if (m_focusId == BoxId::kZoom && !m_zoom->hasFocus() && !m_zoom->lineEdit()->hasFocus()) {
            const int zoom = GetZoom();
            m_focusId = 0;
            // After the box's own focus handling, which would keep the typed text.
            QTimer::singleShot(0, m_zoom, [this, zoom] { m_zoom->setEditText(QString("%1%").arg(zoom)); });
        }
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_focusId == BoxId::kZoom) {
            Notify(m_zoom, BoxId::kZoom, NM_ZOOMCOMBO_RETURN);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return CBarBase::eventFilter(watched, event);
}

// --- format bar

CFormatToolBar::CFormatToolBar(QWidget* parent) : CBarBase(130, QString::fromUtf16(u"書式設定"), parent)
{
    setMinimumHeight(30);
    const int dpiY = logicalDpiY();
    const QFont font = BoxFont(dpiY);
    m_fontName = new QComboBox(this);
    m_fontName->setObjectName(QString("box_%1").arg(BoxId::kFontName));
    m_fontName->setFixedWidth(200);
    m_fontName->setFont(font);
    m_fontName->setIconSize(QSize(16, 16));
    m_fontName->installEventFilter(this);

    m_size = new QComboBox(this);
    m_size->setObjectName(QString("box_%1").arg(BoxId::kFontSize));
    m_size->setEditable(true);
    m_size->setCompleter(nullptr);
    // At least the bar's width for the box; wide enough that "10.5" shows whole beside the arrow.
    m_size->setMinimumContentsLength(4);
    m_size->setFixedWidth(std::max(dpiY > 96 ? 64 : 48, m_size->sizeHint().width()));
    m_size->setFont(font);
    m_size->addItems({"8", "9", "10", "10.5", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36",
                      "48", "72"});
    m_size->setCurrentIndex(3);
    m_size->installEventFilter(this);
    m_size->lineEdit()->installEventFilter(this);
    // A face or a size picked from a box's list is its command, as the box's selection change.
    connect(m_fontName, &QComboBox::activated, this, [this] {
        if (command)
            command(BoxId::kFontName);
    });
    connect(m_size, &QComboBox::activated, this, [this] {
        if (command)
            command(BoxId::kFontSize);
    });
}

QWidget* CFormatToolBar::BoxWidget(unsigned id)
{
    if (id == BoxId::kFontName)
        return m_fontName;
    if (id == BoxId::kFontSize)
        return m_size;
    return nullptr;
}

void CFormatToolBar::FillFontNames(bool vertical)
{
    m_fontName->clear();
    const QIcon plain = CommandIcon(150), openType = CommandIcon(151);
    for (int i = 0; i < GetInstalledFontCount(); ++i) {
        LOGFONTA font{};
        NEWTEXTMETRICA metric{};
        if (GetInstalledFont(i, &font) < 0)
            continue;
        GetInstalledFontMetric(i, &metric);
        const bool isOpenType = (metric.ntmFlags & 0x40000) != 0;
        m_fontName->addItem(isOpenType ? openType : plain, QString::fromStdU16String(Cp932ToWide(font.lfFaceName)));
    }
    LOGFONTA defaultFont{};
    CDefaultFontTable::Instance().GetDefaultFont(&defaultFont, vertical ? 1 : 0);
    const int index = m_fontName->findText(QString::fromStdU16String(Cp932ToWide(defaultFont.lfFaceName)),
                                           Qt::MatchExactly);
    m_fontName->setCurrentIndex(index >= 0 ? index : (m_fontName->count() ? 0 : -1));
}

int CFormatToolBar::SelectFontName(const QString& face)
{
    const int index = m_fontName->findText(face, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return -1;  // a list-only box has no text of its own to show the face in
    if (m_fontName->currentIndex() != index)
        m_fontName->setCurrentIndex(index);
    return index;
}

bool CFormatToolBar::GetSize(int* size) const
{
    const int index = m_size->currentIndex();
    const QString text = index >= 0 && m_size->currentText() == m_size->itemText(index) ? m_size->itemText(index)
                                                                                       : m_size->currentText();
    // Read by the rule of every font-size box: whole points 1 to 900 with at most a half point.
    return ReadPointText(text.toStdString(), PointTextRule::FontSize, size);
}

int CFormatToolBar::SetSize(int size)
{
    int points = 0, half = 0;
    HmmToPoints(size, points, half);
    const QString text = half ? QString("%1.%2").arg(points).arg(half) : QString::number(points);
    const int index = m_size->findText(text, Qt::MatchExactly);
    if (index >= 0) {
        if (m_size->currentIndex() != index)
            m_size->setCurrentIndex(index);
    } else {
        m_size->setCurrentIndex(-1);
        m_size->setEditText(text);
    }
    return index;
}

int CFormatToolBar::GetFontName(LOGFONTA* font) const
{
    const int index = m_fontName->currentIndex();
    if (index < 0 || GetInstalledFont(index, font) < 0)
        return -1;
    int size = 0;
    font->lfHeight = GetSize(&size) ? size : 0;
    font->lfWidth = 0;
    return index;
}

void CFormatToolBar::OnUpdateCmdUI()
{
    if (m_focusId == 0)
        Notify(m_size, BoxId::kFontSize, NM_BARCOMBO_SELCHANGE);
}

bool CFormatToolBar::eventFilter(QObject* watched, QEvent* event)
{
    const unsigned id = watched == m_fontName ? BoxId::kFontName : BoxId::kFontSize;
    if (id == BoxId::kFontSize && TypingOverLimit(m_size->lineEdit(), event, 4))
        return true;
    switch (event->type()) {
    case QEvent::FocusIn:
        m_focusId = id;
        break;
    case QEvent::FocusOut:
        if (!m_fontName->hasFocus() && !m_size->hasFocus() && !m_size->lineEdit()->hasFocus())
            m_focusId = 0;
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_focusId != 0) {
            Notify(m_focusId == BoxId::kFontName ? m_fontName : m_size, m_focusId, NM_BARCOMBO_RETURN);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return CBarBase::eventFilter(watched, event);
}

// --- question bar

CQuestionToolBar::CQuestionToolBar(QWidget* parent) : CBarBase(303, QString::fromUtf16(u"問題ツール"), parent)
{
    setMinimumHeight(30);
    m_hover = new CHoverButton(BoxId::kSearch, this);
    m_hover->SetBitmaps(365, 366, 364, 363);
    m_hover->setFixedSize(38, std::max(22, m_hover->sizeHint().height()));
}

QWidget* CQuestionToolBar::BoxWidget(unsigned id) { return id == BoxId::kSearch ? m_hover : nullptr; }

// --- status bar

CMainStatusBar::CMainStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QString("bar_%1").arg(0xE801));
    m_page = new QLabel(QString::fromUtf16(u"000ページ"), this);
    m_page->setObjectName(QString("pane_%1").arg(0xE707));
    m_page->setMinimumWidth(m_page->sizeHint().width());
    m_page->clear();
    addPermanentWidget(m_page);
    for (const char16_t* indicator : {u"ｶﾅ", u"CAP", u"NUM", u"SCRL"})
        addPermanentWidget(new QLabel(QString::fromUtf16(indicator), this));
}

void CMainStatusBar::SetPageText(const QString& text)
{
    m_page->setText(text);
}
