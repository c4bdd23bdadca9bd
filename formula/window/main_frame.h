// CMainFrame of the formula editor: the window in which an object opened from its container, or
// a ".qni" file, is edited. It carries menu 5 with accelerators 5, the standard toolbar 128, the
// font toolbar 135, the maths toolbar 131, the floating character palette and the status bar,
// routes the commands it does not carry out itself to the view (a command nobody carries out is
// disabled), and pushes the formula to its container when it closes.
#pragma once

#include "ui/bar_tables.h"
#include "ui/char_map.h"
#include "ui/menus.h"
#include "ui/palette_target.h"
#include "ui/toolbars.h"

#include <QMainWindow>
#include <QPoint>

#include <map>
#include <string>
#include <vector>

class CCharPaletteBar;
class CVumatFormatBar;
class QDockWidget;

// The view as the frame reaches it: commands, their update handlers, the combos' notices and
// the palette's characters.
class IVumatFrameView : public IPaletteCharTarget {
public:
    // A command the frame does not carry out itself: true when the view took it.
    virtual bool OnCommand(unsigned id) = 0;
    // The view's update handler of the command; false, leaving the flags, when it has none.
    virtual bool OnUpdateCommand(unsigned id, bool* enabled, bool* checked) = 0;
    // A combo of the font toolbar reported Enter (0x401) or asks for a refresh (0x402).
    virtual void OnBarNotify(const BAR_NOTIFY& notice) = 0;
};

// What the frame's file commands and its closing do with the document: the program answers.
class IVumatDocumentSite {
public:
    virtual ~IVumatDocumentSite() = default;
    // "更新": the container's copy (embedded) or the ".qni" file is brought up to date.
    virtual void OnFileUpdate() = 0;
    // "ｺﾋﾟｰに名前を付けて保存": the formula written to a file the user picks.
    virtual void OnFileSaveCopyAs() = 0;
    // The window is closing: an embedded formula is pushed to its container, changed or not; a
    // file asks about unsaved changes. False keeps the window open.
    virtual bool OnFrameClose() = 0;
    // The help file.
    virtual void OnHelp() = 0;
};

// Command ids of the formula editor's frame.
namespace VumatCmd {
constexpr unsigned kFileNew = 57600, kFileOpen = 57601, kFileSave = 57603;
constexpr unsigned kFileUpdate = 57610, kFileSaveCopyAs = 57611;
constexpr unsigned kAppExit = 57665, kAppAbout = 57664;
constexpr unsigned kHelpIndex = 57666, kHelpFinder = 57667, kHelpUsing = 57668, kContextHelp = 57669;
constexpr unsigned kHelp = 57670, kDefaultHelp = 57671;
constexpr unsigned kViewToolbar = 59392, kViewStatusBar = 59393, kViewFormatBar = 32775, kViewMathBar = 32776;
constexpr unsigned kCharPalette = 32774, kCharMap = 32888;
constexpr unsigned kStrikeDropDown = 32855;
}  // namespace VumatCmd

class CMainFrame : public QMainWindow, public IPaletteCharTarget {
public:
    static constexpr unsigned kStandardBarId = 0xE800;

    explicit CMainFrame(IVumatDocumentSite& site, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the menu, the bars and the status bar; false when a resource is missing or a bar
    // cannot be made, and the window must not be used.
    bool Create();

    // The command with the id, as a menu item, toolbar button or accelerator sends it.
    void OnCommand(unsigned id);
    // Whether the command is enabled and checked, as its update handler says.
    void UpdateCommandUI(unsigned id, bool* enabled, bool* checked) const;
    // The idle pass: buttons follow their update handlers and the font bar asks for a refresh.
    void OnIdleUpdate();
    // Pops up context menu N of the resources at a global point, each item enabled by its update
    // handler; the chosen command is routed as a menu's is.
    void PopupContextMenu(int menuId, QPoint globalPoint);

    // The view that gets what the frame does not handle; null while there is none.
    void SetActiveView(IVumatFrameView* view);
    IVumatFrameView* ActiveView() const { return m_view; }
    // WM_PALETTE_CHAR: sent on to the view with its parameters; 0 without a view.
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override;

    CBarBase* StandardBar() const { return m_standard; }
    CVumatFormatBar* FormatBar() const { return m_format; }
    CFormulaToolBar* FormulaBar() const { return m_formula; }
    QDockWidget* PaletteDock() const { return m_paletteDock; }
    CCharPaletteBar* Palette() const { return m_palette; }
    // The menu action of a command id, or null.
    QAction* MenuAction(unsigned id) const;
    const std::vector<MENU_ITEM>& MenuModel() const { return m_menuBar; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool LoadTables(TOOLBAR_LAYOUT* standard, TOOLBAR_LAYOUT* format, TOOLBAR_LAYOUT* formula);
    void BuildMenus();
    void FillMenu(class QMenu* menu, const std::vector<MENU_ITEM>& items);
    void ApplyAccelerators();
    void WireBar(CBarBase* bar);
    void ToggleBar(QWidget* bar);
    void OnDropDown(unsigned id);
    // Whether the frame itself carries out the command.
    static bool HandlesCommand(unsigned id);

    IVumatDocumentSite& m_site;
    IVumatFrameView* m_view = nullptr;
    std::vector<MENU_ITEM> m_menuBar;
    std::vector<ACCELERATOR> m_accelerators;
    std::map<unsigned, QAction*> m_menuActions;
    CBarBase* m_standard = nullptr;
    CVumatFormatBar* m_format = nullptr;
    CFormulaToolBar* m_formula = nullptr;
    QDockWidget* m_paletteDock = nullptr;
    CCharPaletteBar* m_palette = nullptr;
    CMenuIconTable m_menuIcons;
    CCharMapLauncher m_charMap;
    bool m_closing = false;
};

// The frame's resource tables (menu 5, accelerators 5, toolbars 128 and 135), by file name.
std::string LoadVumatResource(const char* name);
