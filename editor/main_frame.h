// CMainFrame: the problem editor's one top-level window. It carries the menu of menu 128 and the
// bars in their fixed order and ids, keeps the window placement in the settings and the bar
// layout in the profile, swaps the commands that depend on the writing direction, forwards
// palette characters to the view and runs the command-line exports before closing.
#pragma once

#include "editor/frame_commands.h"
#include "editor/frame_layout.h"
#include "ui/menus.h"

#include <QMainWindow>
#include <QPoint>

#include <map>

class CCharPaletteBar;
class CSorelApp;
class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow {
public:
    explicit CMainFrame(CSorelApp& app);
    ~CMainFrame() override;

    // Builds menus and bars and restores the saved layout; false when a resource is missing.
    bool Create();

    // The command with the id, as a menu item, toolbar button or accelerator sends it.
    void OnCommand(unsigned id);
    // Whether the menu or toolbar command is enabled and checked, as its update handler says.
    void UpdateCommandUI(unsigned id, bool* enabled, bool* checked) const;
    // Pops up context menu N of the resources at a global point, with the frame's menu icons and
    // each item enabled by its update handler; the chosen command is routed as a menu's is.
    void PopupContextMenu(int menuId, QPoint globalPoint);
    // Whether the frame or the application carries out the command itself.
    static bool HandlesCommand(unsigned id);
    // Enables the toolbar buttons as their update handlers say.
    void UpdateToolbarButtons();
    // Shows the commands of the writing direction (vertical: 379, 380, 433).
    void SetWritingDirectionUI(bool vertical);
    // Runs the export of the batch message and closes the frame, whatever happened.
    void OnBatch(unsigned message);
    // Posts a batch message: it runs once the message loop is going.
    void PostBatch(unsigned message);
    // Shows the frame as the show command asks (maximised or as placed) and makes it the active
    // window, so that its keyboard shortcuts and menu keys answer at once.
    void ShowFrame(int show);

    // The menu model the window shows (after pruning and direction changes).
    const FRAME_LAYOUT& Layout() const { return m_layout; }
    QToolBar* Bar(unsigned barId) const;
    QDockWidget* PaletteBar() const { return m_palette; }
    CCharPaletteBar* Palette() const { return m_paletteBar; }
    // The frame's own commands: pickers, other formats, character map, font defaults.
    CFrameCommands& Commands() { return m_commands; }
    const CMenuIconTable& MenuIcons() const { return m_menuIcons; }
    // The menu action of a command id, or null when the menu has none.
    QAction* MenuAction(unsigned id) const;

    // The view that gets the commands the frame does not handle, their update handlers, the
    // bars' box notices and the palette's characters; null (the default) while there is none.
    void SetActiveView(IFrameView* view);
    IFrameView* ActiveView() const { return m_activeView; }
    // The status bar's page pane.
    void SetPagePaneText(const std::u16string& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void FillMenu(QMenu* menu, const std::vector<MENU_ITEM>& items);
    void BuildToolbar(QToolBar* bar, const TOOLBAR_LAYOUT& layout);
    QToolBar* MakeBar(unsigned barId, const std::u16string& title);
    void BuildStatusBar();
    void ApplyAccelerators();
    void RestoreBarState();
    void SaveBarState();
    void ToggleBar(QWidget* bar);
    // Puts the recent-file entries in place of the menu's placeholder item.
    void ShowRecentFiles(QMenu* menu);
    void RememberPlacement();
    void FillIconTable();

    CSorelApp& m_app;
    FRAME_LAYOUT m_layout;
    std::map<unsigned, QAction*> m_menuActions;
    std::map<unsigned, QToolBar*> m_bars;
    QDockWidget* m_palette = nullptr;
    CCharPaletteBar* m_paletteBar = nullptr;
    QLabel* m_pagePane = nullptr;
    bool m_created = false;
    IFrameView* m_activeView = nullptr;
    CFrameCommands m_commands{*this};
    CMenuIconTable m_menuIcons;
};
