// The commands the main frame handles itself: the picker drop-downs under the format and
// formula toolbar buttons, the save-in-other-format popup, the desktop's character map and the
// font defaults, which also set the view's typing font and the format toolbar.
#pragma once

#include "editor/frame_view.h"
#include "ui/char_map.h"
#include "ui/menus.h"
#include "ui/toolbars.h"
#include "platform/win_types.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CMainFrame;
class QMenu;
class QToolBar;

// The eighteen values of the font-defaults sheet: text default, half-width and digit fonts;
// maths letters, digits and operators; each with its italic flag and height (1/100 mm).
struct FONT_DEFAULTS {
    enum Entry { Text, Hankaku, Numeric, Math, MathNumeric, MathOperator, Count };
    LOGFONTA font[Count]{};
    int italic[Count] = {};
    int height[Count] = {};
};
// The store's values for the writing direction, and back.
FONT_DEFAULTS LoadFontDefaults(bool vertical);
void StoreFontDefaults(const FONT_DEFAULTS& values, bool vertical);
// Runs the sheet; true when the user confirmed it. Tests replace it.
using FontDefaultSheet = std::function<bool(FONT_DEFAULTS& values, QWidget* parent)>;
FontDefaultSheet SetFontDefaultSheet(FontDefaultSheet sheet);

class CFrameCommands {
public:
    explicit CFrameCommands(CMainFrame& frame) : m_frame(frame) {}

    // Handles the frame's own commands; false for any other.
    bool OnCommand(unsigned id);
    // Whether the command is the frame's and enabled (all are, always).
    static bool IsFrameCommand(unsigned id);

    // A picker drop-down: opens the picker under its button and waits for the choice, which
    // goes through the frame's command routing.
    void OnDropDown(unsigned id);
    // The same popup opened without waiting (pictures and tests); null for other commands.
    class CPickerPopup* OpenDropDown(unsigned id);
    void OnSaveOtherFormat();
    // The popup of menu 456, built but not shown.
    std::unique_ptr<QMenu> MakeSaveOtherFormatMenu();
    void OnInsertCharMap();
    void OnFontDefaults();

private:
    QToolBar* BarOf(unsigned id) const;

    CMainFrame& m_frame;
    std::unique_ptr<CPickerMenu> m_openMenu;
    std::unique_ptr<class CPickerPopup> m_openPopup;
    CCharMapLauncher m_charMap;
};
