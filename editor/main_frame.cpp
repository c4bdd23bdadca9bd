#include "editor/main_frame.h"

#include "ui/char_palette.h"
#include "editor/rulers.h"
#include "editor/sorel_app.h"
#include "editor/toolbars.h"
#include "platform/profile.h"
#include "platform/shell.h"

#include <QAction>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVariant>

#include <cstdio>
#include <exception>
#include <vector>

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

constexpr char kBarsSection[] = "Bars\\";
constexpr char kBarsValue[] = "State";

// The framework's command ids that the frame and the application handle.
namespace Cmd {
constexpr unsigned kFileNew = 57600, kFileOpen = 57601, kFileSave = 57603, kFileSaveAs = 57604;
constexpr unsigned kFileSaveWord = 33004;
constexpr unsigned kFileSaveIchitaro = 461;
constexpr unsigned kAppExit = 57665, kAppAbout = 57664, kHelpIndex = 57666, kHelp = 57670;
constexpr unsigned kContextHelp = 57669, kMruFirst = 57616, kMruLast = 57631;
constexpr unsigned kViewToolbar = 59392, kViewStatusBar = 59393;
constexpr unsigned kViewFormatBar = 32775, kViewMathBar = 32776, kViewFieldBar = 32890;
constexpr unsigned kCharPalette = 32774, kGaijiPalette = 433;
}  // namespace Cmd

}  // namespace

CMainFrame::CMainFrame(CSorelApp& app) : m_app(app)
{
    setWindowTitle(Q(SorelDocText::kApplicationTitle));
    setObjectName("Sorel");
    // The saved normal rectangle is used only when it has a size.
    const RECT& rect = m_app.Settings().initialRect;
    if (rect.right - rect.left > 0 && rect.bottom - rect.top > 0)
        setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    else
        resize(1000, 720);
}

CMainFrame::~CMainFrame() = default;

QToolBar* CMainFrame::MakeBar(unsigned barId, const std::u16string& title)
{
    QToolBar* bar = nullptr;
    switch (barId) {
    case BarId::kStandard: bar = new CStandardToolBar(this); break;
    case BarId::kFormat: bar = new CFormatToolBar(this); break;
    case BarId::kQuestion: bar = new CQuestionToolBar(this); break;
    case BarId::kFormula: bar = new CFormulaToolBar(this); break;
    default:
        bar = new QToolBar(Q(title), this);
        bar->setObjectName(QString("bar_%1").arg(barId));
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        break;
    }
    if (auto* owned = dynamic_cast<CBarBase*>(bar)) {
        owned->notify = [this](const BAR_NOTIFY& notice) {
            if (m_activeView)
                m_activeView->OnBarNotify(notice);
        };
        owned->command = [this](unsigned id) { OnCommand(id); };
    }
    m_bars[barId] = bar;
    return bar;
}

bool CMainFrame::Create()
{
    if (!LoadFrameLayout(&m_layout))
        return false;

    // The bars in their order: standard, status, format, question, formula, palette, rulers.
    BuildToolbar(MakeBar(BarId::kStandard, m_layout.standard.title), m_layout.standard);
    BuildStatusBar();
    BuildToolbar(MakeBar(BarId::kFormat, m_layout.format.title), m_layout.format);
    BuildToolbar(MakeBar(BarId::kQuestion, m_layout.question.title), m_layout.question);
    BuildToolbar(MakeBar(BarId::kFormula, m_layout.formula.title), m_layout.formula);
    for (unsigned id : {BarId::kStandard, BarId::kFormat, BarId::kQuestion, BarId::kFormula}) {
        addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, m_bars[id]);
    }

    m_palette = new QDockWidget(QString::fromUtf16(u"文字パレット"), this);
    m_palette->setObjectName(QString("bar_%1").arg(BarId::kPalette));
    m_palette->setAllowedAreas(Qt::NoDockWidgetArea);
    m_paletteBar = new CCharPaletteBar;
    if (!m_paletteBar->Create(m_palette, kCharPaletteMode, m_app.Settings().writingMode != 0))
        return false;
    m_paletteBar->Tab()->Grid().SetTarget(m_activeView);
    m_palette->setWidget(m_paletteBar);
    addDockWidget(Qt::TopDockWidgetArea, m_palette);
    m_palette->setFloating(true);
    m_palette->move(0, 0);
    m_palette->hide();

    QToolBar* horzRuler = MakeBar(BarId::kHorzRuler, u"ルーラー");
    QToolBar* vertRuler = MakeBar(BarId::kVertRuler, u"ルーラー");
    horzRuler->addWidget(new CHorzRulerBar);
    vertRuler->addWidget(new CVertRulerBar);
    addToolBar(Qt::TopToolBarArea, horzRuler);
    addToolBar(Qt::LeftToolBarArea, vertRuler);

    static_cast<CStandardToolBar*>(m_bars[BarId::kStandard])->SetupControls();
    static_cast<CFormatToolBar*>(m_bars[BarId::kFormat])->FillFontNames(m_app.Settings().writingMode != 0);
    FillIconTable();
    BuildMenus();
    RestoreBarState();
    // The rulers stay hidden whatever the saved layout says.
    horzRuler->hide();
    vertRuler->hide();
    // The buttons follow their update handlers while the program is idle, as menus do when
    // they open.
    auto* idleUpdate = new QTimer(this);
    connect(idleUpdate, &QTimer::timeout, this, &CMainFrame::UpdateToolbarButtons);
    idleUpdate->start(250);
    UpdateToolbarButtons();
    m_created = true;
    return true;
}

QToolBar* CMainFrame::Bar(unsigned barId) const
{
    const auto it = m_bars.find(barId);
    return it == m_bars.end() ? nullptr : it->second;
}

QAction* CMainFrame::MenuAction(unsigned id) const
{
    const auto it = m_menuActions.find(id);
    return it == m_menuActions.end() ? nullptr : it->second;
}

void CMainFrame::BuildMenus()
{
    menuBar()->clear();
    m_menuActions.clear();
    for (const MENU_ITEM& popup : m_layout.menuBar) {
        QMenu* menu = menuBar()->addMenu(Q(popup.text));
        FillMenu(menu, popup.items);
    }
    ApplyAccelerators();
}

void CMainFrame::FillMenu(QMenu* menu, const std::vector<MENU_ITEM>& items)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        ShowRecentFiles(menu);
        RefreshMenuCommands(menu, [this](unsigned id, bool* enabled, bool* checked) {
            UpdateCommandUI(id, enabled, checked);
        });
    });
    for (const MENU_ITEM& item : items) {
        switch (item.kind) {
        case MENU_ITEM::Separator:
            menu->addSeparator();
            break;
        case MENU_ITEM::Popup:
            FillMenu(menu->addMenu(Q(item.text)), item.items);
            break;
        case MENU_ITEM::Command: {
            QAction* action = menu->addAction(m_menuIcons.GetIcon(item.id), Q(item.text));
            action->setData(item.id);
            bool enabled = true, checked = false;
            UpdateCommandUI(item.id, &enabled, &checked);
            action->setCheckable(checked || item.id == Cmd::kViewToolbar || item.id == Cmd::kViewStatusBar ||
                                 item.id == Cmd::kViewFormatBar || item.id == Cmd::kViewMathBar ||
                                 item.id == Cmd::kViewFieldBar || item.id == Cmd::kCharPalette ||
                                 item.id == Cmd::kGaijiPalette);
            const unsigned id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            m_menuActions.emplace(item.id, action);
            break;
        }
        }
    }
}

void CMainFrame::PopupContextMenu(int menuId, QPoint globalPoint)
{
    QFile file(QStringLiteral(":/tarsel/menu_%1.txt").arg(menuId));
    std::vector<MENU_ITEM> menuBar;
    if (!file.open(QIODevice::ReadOnly) || !ParseMenuTable(file.readAll().toStdString(), &menuBar) || menuBar.empty())
        return;
    QMenu menu(this);
    for (const MENU_ITEM& item : menuBar.front().items) {
        if (item.kind == MENU_ITEM::Separator) {
            menu.addSeparator();
            continue;
        }
        if (item.kind != MENU_ITEM::Command)
            continue;
        QAction* action = menu.addAction(m_menuIcons.GetIcon(item.id), Q(item.text));
        action->setData(item.id);
        bool enabled = true, checked = false;
        UpdateCommandUI(item.id, &enabled, &checked);
        action->setEnabled(enabled);
    }
    if (QAction* chosen = menu.exec(globalPoint); chosen != nullptr)
        OnCommand(chosen->data().toUInt());
}

void CMainFrame::ApplyAccelerators()
{
    for (QAction* action : findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly))
        if (action->property("accelerator").toBool())
            delete action;
    for (const ACCELERATOR& accelerator : m_layout.accelerators) {
        const QKeySequence key(QString::fromStdString(accelerator.key));
        if (QAction* action = MenuAction(accelerator.id)) {
            action->setShortcut(key);
            continue;
        }
        // Commands without a menu item still answer their key.
        auto* action = new QAction(this);
        action->setProperty("accelerator", true);
        action->setShortcut(key);
        const unsigned id = accelerator.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        addAction(action);
    }
}

void CMainFrame::BuildToolbar(QToolBar* bar, const TOOLBAR_LAYOUT& layout)
{
    if (auto* owned = dynamic_cast<CBarBase*>(bar))
        owned->BuildButtons(layout);
}

void CMainFrame::BuildStatusBar()
{
    auto* bar = new CMainStatusBar(this);
    setStatusBar(bar);
    m_pagePane = bar->PagePane();
}

void CMainFrame::UpdateCommandUI(unsigned id, bool* enabled, bool* checked) const
{
    *enabled = true;
    *checked = false;
    auto visible = [this](unsigned barId) {
        const QToolBar* bar = Bar(barId);
        return bar && bar->isVisible();
    };
    // The document's own commands are enabled while it holds a paper.
    if (CSorelDoc::IsDocumentCommand(id)) {
        *enabled = m_app.GetDocument() != nullptr && m_app.GetDocument()->OnUpdateDocumentCommand(id);
        return;
    }
    switch (id) {
    case Cmd::kViewToolbar:
        *checked = visible(BarId::kStandard);
        break;
    case Cmd::kViewStatusBar:
        *checked = statusBar()->isVisible();
        break;
    case Cmd::kViewFormatBar:
        *checked = visible(BarId::kFormat);
        break;
    case Cmd::kViewMathBar:
        *checked = visible(BarId::kFormula);
        break;
    case Cmd::kViewFieldBar:
        *checked = visible(BarId::kQuestion);
        break;
    case Cmd::kCharPalette:
    case Cmd::kGaijiPalette:
        *checked = m_palette && m_palette->isVisible();
        break;
    case Cmd::kMruFirst:
        *enabled = m_app.RecentFiles().GetSize() > 0;
        break;
    case Cmd::kFileSaveWord:
        *enabled = m_app.GetDocument() != nullptr && m_app.GetDocument()->OnUpdateSaveWord();
        break;
    case Cmd::kFileSaveIchitaro:
        *enabled = m_app.GetDocument() != nullptr && m_app.GetDocument()->OnUpdateSaveIchitaro();
        break;
    default:
        // A command that neither the view nor the frame carries out yet is disabled, never
        // offered to do nothing.
        if (!m_activeView || !m_activeView->OnUpdateCommand(id, enabled, checked))
            *enabled = HandlesCommand(id);
        break;
    }
}

bool CMainFrame::HandlesCommand(unsigned id)
{
    switch (id) {
    case Cmd::kFileNew:
    case Cmd::kFileOpen:
    case Cmd::kFileSave:
    case Cmd::kFileSaveAs:
    case Cmd::kAppExit:
    case Cmd::kAppAbout:
    case Cmd::kHelpIndex:
    case Cmd::kHelp:
    case Cmd::kContextHelp:
    case Cmd::kViewToolbar:
    case Cmd::kViewStatusBar:
    case Cmd::kViewFormatBar:
    case Cmd::kViewMathBar:
    case Cmd::kViewFieldBar:
    case Cmd::kCharPalette:
    case Cmd::kGaijiPalette:
    // The toolbar's boxes stay usable: their notices go to the active view.
    case BoxId::kFontName:
    case BoxId::kFontSize:
    case BoxId::kZoom:
        return true;
    default:
        return CFrameCommands::IsFrameCommand(id) || CSorelDoc::IsDocumentCommand(id) ||
               (id >= Cmd::kMruFirst && id <= Cmd::kMruLast);
    }
}

void CMainFrame::UpdateToolbarButtons()
{
    for (const auto& [barId, bar] : m_bars) {
        for (QAction* action : bar->actions()) {
            const unsigned id = action->data().toUInt();
            if (id == 0 || action->isSeparator())
                continue;
            bool enabled = true, checked = false;
            UpdateCommandUI(id, &enabled, &checked);
            action->setEnabled(enabled);
        }
    }
}

void CMainFrame::SetPagePaneText(const std::u16string& text)
{
    if (m_pagePane)
        m_pagePane->setText(QString::fromStdU16String(text));
}

void CMainFrame::ShowRecentFiles(QMenu* menu)
{
    QAction* first = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->property("recentEntry").toBool())
            delete action;
        else if (!action->menu() && action->data().toUInt() == Cmd::kMruFirst)
            first = action;
    }
    if (!first)
        return;
    const CRecentFileList& files = m_app.RecentFiles();
    if (files.GetSize() == 0) {
        first->setText(QString::fromUtf16(u"最近使用したﾌｧｲﾙ"));
        return;
    }
    // The entries take the place of the placeholder, numbered from 1.
    auto label = [&files](int index) {
        return QString("&%1 %2").arg(index + 1).arg(QFileInfo(QString::fromStdString(files.GetAt(index))).fileName());
    };
    first->setText(label(0));
    QAction* before = nullptr;
    const QList<QAction*> actions = menu->actions();
    const qsizetype at = actions.indexOf(first);
    if (at + 1 < actions.size())
        before = actions.at(at + 1);
    for (int i = 1; i < files.GetSize(); ++i) {
        auto* entry = new QAction(label(i), menu);
        entry->setProperty("recentEntry", true);
        entry->setData(Cmd::kMruFirst + static_cast<unsigned>(i));
        const unsigned id = Cmd::kMruFirst + static_cast<unsigned>(i);
        connect(entry, &QAction::triggered, this, [this, id] { OnCommand(id); });
        menu->insertAction(before, entry);
    }
}

void CMainFrame::ToggleBar(QWidget* bar)
{
    if (bar)
        bar->setVisible(!bar->isVisible());
}

void CMainFrame::OnCommand(unsigned id)
{
    CSorelDoc* doc = m_app.GetDocument();
    if (CSorelDoc::IsDocumentCommand(id)) {
        if (doc)
            doc->OnDocumentCommand(id, this);
        return;
    }
    switch (id) {
    case Cmd::kFileNew:
        m_app.OnFileNew();
        break;
    case Cmd::kFileOpen:
        m_app.OnFileOpen();
        break;
    case Cmd::kFileSave:
        if (doc)
            doc->OnFileSave();
        break;
    case Cmd::kFileSaveAs:
        if (doc)
            doc->OnFileSaveAs();
        break;
    case Cmd::kFileSaveWord:
        if (doc && doc->OnUpdateSaveWord())
            doc->OnFileSaveWord();
        break;
    case Cmd::kFileSaveIchitaro:
        if (doc && doc->OnUpdateSaveIchitaro())
            doc->OnFileSaveIchitaro();
        break;
    case Cmd::kAppExit:
        close();
        break;
    case Cmd::kAppAbout:
        ShellMessageBox(u"Lumetra　生物 - 問題作成エディタ Ver.2.10", u"バージョン情報", MB_OK | MB_ICONINFORMATION);
        break;
    case Cmd::kHelpIndex:
        m_app.WinHelp(0, HELP_CONTENTS);
        break;
    case Cmd::kHelp:
    case Cmd::kContextHelp:
        m_app.WinHelp(0, HELP_CONTEXT);
        break;
    case Cmd::kViewToolbar:
        ToggleBar(Bar(BarId::kStandard));
        break;
    case Cmd::kViewStatusBar:
        ToggleBar(statusBar());
        break;
    case Cmd::kViewFormatBar:
        ToggleBar(Bar(BarId::kFormat));
        break;
    case Cmd::kViewMathBar:
        ToggleBar(Bar(BarId::kFormula));
        break;
    case Cmd::kViewFieldBar:
        ToggleBar(Bar(BarId::kQuestion));
        break;
    case Cmd::kCharPalette:
    case Cmd::kGaijiPalette:
        ToggleBar(m_palette);
        break;
    default:
        if (m_commands.OnCommand(id))
            break;
        if (id >= Cmd::kMruFirst && id <= Cmd::kMruLast)
            m_app.OnOpenRecentFile(static_cast<int>(id - Cmd::kMruFirst));
        else if (m_activeView)
            m_activeView->OnCommand(id);
        break;
    }
}

void CMainFrame::FillIconTable()
{
    // The toolbar buttons' pictures in bar order, then the icons of the commands without one.
    for (const TOOLBAR_LAYOUT* layout : {&m_layout.standard, &m_layout.format, &m_layout.question})
        for (const TOOLBAR_BUTTON& button : layout->buttons) {
            const QIcon icon = button.kind == TOOLBAR_BUTTON::Button ? CommandIcon(button.id) : QIcon();
            if (!icon.isNull())
                m_menuIcons.Append(button.id, icon);
        }
    for (unsigned id : {252u, 379u, 380u, 433u, 461u})
        m_menuIcons.Append(id, CommandIcon(id));
}

void CMainFrame::SetWritingDirectionUI(bool vertical)
{
    // The icons of the direction's alignment and palette commands.
    const std::pair<unsigned, unsigned> icons[] = {{382, vertical ? 384u : 382u}, {381, vertical ? 385u : 381u},
                                                   {383, vertical ? 386u : 383u}, {387, vertical ? 388u : 387u},
                                                   {32774, vertical ? 433u : 434u}};
    for (const auto& [id, icon] : icons)
        m_menuIcons.SetIcon(id, CommandIcon(icon));
    ApplyWritingDirection(vertical, m_layout.menuBar, m_layout.standard, m_layout.format);
    BuildMenus();
    BuildToolbar(Bar(BarId::kFormat), m_layout.format);
    BuildToolbar(Bar(BarId::kStandard), m_layout.standard);
    // Palette characters go in as typed characters of the paper's direction.
    if (m_paletteBar && m_paletteBar->Tab())
        m_paletteBar->Tab()->Grid().SetVertical(vertical);
    // Only the ruler along the writing direction may show.
    if (QToolBar* ruler = Bar(vertical ? BarId::kHorzRuler : BarId::kVertRuler))
        ruler->hide();
}

void CMainFrame::SetActiveView(IFrameView* view)
{
    m_activeView = view;
    // The palette's characters go to the view as typed characters.
    if (m_paletteBar && m_paletteBar->Tab())
        m_paletteBar->Tab()->Grid().SetTarget(view);
}

void CMainFrame::OnBatch(unsigned message)
{
    try {
        m_app.RunBatchExport(message);
    } catch (const std::exception& error) {
        // Even running out of memory while reporting ends the run with the export's failure code.
        if (m_app.GetExitCode() == 0)
            m_app.SetExitCode(message == WM_BATCH_WORD   ? kExitWordFailed
                              : message == WM_BATCH_TARO ? kExitTaroFailed
                              : message == WM_BATCH_HTML ? kExitHtmlFailed
                                                         : kExitTextFailed);
        std::fprintf(stderr, "Tarsel: the export failed: %s\n", error.what());
    }
    QTimer::singleShot(0, this, [this] { close(); });
}

void CMainFrame::PostBatch(unsigned message)
{
    QTimer::singleShot(0, this, [this, message] { OnBatch(message); });
}

void CMainFrame::RestoreBarState()
{
    CProfile* profile = m_app.Profile();
    if (!profile)
        return;
    std::vector<BYTE> state;
    // A damaged or outdated layout is ignored; bars it does not name keep their places.
    if (profile->GetProfileBinary(kBarsSection, kBarsValue, &state) && !state.empty())
        restoreState(QByteArray(reinterpret_cast<const char*>(state.data()), static_cast<qsizetype>(state.size())));
}

void CMainFrame::SaveBarState()
{
    if (CProfile* profile = m_app.Profile()) {
        const QByteArray state = saveState();
        profile->WriteProfileBinary(kBarsSection, kBarsValue, state.constData(), static_cast<size_t>(state.size()));
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    SaveBarState();
    CSorelDoc* doc = m_app.GetDocument();
    if (doc && !doc->SaveModified()) {
        event->ignore();
        return;
    }
    event->accept();
    // The one frame closing ends the program, also when it was never shown (an export run).
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void CMainFrame::RememberPlacement()
{
    if (!m_created)
        return;
    SOREL_SETTINGS& settings = m_app.Settings();
    settings.maximized = isMaximized() ? 1 : 0;
    if (!isMaximized() && !isMinimized()) {
        const QRect frame = geometry();
        settings.initialRect = RECT{frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()};
    }
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    RememberPlacement();
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    RememberPlacement();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        RememberPlacement();
}

void CMainFrame::ShowFrame(int show)
{
    // A window shown after the start-up message boxes is not activated by every window manager;
    // without activation no shortcut of the frame reaches it, though typed keys do.
    if (show == SW_SHOWMAXIMIZED)
        showMaximized();
    else
        this->show();
    activateWindow();
}
