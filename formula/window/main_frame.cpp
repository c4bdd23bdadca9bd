#include "formula/window/main_frame.h"

#include "formula/vumat_app.h"
#include "formula/window/format_bar.h"
#include "platform/shell.h"
#include "ui/char_palette.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

// The resources live in this static library, so they are registered by hand before first use.
static void InitVumatResources()
{
    Q_INIT_RESOURCE(vumat);
}

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

// The ids whose menu items show a check mark.
bool IsCheckCommand(unsigned id)
{
    using namespace VumatCmd;
    return id == kViewToolbar || id == kViewStatusBar || id == kViewFormatBar || id == kViewMathBar ||
           id == kCharPalette;
}

}  // namespace

std::string LoadVumatResource(const char* name)
{
    static const bool registered = (InitVumatResources(), true);
    (void)registered;
    QFile file(QString(":/vumat/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

CMainFrame::CMainFrame(IVumatDocumentSite& site, QWidget* parent) : QMainWindow(parent), m_site(site)
{
    setObjectName("Vumat");
    setWindowTitle(QString::fromUtf16(CVumatApp::kDocumentTitle));
    resize(720, 420);
}

CMainFrame::~CMainFrame()
{
    // The bars and the palette outlive this object's own part while Qt deletes the children.
    for (CBarBase* bar : {m_standard, static_cast<CBarBase*>(m_format), static_cast<CBarBase*>(m_formula)}) {
        if (bar != nullptr) {
            bar->notify = nullptr;
            bar->command = nullptr;
        }
    }
    if (m_palette != nullptr && m_palette->Tab() != nullptr)
        m_palette->Tab()->Grid().SetTarget(nullptr);
    m_view = nullptr;
}

bool CMainFrame::LoadTables(TOOLBAR_LAYOUT* standard, TOOLBAR_LAYOUT* format, TOOLBAR_LAYOUT* formula)
{
    *standard = {kStandardBarId, u"標準", {}};
    *format = {CVumatFormatBar::kBarId, u"書式設定", {}};
    return ParseMenuTable(LoadVumatResource("menu_5.txt"), &m_menuBar) && m_menuBar.size() == 6 &&
           ParseAcceleratorTable(LoadVumatResource("accel_5.txt"), &m_accelerators) &&
           ParseToolbarTable(LoadVumatResource("toolbar_128.txt"), standard) &&
           ParseToolbarTable(LoadVumatResource("toolbar_135.txt"), format) && CFormulaToolBar::LoadLayout(formula);
}

void CMainFrame::WireBar(CBarBase* bar)
{
    bar->notify = [this](const BAR_NOTIFY& notice) {
        if (m_view)
            m_view->OnBarNotify(notice);
    };
    bar->command = [this](unsigned id) { OnCommand(id); };
}

bool CMainFrame::Create()
{
    TOOLBAR_LAYOUT standard, format, formula;
    if (!LoadTables(&standard, &format, &formula))
        return false;

    // The bars in their order: standard, status, font, maths, palette.
    m_standard = new CBarBase(kStandardBarId, Q(standard.title), this);
    m_standard->setMinimumHeight(30);
    WireBar(m_standard);
    m_standard->BuildButtons(standard);

    auto* status = new QStatusBar(this);
    status->setObjectName(QString("bar_%1").arg(0xE801));
    for (const char16_t* indicator : {u"ｶﾅ", u"CAP", u"NUM", u"SCRL"})
        status->addPermanentWidget(new QLabel(QString::fromUtf16(indicator), status));
    setStatusBar(status);

    m_format = new CVumatFormatBar(this);
    WireBar(m_format);
    m_format->BuildButtons(format);

    m_formula = new CFormulaToolBar(this);
    WireBar(m_formula);
    m_formula->BuildButtons(formula);

    for (QToolBar* bar : {static_cast<QToolBar*>(m_standard), static_cast<QToolBar*>(m_format),
                          static_cast<QToolBar*>(m_formula)}) {
        addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, bar);
    }

    m_paletteDock = new QDockWidget(QString::fromUtf16(u"文字パレット"), this);
    m_paletteDock->setObjectName(QString("bar_%1").arg(133));
    m_paletteDock->setAllowedAreas(Qt::NoDockWidgetArea);
    m_palette = new CCharPaletteBar;
    if (!m_palette->Create(m_paletteDock, kCharPaletteMode, false))
        return false;
    m_palette->Tab()->Grid().SetTarget(this);
    m_paletteDock->setWidget(m_palette);
    addDockWidget(Qt::TopDockWidgetArea, m_paletteDock);
    m_paletteDock->setFloating(true);
    m_paletteDock->move(0, 0);
    m_paletteDock->hide();

    // The menus show the buttons' pictures beside their commands.
    for (const TOOLBAR_LAYOUT* layout : {&standard, &format})
        for (const TOOLBAR_BUTTON& button : layout->buttons)
            if (button.kind == TOOLBAR_BUTTON::Button)
                if (const QIcon icon = CommandIcon(button.id); !icon.isNull())
                    m_menuIcons.Append(button.id, icon);
    BuildMenus();

    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &CMainFrame::OnIdleUpdate);
    idle->start(250);
    OnIdleUpdate();
    return true;
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
    for (const MENU_ITEM& popup : m_menuBar)
        FillMenu(menuBar()->addMenu(Q(popup.text)), popup.items);
    ApplyAccelerators();
}

void CMainFrame::FillMenu(QMenu* menu, const std::vector<MENU_ITEM>& items)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
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
            action->setCheckable(IsCheckCommand(item.id));
            const unsigned id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            m_menuActions.emplace(item.id, action);
            break;
        }
        }
    }
}

void CMainFrame::ApplyAccelerators()
{
    for (const ACCELERATOR& accelerator : m_accelerators) {
        const QKeySequence key(QString::fromStdString(accelerator.key));
        if (QAction* action = MenuAction(accelerator.id)) {
            action->setShortcut(key);
            continue;
        }
        // Commands without a menu item still answer their key.
        auto* action = new QAction(this);
        action->setShortcut(key);
        const unsigned id = accelerator.id;
        connect(action, &QAction::triggered, this, [this, id] {
            bool enabled = true, checked = false;
            UpdateCommandUI(id, &enabled, &checked);
            if (enabled)
                OnCommand(id);
        });
        addAction(action);
    }
}

bool CMainFrame::HandlesCommand(unsigned id)
{
    using namespace VumatCmd;
    switch (id) {
    case kFileSave:
    case kFileUpdate:
    case kFileSaveCopyAs:
    case kAppExit:
    case kAppAbout:
    case kHelpIndex:
    case kHelpFinder:
    case kHelpUsing:
    case kContextHelp:
    case kHelp:
    case kDefaultHelp:
    case kViewToolbar:
    case kViewStatusBar:
    case kViewFormatBar:
    case kViewMathBar:
    case kCharPalette:
    case kCharMap:
        return true;
    default:
        // The line-through drop-down has no handler here: the view only shows its state.
        return id != kStrikeDropDown && IsDropDownCommand(id);
    }
}

void CMainFrame::UpdateCommandUI(unsigned id, bool* enabled, bool* checked) const
{
    using namespace VumatCmd;
    *enabled = true;
    *checked = false;
    switch (id) {
    case kViewToolbar: *checked = m_standard && m_standard->isVisible(); return;
    case kViewStatusBar: *checked = statusBar()->isVisible(); return;
    case kViewFormatBar: *checked = m_format && m_format->isVisible(); return;
    case kViewMathBar: *checked = m_formula && m_formula->isVisible(); return;
    case kCharPalette: *checked = m_paletteDock && m_paletteDock->isVisible(); return;
    default: break;
    }
    if (HandlesCommand(id))
        return;
    // A command that neither the view nor the frame carries out is disabled, never silent.
    if (!m_view || !m_view->OnUpdateCommand(id, enabled, checked))
        *enabled = false;
}

void CMainFrame::OnIdleUpdate()
{
    for (CBarBase* bar : {m_standard, static_cast<CBarBase*>(m_format), static_cast<CBarBase*>(m_formula)}) {
        if (bar == nullptr)
            continue;
        for (QAction* action : bar->actions()) {
            const unsigned id = action->data().toUInt();
            if (id == 0 || action->isSeparator() || id == VumatBox::kFontName || id == VumatBox::kFontSize)
                continue;
            bool enabled = true, checked = false;
            UpdateCommandUI(id, &enabled, &checked);
            action->setEnabled(enabled);
            action->setCheckable(checked || action->isCheckable());
            action->setChecked(checked);
        }
    }
    if (m_format)
        m_format->OnUpdateCmdUI();
}

void CMainFrame::PopupContextMenu(int menuId, QPoint globalPoint)
{
    std::vector<MENU_ITEM> menuBar;
    const std::string name = "menu_" + std::to_string(menuId) + ".txt";
    if (!ParseMenuTable(LoadVumatResource(name.c_str()), &menuBar) || menuBar.empty())
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

void CMainFrame::ToggleBar(QWidget* bar)
{
    if (bar)
        bar->setVisible(!bar->isVisible());
}

void CMainFrame::OnDropDown(unsigned id)
{
    QToolBar* bar = IsFormulaDropDown(id) ? static_cast<QToolBar*>(m_formula) : static_cast<QToolBar*>(m_format);
    if (const unsigned chosen = TrackDropDown(id, bar, this); chosen != 0)
        OnCommand(chosen);
}

void CMainFrame::OnCommand(unsigned id)
{
    using namespace VumatCmd;
    switch (id) {
    case kFileSave:
    case kFileUpdate: m_site.OnFileUpdate(); return;
    case kFileSaveCopyAs: m_site.OnFileSaveCopyAs(); return;
    case kAppExit: close(); return;
    case kAppAbout:
        ShellMessageBox(std::u16string(CVumatApp::kDocumentTitle) + u" Ver.1.3", u"バージョン情報",
                        MB_OK | MB_ICONINFORMATION);
        return;
    case kHelpIndex:
    case kHelpFinder:
    case kHelpUsing:
    case kContextHelp:
    case kHelp:
    case kDefaultHelp: m_site.OnHelp(); return;
    case kViewToolbar: ToggleBar(m_standard); return;
    case kViewStatusBar: ToggleBar(statusBar()); return;
    case kViewFormatBar: ToggleBar(m_format); return;
    case kViewMathBar: ToggleBar(m_formula); return;
    case kCharPalette: ToggleBar(m_paletteDock); return;
    case kCharMap: m_charMap.Open(CVumatApp::kCaption); return;
    default: break;
    }
    if (id != kStrikeDropDown && IsDropDownCommand(id)) {
        OnDropDown(id);
        return;
    }
    if (m_view) {
        bool enabled = true, checked = false;
        if (m_view->OnUpdateCommand(id, &enabled, &checked) && !enabled)
            return;
        m_view->OnCommand(id);
    }
}

void CMainFrame::SetActiveView(IVumatFrameView* view) { m_view = view; }

long CMainFrame::OnPaletteChar(char16_t unit, const LOGFONTA& font)
{
    return m_view ? m_view->OnPaletteChar(unit, font) : 0;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // The container keeps the formula as it is when its window closes, changed or not.
    if (!m_closing) {
        if (!m_site.OnFrameClose()) {
            event->ignore();
            return;
        }
        m_closing = true;
    }
    event->accept();
}
