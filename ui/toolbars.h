// The toolbar pieces both editors share: the flat bar that reports its boxes' notices and routes
// its buttons' commands, built from a toolbar table; the maths template bar; the command icons;
// and the picker drop-downs under the colour, line and maths template buttons.
#pragma once

#include "platform/win_types.h"
#include "ui/bar_tables.h"

#include <QIcon>
#include <QPoint>
#include <QToolBar>

#include <functional>
#include <map>
#include <memory>

class CPickerMenu;

// Notification codes of the bars' boxes: Enter pressed in a box, and the idle refresh request.
constexpr UINT NM_BARCOMBO_RETURN = 0x401;
constexpr UINT NM_BARCOMBO_SELCHANGE = 0x402;

// The standard header of a bar notification: source window, its id and the code.
struct BAR_NOTIFY {
    QWidget* source = nullptr;
    unsigned idFrom = 0;
    UINT code = 0;
};
using BarNotifyTarget = std::function<void(const BAR_NOTIFY&)>;

// The icon of a command or resource id from the shared resources; null when it has none.
QIcon CommandIcon(unsigned id);

// The common base: a flat, movable bar of its control id, reporting its boxes' notifications.
class CBarBase : public QToolBar {
public:
    CBarBase(unsigned barId, const QString& title, QWidget* parent);
    unsigned BarId() const { return m_barId; }
    BarNotifyTarget notify;
    // Where a button's or hover button's click goes: the frame's command routing.
    std::function<void(unsigned id)> command;
    // The widget that takes the place of a "box" entry of the bar's table, or null.
    virtual QWidget* BoxWidget(unsigned /*id*/) { return nullptr; }
    // Puts the table's buttons, separators and boxes on the bar, in order; each button's click
    // goes to `command` with its id.
    void BuildButtons(const TOOLBAR_LAYOUT& layout);
    // The action of a command button.
    QAction* ButtonAction(unsigned id) const;
    // The action that puts the box or hover button of the id on the bar; null when none.
    QAction* BoxAction(unsigned id);

protected:
    void Notify(QWidget* source, unsigned id, UINT code);

private:
    unsigned m_barId;
    std::map<unsigned, QAction*> m_boxActions;
};

// The maths template bar (toolbar 131, "数式"): fourteen drop-down buttons, 24 × 23.
class CFormulaToolBar : public CBarBase {
public:
    static constexpr unsigned kBarId = 131;
    explicit CFormulaToolBar(QWidget* parent = nullptr);
    // The bar's table from the shared resources; false when it is missing or malformed.
    static bool LoadLayout(TOOLBAR_LAYOUT* layout);
};

// --- picker drop-downs

// Whether the command opens a picker under its button; formula: one of the maths bar's.
bool IsDropDownCommand(unsigned id);
bool IsFormulaDropDown(unsigned id);
// The picker of a drop-down command; null for other commands.
std::unique_ptr<CPickerMenu> MakeDropDownMenu(unsigned id);
// The screen point under the button of the command in the bar: its bottom-left corner.
QPoint DropDownPoint(QToolBar* bar, unsigned id);
// Opens the picker of the command under its button in the bar and waits for the user's choice:
// the chosen command, 0 when none.
unsigned TrackDropDown(unsigned id, QToolBar* bar, QWidget* parent);
