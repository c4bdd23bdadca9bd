#include "formula/window/view_window.h"

#include "dialogs/count_dialogs.h"
#include "dialogs/font_default_sheet.h"
#include "dialogs/underline_number_dialog.h"
#include "formula/vumat_app.h"
#include "formula/vumat_doc.h"
#include "formula/window/format_bar.h"
#include "platform/codepage.h"
#include "platform/gdi_qt.h"
#include "ui/view_input.h"

#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

// The formula editor's copy of the numbering dialog names its font list 1001.
constexpr int kNumberingFontList = 1001;
// The caption of the formula editor's font-defaults sheet (string 61446).
constexpr char16_t kFontDefaultsCaption[] = u"フォント規定値";

// The application's numbering defaults ("Settings\Bango"), as the numbering commands read and set them.
class CAppNumberingDefaults : public INumberingDefaults {
public:
    explicit CAppNumberingDefaults(CVumatApp& app) : m_app(app) {}
    void GetNumberingDefaults(CKasenRenbanProperties* numbering, CCharacterProperties* underline) const override
    {
        numbering->Copy(m_app.m_bango);
        underline->m_underlineStyle = m_app.m_underlineStyle;
        underline->m_underlineWidth = m_app.m_underlineWidth;
    }
    void SetNumberingDefaults(const CKasenRenbanProperties& numbering, const CCharacterProperties& underline) override
    {
        m_app.m_bango.Copy(numbering);
        m_app.m_underlineStyle = underline.m_underlineStyle;
        m_app.m_underlineWidth = underline.m_underlineWidth;
    }

private:
    CVumatApp& m_app;
};

}  // namespace

CVumatViewWindow::CVumatViewWindow(CVumatDoc& document, CVumatApp& app, CMainFrame& frame, QWidget* parent)
    : QWidget(parent), m_document(document), m_app(app), m_frame(frame), m_measuring(CreateQtScreenDC())
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    m_controller = std::make_unique<CVumatView>(m_document, *this);
    HookCommands();
    // The document's changes reach the view through its update hints.
    m_document.SetViewUpdater([this](intptr_t hint) { m_controller->OnUpdate(static_cast<int>(hint)); });
    m_controller->LayoutRoot();
    m_controller->OnInitialUpdate();
}

CVumatViewWindow::~CVumatViewWindow() { m_document.SetViewUpdater(nullptr); }

SIZE CVumatViewWindow::GetClientSize() const { return SIZE{width(), height()}; }

SIZE CVumatViewWindow::GetScreenSize() const
{
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr)
        return SIZE{1024, 768};
    return SIZE{where->size().width(), where->size().height()};
}

void CVumatViewWindow::Invalidate(const RECT* area)
{
    if (area != nullptr)
        update(ToQRect(*area));
    else
        update();
}

void CVumatViewWindow::CaretChanged()
{
    update();
    if (QInputMethod* method = QGuiApplication::inputMethod(); method != nullptr && hasFocus())
        method->update(Qt::ImCursorRectangle | Qt::ImFont);
}

POINT CVumatViewWindow::ClientToScreen(POINT point) const
{
    const QPoint global = mapToGlobal(QPoint(point.x, point.y));
    return POINT{global.x(), global.y()};
}

void CVumatViewWindow::PopupMenu(int menuId, POINT screenPoint)
{
    m_frame.PopupContextMenu(menuId, QPoint(screenPoint.x, screenPoint.y));
}

bool CVumatViewWindow::OnCommand(unsigned id) { return m_controller->OnCommand(static_cast<int>(id)); }

bool CVumatViewWindow::OnUpdateCommand(unsigned id, bool* enabled, bool* checked)
{
    const VUMAT_COMMAND_STATE state = m_controller->OnUpdateCommand(static_cast<int>(id));
    if (!state.known)
        return false;
    *enabled = state.enabled;
    *checked = state.check != 0;
    return true;
}

void CVumatViewWindow::HookCommands()
{
    m_numberingDefaults = std::make_unique<CAppNumberingDefaults>(m_app);
    VUMAT_VIEW_HOOKS& hooks = m_controller->m_hooks;
    hooks.numberingDefaults = m_numberingDefaults.get();
    hooks.matrixSize = [this](int* rows, int* columns) { return RunMatrixSizeDialog(rows, columns, this); };
    hooks.underlineNumber = [this](UNDERLINE_NUMBER_VALUES* values) {
        return RunUnderlineNumberDialog(values, this, kNumberingFontList);
    };
    hooks.mathFontSheet = [this](DEFAULT_FONT fonts[3]) {
        return RunFormulaFontDefaultSheet(fonts, QString::fromStdU16String(kFontDefaultsCaption), this);
    };
    hooks.saveSettings = [this] { m_app.SaveSettings(); };
    hooks.getFont = [this](LOGFONTA* font) {
        return m_frame.FormatBar() != nullptr ? m_frame.FormatBar()->GetFontName(font) : -1;
    };
    hooks.selectFontName = [this](const char* face) {
        if (m_frame.FormatBar() != nullptr)
            m_frame.FormatBar()->SelectFontName(QString::fromStdU16String(Cp932ToWide(face)));
    };
    hooks.getSize = [this](int* size) { return m_frame.FormatBar() != nullptr && m_frame.FormatBar()->GetSize(size); };
    hooks.setSize = [this](int size) {
        if (m_frame.FormatBar() != nullptr)
            m_frame.FormatBar()->SetSize(size);
    };
    hooks.focusView = [this] { setFocus(); };
}

void CVumatViewWindow::OnBarNotify(const BAR_NOTIFY& notice)
{
    // Enter in the size box applies the size; the bar's idle pass shows the caret's format.
    if (notice.code == NM_BARCOMBO_RETURN && notice.idFrom == VumatBox::kFontSize)
        m_controller->OnBarComboReturn();
    else if (notice.code == NM_BARCOMBO_SELCHANGE)
        m_controller->OnBarComboSelChange();
}

long CVumatViewWindow::OnPaletteChar(char16_t unit, const LOGFONTA& font)
{
    const long result = m_controller->OnPaletteChar(unit, &font);
    // The palette keeps no focus: typing goes on in the formula.
    setFocus();
    return result;
}

void CVumatViewWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controller->OnSize(GetClientSize());
}

void CVumatViewWindow::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect().intersected(rect());
    if (area.isEmpty())
        return;
    QPainter painter(this);
    const RECT clip{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    if (!m_controller->OnPaint(clip)) {
        painter.fillRect(area, Qt::white);
        return;
    }
    if (const CQtDC* buffer = m_controller->GetOffscreenDC(); buffer != nullptr && buffer->Image() != nullptr)
        painter.drawImage(area, *buffer->Image(), area);
    DrawCaretAndPreedit(painter);
}

QFont CVumatViewWindow::ImeFont() const { return QtFontOfImeFont(m_controller->GetImeFont(), false); }

void CVumatViewWindow::DrawCaretAndPreedit(QPainter& painter) const
{
    const CVumatView& view = *m_controller;
    const std::u16string& preedit = view.GetPreeditText();
    if (!preedit.empty()) {
        // The composition under way, at the caret in the caret's font.
        DrawPreedit(painter, ImeFont(), view.GetImePoint(), preedit, false);
        return;
    }
    if (hasFocus() && view.IsSystemCaretShown())
        DrawInvertingCaret(painter, view.GetSystemCaret());
}

void CVumatViewWindow::keyPressEvent(QKeyEvent* event)
{
    if (!ForwardTypingKey(*m_controller, event, VumatCommand::kEditClear))
        QWidget::keyPressEvent(event);
}

void CVumatViewWindow::wheelEvent(QWheelEvent* event) { ForwardWheel(*m_controller, event); }

void CVumatViewWindow::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    if (event->button() == Qt::LeftButton)
        m_controller->OnLButtonDown(ClientPointOf(event), ShiftHeld(event));
    else if (event->button() == Qt::RightButton)
        m_controller->OnRButtonDown(ClientPointOf(event));
    event->accept();
}

void CVumatViewWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_controller->IsTracking())
        m_controller->OnMouseMove(ClientPointOf(event), ShiftHeld(event));
    event->accept();
}

void CVumatViewWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_controller->OnLButtonUp(ClientPointOf(event), ShiftHeld(event));
    event->accept();
}

void CVumatViewWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click selects the character at the caret.
    if (event->button() == Qt::LeftButton)
        m_controller->OnLButtonDblClk();
    event->accept();
}

void CVumatViewWindow::inputMethodEvent(QInputMethodEvent* event) { ForwardInputMethod(*m_controller, *this, event); }

QVariant CVumatViewWindow::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const CVumatView& view = *m_controller;
    const QVariant answer = QueryImeCaret(query, view.GetImePoint(), view.GetImeFont(), false, false);
    return answer.isValid() ? answer : QWidget::inputMethodQuery(query);
}

void CVumatViewWindow::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_controller->OnSetFocus();
    update();
}

void CVumatViewWindow::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_controller->OnKillFocus();
    update();
}

// Tab is not a way out of the formula.
bool CVumatViewWindow::focusNextPrevChild(bool) { return false; }
