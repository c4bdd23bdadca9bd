// The print preview's window.
#include "view/sorel_pv_view.h"

#include "platform/gdi_qt.h"
#include "platform/shell.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kGap = 16;          // pixels around and between the pages
constexpr int kShadow = 3;
constexpr int kScreenDpi = 96;
constexpr QRgb kBackColor = 0xFFA0A0A0;

}  // namespace

// The grey area with the pages side by side, centred while they fit.
class CSorelPvView::Canvas : public QWidget {
public:
    explicit Canvas(CSorelPvView& owner) : m_owner(owner) {}

    QSize ContentSize() const
    {
        int width = kGap;
        int height = 0;
        for (const QImage& page : m_owner.m_shown) {
            width += page.width() + kGap;
            height = std::max(height, page.height());
        }
        return QSize(width, height + 2 * kGap);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor::fromRgb(kBackColor));
        const QSize content = ContentSize();
        int x = std::max(kGap, (width() - content.width()) / 2 + kGap);
        const int top = std::max(kGap, (height() - content.height()) / 2 + kGap);
        for (const QImage& page : m_owner.m_shown) {
            const QRect sheet(QPoint(x, top), page.size());
            painter.fillRect(sheet.translated(kShadow, kShadow), Qt::black);
            painter.drawImage(sheet.topLeft(), page);
            painter.setPen(Qt::black);
            painter.drawRect(sheet.adjusted(-1, -1, 0, 0));
            x += page.width() + kGap;
        }
    }

private:
    CSorelPvView& m_owner;
};

CSorelPvView::CSorelPvView(CEditViewController& view, const CPrintInfo& info, QWidget* parent)
    : QWidget(parent), m_view(view), m_info(info)
{
    m_info.m_bPreview = true;
    m_info.m_nMaxPage = std::max(m_info.m_nMaxPage, m_info.m_nMinPage);
    m_info.m_nCurPage = std::clamp(m_info.m_nCurPage, m_info.m_nMinPage, m_info.m_nMaxPage);
    m_info.m_nNumPreviewPages = m_info.m_nNumPreviewPages == 2 ? 2 : 1;
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QString("bar_%1").arg(PreviewCommand::kToolbar));
    layout->addWidget(m_toolbar);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_canvas = new Canvas(*this);
    m_scroll->setWidget(m_canvas);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_scroll, 1);
    m_scroll->viewport()->installEventFilter(this);
    BuildToolbar();
    ShowPages();
}

CSorelPvView::~CSorelPvView() = default;

void CSorelPvView::BuildToolbar()
{
    struct BUTTON {
        unsigned id;
        const char16_t* text;
    };
    static constexpr BUTTON kButtons[] = {
        {PreviewCommand::kPrint, u"印刷(&P)..."},       {PreviewCommand::kPageSetup, u"ページ設定(&U)..."},
        {PreviewCommand::kNext, u"次ページ(&N)"},       {PreviewCommand::kPrev, u"前ページ(&V)"},
        {PreviewCommand::kNumPage, u"2ページ(&T)"},     {PreviewCommand::kZoomIn, u"拡大(&I)"},
        {PreviewCommand::kZoomOut, u"縮小(&O)"},        {PreviewCommand::kClose, u"閉じる(&C)"},
    };
    for (const BUTTON& entry : kButtons) {
        auto* button = new QPushButton(QString::fromUtf16(entry.text), m_toolbar);
        button->setFocusPolicy(Qt::NoFocus);
        const unsigned id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        m_toolbar->addWidget(button);
        m_buttons[id] = button;
    }
    // Page setup is offered while the frame can run it.
    m_buttons[PreviewCommand::kPageSetup]->setToolTip(QString::fromUtf16(u"印刷オプションの変更\nページレイアウトの設定"));
}

QPushButton* CSorelPvView::Button(unsigned id) const
{
    const auto found = m_buttons.find(id);
    return found != m_buttons.end() ? found->second : nullptr;
}

bool CSorelPvView::IsCommandEnabled(unsigned id) const
{
    switch (id) {
    case PreviewCommand::kPrint:
    case PreviewCommand::kClose:
        return true;
    case PreviewCommand::kPageSetup:
        return static_cast<bool>(pageSetup);
    case PreviewCommand::kNext:
        return m_info.m_nCurPage + m_info.m_nNumPreviewPages - 1 < m_info.m_nMaxPage;
    case PreviewCommand::kPrev:
        return m_info.m_nCurPage > m_info.m_nMinPage;
    case PreviewCommand::kNumPage:
        return m_zoom == kZoomFit && (m_info.m_nMaxPage > 1 || m_info.m_nNumPreviewPages > 1);
    case PreviewCommand::kZoomIn:
        return m_zoom < kZoom200;
    case PreviewCommand::kZoomOut:
        return m_zoom > kZoomFit;
    default:
        return false;
    }
}

bool CSorelPvView::OnCommand(unsigned id)
{
    if (m_closed || !IsCommandEnabled(id))
        return false;
    switch (id) {
    case PreviewCommand::kPrint: OnPreviewPrint(); break;
    case PreviewCommand::kPageSetup: OnFilePageSetup(); break;
    case PreviewCommand::kNext: OnNextPage(); break;
    case PreviewCommand::kPrev: OnPrevPage(); break;
    case PreviewCommand::kNumPage: OnNumPageChange(); break;
    case PreviewCommand::kZoomIn: OnZoomIn(); break;
    case PreviewCommand::kZoomOut: OnZoomOut(); break;
    case PreviewCommand::kClose: OnPreviewClose(); break;
    default: return false;
    }
    return true;
}

void CSorelPvView::UpdateButtons()
{
    for (const auto& [id, button] : m_buttons)
        button->setEnabled(!m_closed && IsCommandEnabled(id));
    m_buttons[PreviewCommand::kNumPage]->setText(
        QString::fromUtf16(m_info.m_nNumPreviewPages == 1 ? u"2ページ(&T)" : u"1ページ(&O)"));
}

int CSorelPvView::PageDpi() const
{
    switch (m_zoom) {
    case kZoom100: return kScreenDpi;
    case kZoom200: return 2 * kScreenDpi;
    default: break;
    }
    // Fitted: the pages shown side by side fill the window's height or width.
    const SIZE sheet = m_view.GetPrintSheet();
    if (sheet.cx <= 0 || sheet.cy <= 0)
        return kScreenDpi;
    const QSize area = m_scroll->viewport()->size();
    const int pages = m_info.m_nNumPreviewPages;
    // Rounded down, with a pixel to spare per page, so that no scroll bar appears.
    const int64_t width = std::max(area.width() - (pages + 1) * kGap - 2 * pages, 1);
    const int64_t height = std::max(area.height() - 2 * kGap - 2, 1);
    const int byWidth = static_cast<int>(width * 2540 / (static_cast<int64_t>(pages) * sheet.cx));
    const int byHeight = static_cast<int>(height * 2540 / sheet.cy);
    return std::clamp(std::min(byWidth, byHeight), 4, 2 * kScreenDpi);
}

QImage CSorelPvView::RenderPage(int page, int dpi)
{
    const SIZE sheet = m_view.GetPrintSheet();
    if (sheet.cx <= 0 || sheet.cy <= 0)
        return QImage();
    const int width = std::clamp(MulDiv(sheet.cx, dpi, 2540), 1, 20000);
    const int height = std::clamp(MulDiv(sheet.cy, dpi, 2540), 1, 20000);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    {
        std::unique_ptr<CQtDC> dc = CQtDC::ForPreviewPage(&image, dpi, dpi);
        CPrintInfo info = m_info;
        info.m_nCurPage = page;
        m_view.OnPrint(dc.get(), &info);
        dc->End();
    }
    return image;
}

void CSorelPvView::ShowPages()
{
    const int dpi = PageDpi();
    // A page already drawn at this resolution is kept (two pages stepping by one).
    std::map<int, QImage> kept;
    for (size_t i = 0; i < m_shown.size(); ++i)
        if (m_shownDpi == dpi)
            kept.emplace(m_shownFirst + static_cast<int>(i), std::move(m_shown[i]));
    m_shown.clear();
    for (int i = 0; i < m_info.m_nNumPreviewPages; ++i) {
        const int page = m_info.m_nCurPage + i;
        if (page > m_info.m_nMaxPage)
            break;
        const auto found = kept.find(page);
        m_shown.push_back(found != kept.end() ? std::move(found->second) : RenderPage(page, dpi));
    }
    m_shownFirst = m_info.m_nCurPage;
    m_shownDpi = dpi;
    m_canvas->resize(m_canvas->ContentSize().expandedTo(m_scroll->viewport()->size()));
    m_canvas->update();
    UpdateButtons();
}

void CSorelPvView::OnNextPage()
{
    m_info.m_nCurPage = std::min(m_info.m_nCurPage + 1, m_info.m_nMaxPage);
    ShowPages();
}

void CSorelPvView::OnPrevPage()
{
    m_info.m_nCurPage = std::max(m_info.m_nCurPage - 1, m_info.m_nMinPage);
    ShowPages();
}

void CSorelPvView::OnNumPageChange()
{
    m_info.m_nNumPreviewPages = m_info.m_nNumPreviewPages == 1 ? 2 : 1;
    ShowPages();
}

void CSorelPvView::OnZoomIn()
{
    m_zoom = std::min(m_zoom + 1, static_cast<int>(kZoom200));
    ShowPages();
}

void CSorelPvView::OnZoomOut()
{
    m_zoom = std::max(m_zoom - 1, static_cast<int>(kZoomFit));
    ShowPages();
}

void CSorelPvView::OnPreviewClose()
{
    if (m_closed)
        return;
    m_closed = true;
    UpdateButtons();
    if (closePreview)
        closePreview();
    m_view.OnEndPrintPreview();
}

void CSorelPvView::OnPreviewPrint()
{
    // The preview goes, then the print command runs as from the menu.
    const auto send = sendCommand;
    OnPreviewClose();
    if (send)
        send(static_cast<unsigned>(ViewCommand::kFilePrint));
}

void CSorelPvView::OnFilePageSetup()
{
    if (!pageSetup || pageSetup() != IDOK)
        return;
    // The new preview opens on this page with as many pages side by side.
    m_view.SetPreviewReopen(PREVIEW_REOPEN_STATE{1, m_info.m_nCurPage, m_info.m_nNumPreviewPages});
    const auto send = sendCommand;
    QWidget* frame = window();
    frame->setUpdatesEnabled(false);
    OnPreviewClose();
    frame->setUpdatesEnabled(true);
    if (send)
        send(static_cast<unsigned>(ViewCommand::kFilePrintPreview));
    m_view.SetPreviewReopen(PREVIEW_REOPEN_STATE{});
}

void CSorelPvView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape: OnCommand(PreviewCommand::kClose); return;
    case Qt::Key_PageDown: OnCommand(PreviewCommand::kNext); return;
    case Qt::Key_PageUp: OnCommand(PreviewCommand::kPrev); return;
    default: QWidget::keyPressEvent(event);
    }
}

bool CSorelPvView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && !m_closed && m_zoom == kZoomFit)
        ShowPages();
    return QWidget::eventFilter(watched, event);
}
