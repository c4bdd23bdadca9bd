// The editing view's window.
#include "view/sorel_view.h"

#include "dialogs/count_dialogs.h"
#include "dialogs/font_default_sheet.h"
#include "dialogs/kunten_session.h"
#include "dialogs/points_dialog.h"
#include "dialogs/question_number_dialog.h"
#include "dialogs/underline_number_dialog.h"
#include "dialogs/spacing_dialogs.h"
#include "platform/codepage.h"
#include "platform/gdi_qt.h"
#include "platform/shell.h"
#include "ui/view_input.h"

#include <QCursor>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// With QN_TARSEL_REPORT_PAINT set, the first complete paint of the paper says "painted" on the
// standard output once, for the start-up benchmark to time the program to its first page.
void ReportFirstPaint()
{
    static bool pending = qEnvironmentVariableIsSet("QN_TARSEL_REPORT_PAINT");
    if (!pending)
        return;
    pending = false;
    std::fputs("painted\n", stdout);
    std::fflush(stdout);
}

UINT MouseFlags(const QMouseEvent* event)
{
    UINT flags = 0;
    if ((event->modifiers() & Qt::ShiftModifier) != 0)
        flags |= MouseFlag::kShift;
    if ((event->modifiers() & Qt::ControlModifier) != 0)
        flags |= MouseFlag::kControl;
    return flags;
}

Qt::CursorShape CursorShapeOf(TrackerCursor cursor)
{
    switch (cursor) {
    case TrackerCursor::SizeNWSE: return Qt::SizeFDiagCursor;
    case TrackerCursor::SizeNESW: return Qt::SizeBDiagCursor;
    case TrackerCursor::SizeNS: return Qt::SizeVerCursor;
    case TrackerCursor::SizeWE: return Qt::SizeHorCursor;
    case TrackerCursor::SizeAll: return Qt::SizeAllCursor;
    case TrackerCursor::Arrow: break;
    }
    return Qt::ArrowCursor;
}

// The matrix, table-size and table-format dialogs of the formula, furigana and table commands.
void HookFormulaDialogs(CEditViewController& controller, QWidget* parent)
{
    auto askCounts = [parent]<typename Dialog>(int* rows, int* columns) {
        Dialog dialog(parent);
        dialog.m_rows = static_cast<unsigned>(std::max(*rows, 0));
        dialog.m_columns = static_cast<unsigned>(std::max(*columns, 0));
        if (dialog.DoModal() != IDOK)
            return false;
        *rows = static_cast<int>(dialog.m_rows);
        *columns = static_cast<int>(dialog.m_columns);
        return true;
    };
    controller.m_matrixDialog = [parent](int* rows, int* columns) { return RunMatrixSizeDialog(rows, columns, parent); };
    controller.m_tableInsertDialog = [askCounts](int* rows, int* columns) {
        return askCounts.template operator()<CTableInsertDlg>(rows, columns);
    };
    controller.m_tableFormatDialog = [parent](int* frame, int* width) {
        CTableFormatDlg dialog(parent);
        dialog.m_frame = *frame;
        dialog.m_lineWidth = *width;
        if (dialog.DoModal() != IDOK)
            return false;
        *frame = dialog.m_frame;
        *width = dialog.m_lineWidth;
        return true;
    };
}

}  // namespace

CSorelView::CSorelView(IViewDocument& document, VIEW_SETTINGS& settings, QWidget* parent)
    : QWidget(parent), m_measuring(CreateQtScreenDC())
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    m_textCursor = QCursor(Qt::IBeamCursor);
    setMouseTracking(true);
    m_hBar = new QScrollBar(Qt::Horizontal, this);
    m_vBar = new QScrollBar(Qt::Vertical, this);
    m_controller = std::make_unique<CEditViewController>(document, *this, settings);
    m_controller->m_zoomDialog = [this](int* percent) {
        CZoomDlg dialog(this);
        dialog.m_zoom = static_cast<unsigned>(std::max(*percent, 0));
        if (dialog.DoModal() != IDOK)
            return false;
        *percent = static_cast<int>(dialog.m_zoom);
        return true;
    };
    m_controller->m_fontSheet = [this](FONT_SHEET_VALUES* values) { return RunFontDefaultSheet(values->fonts, this); };
    // The reading-mark dialog runs as a window of its own: the frame is disabled meanwhile, and a
    // child of it would be disabled with it.
    m_controller->m_kuntenFrame = [](KUNTEN_FRAME_RUN& run) {
        CKuntenSession session(run.cell, run.displayMap, run.baseHeight, run.paletteShown, run.pushUndo, run.afterStep);
        session.Run(nullptr);
        run.cell = session.CurrentCell();
        run.paletteShown = session.PaletteShown();
    };
    m_controller->m_underlineNumberDialog = [this](UNDERLINE_NUMBER_VALUES* values) {
        return RunUnderlineNumberDialog(values, this);
    };
    HookFormulaDialogs(*m_controller, this);
    m_controller->m_questionNumberDialog = [this](QUESTION_NUMBER_FORMAT* format) {
        CQuestionNumberDlg dialog(this);
        dialog.m_bigStyle = format->majorStyle;
        dialog.m_smallStyle = format->minorStyle;
        dialog.m_vertical = format->vertical;
        if (dialog.DoModal() != IDOK)
            return false;
        format->majorStyle = dialog.m_bigStyle;
        format->minorStyle = dialog.m_smallStyle;
        return true;
    };
    m_controller->m_pointsDialog = [this](POINTS_DIALOG_VALUES* values) {
        CPointsDlg dialog(this);
        dialog.m_bracketStyle = values->bracketStyle;
        dialog.m_showPoints = values->showPoints;
        const int count = static_cast<int>(values->rows.size());
        dialog.SetRows(values->rows.data(), count);
        if (dialog.DoModal() != IDOK)
            return false;
        dialog.GetRows(values->rows.data(), count);
        values->bracketStyle = dialog.m_bracketStyle;
        values->showPoints = dialog.m_showPoints;
        return true;
    };
    // Every position the bars take is a thumb position for the controller, which clamps it.
    connect(m_vBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncingBars)
            m_controller->OnVScroll(ScrollCode::kThumbTrack, value);
    });
    connect(m_hBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncingBars)
            m_controller->OnHScroll(ScrollCode::kThumbTrack, value);
    });
    LayoutScrollBars();
}

CSorelView::~CSorelView() = default;

SIZE CSorelView::GetClientSize() const
{
    return SIZE{std::max(0, width() - m_vBar->sizeHint().width()), std::max(0, height() - m_hBar->sizeHint().height())};
}

SIZE CSorelView::GetScreenSize() const
{
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr)
        return SIZE{1024, 768};
    return SIZE{where->size().width(), where->size().height()};
}

bool CSorelView::HasFocus() const { return hasFocus(); }

CDC* CSorelView::GetMeasuringDC() { return m_measuring.get(); }

void CSorelView::Invalidate(const RECT* area)
{
    if (area != nullptr)
        update(ToQRect(*area));
    else
        update();
}

void CSorelView::ScrollBarsChanged()
{
    m_syncingBars = true;
    // Qt's range ends where the last page starts.
    auto apply = [](QScrollBar* bar, const SCROLL_BAR_STATE& state) {
        bar->setEnabled(state.page > 0);
        bar->setRange(0, std::max(0, state.max - state.page));
        bar->setPageStep(std::max(1, state.page));
        bar->setSingleStep(CEditViewController::kLineStep);
        bar->setValue(state.pos);
    };
    apply(m_hBar, m_controller->GetHBar());
    apply(m_vBar, m_controller->GetVBar());
    m_syncingBars = false;
}

void CSorelView::CaretChanged()
{
    m_frame->CaretMoved();
    if (QInputMethod* method = QGuiApplication::inputMethod(); method != nullptr && hasFocus())
        method->update(Qt::ImCursorRectangle | Qt::ImFont);
}

void CSorelView::FocusView() { setFocus(); }

IViewFrame& CSorelView::QuietFrame()
{
    static IViewFrame quiet;
    return quiet;
}

void CSorelView::SyncFrameWithDirection(int vertical)
{
    if (!vertical) {
        m_textCursor = QCursor(Qt::IBeamCursor);
        setCursor(m_textCursor);
        return;
    }
    // An I-beam turned on its side, 17 pixels long, hot spot (8, 7).
    QPixmap beam(17, 17);
    beam.fill(Qt::transparent);
    QPainter painter(&beam);
    painter.setPen(Qt::black);
    painter.drawLine(0, 7, 16, 7);
    painter.drawLine(0, 4, 0, 10);
    painter.drawLine(16, 4, 16, 10);
    painter.end();
    m_textCursor = QCursor(beam, 8, 7);
    setCursor(m_textCursor);
}

POINT CSorelView::ClientToScreen(POINT point) const
{
    const QPoint global = mapToGlobal(QPoint(point.x, point.y));
    return POINT{global.x(), global.y()};
}

void CSorelView::PopupMenu(int menuId, POINT screenPoint)
{
    m_frame->ShowContextMenu(menuId, QPoint(screenPoint.x, screenPoint.y));
}

void CSorelView::PostCommand(int id)
{
    // Runs after the mouse event that posted it, as a posted WM_COMMAND would.
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            if (!m_frame->RouteCommand(static_cast<unsigned>(id)))
                m_controller->OnCommand(id);
        },
        Qt::QueuedConnection);
}

void CSorelView::UpdateCursor(POINT point)
{
    const int hit = m_controller->TrackerHitAt(point);
    if (hit == CRectTracker::hitNothing)
        setCursor(m_textCursor);
    else
        setCursor(CursorShapeOf(CRectTracker::CursorOf(hit)));
}

void CSorelView::mousePressEvent(QMouseEvent* event)
{
    const POINT point = ClientPointOf(event);
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        m_controller->OnLButtonDown(MouseFlags(event), point);
    } else if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason);
        m_controller->OnRButtonDown(MouseFlags(event), point);
    }
    event->accept();
}

void CSorelView::mouseMoveEvent(QMouseEvent* event)
{
    const POINT point = ClientPointOf(event);
    if (m_controller->IsTracking())
        m_controller->OnMouseMove(MouseFlags(event), point);
    UpdateCursor(point);
    event->accept();
}

void CSorelView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_controller->OnLButtonUp(MouseFlags(event), ClientPointOf(event));
    event->accept();
}

void CSorelView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_controller->OnLButtonDblClk(MouseFlags(event), ClientPointOf(event));
    event->accept();
}

void CSorelView::LayoutScrollBars()
{
    const int barWidth = m_vBar->sizeHint().width();
    const int barHeight = m_hBar->sizeHint().height();
    m_vBar->setGeometry(width() - barWidth, 0, barWidth, std::max(0, height() - barHeight));
    m_hBar->setGeometry(0, height() - barHeight, std::max(0, width() - barWidth), barHeight);
}

void CSorelView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutScrollBars();
    const SIZE client = GetClientSize();
    m_controller->UpdateScrollBars(&client);
}

void CSorelView::paintEvent(QPaintEvent* event)
{
    const SIZE client = GetClientSize();
    const QRect area = event->rect().intersected(QRect(0, 0, client.cx, client.cy));
    QPainter painter(this);
    painter.fillRect(QRect(client.cx, client.cy, width() - client.cx, height() - client.cy), palette().window());
    if (area.isEmpty())
        return;
    const RECT clip{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    if (!m_controller->Paint(clip))
        return;
    if (const CQtDC* buffer = m_controller->GetOffscreenDC(); buffer != nullptr && buffer->Image() != nullptr)
        painter.drawImage(area, *buffer->Image(), area);
    DrawCaretAndPreedit(painter);
    ReportFirstPaint();
}

QFont CSorelView::ImeFont() const { return QtFontOfImeFont(m_controller->GetImeFont(), true); }

void CSorelView::DrawCaretAndPreedit(QPainter& painter) const
{
    const CEditViewController& view = *m_controller;
    const std::u16string& preedit = view.GetPreeditText();
    if (!preedit.empty()) {
        // The composition under way, at the caret in the caret's font.
        DrawPreedit(painter, ImeFont(), view.GetImePoint(), preedit, view.GetDisplayMap().IsVertical() != 0);
        return;
    }
    // The caret stays visible against the edge of the glyph it stands at (a label's bracket).
    if (hasFocus() && view.IsSystemCaretShown())
        DrawInvertingCaret(painter, view.GetSystemCaret());
}

void CSorelView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Undo)) {
        m_controller->OnCommand(ViewCommand::kEditUndo);
        return;
    }
    if (event->matches(QKeySequence::Redo) ||
        (event->key() == Qt::Key_Y && (event->modifiers() & Qt::ControlModifier) != 0)) {
        m_controller->OnCommand(ViewCommand::kEditRedo);
        return;
    }
    if (event->key() == Qt::Key_Escape && m_controller->IsTracking()) {
        m_controller->CancelTracking();
        return;
    }
    if (!ForwardTypingKey(*m_controller, event, ViewCommand::kEditClear))
        QWidget::keyPressEvent(event);
}

void CSorelView::wheelEvent(QWheelEvent* event) { ForwardWheel(*m_controller, event); }

void CSorelView::inputMethodEvent(QInputMethodEvent* event) { ForwardInputMethod(*m_controller, *this, event); }

QVariant CSorelView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const CEditViewController& view = *m_controller;
    const QVariant answer =
        QueryImeCaret(query, view.GetImePoint(), view.GetImeFont(), view.GetDisplayMap().IsVertical() != 0, true);
    return answer.isValid() ? answer : QWidget::inputMethodQuery(query);
}

void CSorelView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_controller->ShowCaretAndIme();
    update();
}

void CSorelView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_controller->CancelTracking();
    m_controller->HideSystemCaret();
    update();
}

// Tab is not a way out of the paper.
bool CSorelView::focusNextPrevChild(bool) { return false; }
