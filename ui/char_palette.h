// The character palette: a grid of 10 × 8 cells showing one table of characters, a tab strip
// that picks the table, the floating bar of the main frame and the modeless dialog of the
// reading-mark editor. A click on a character sends it, with its font, to a target.
#pragma once

#include "platform/gdi.h"
#include "ui/palette_target.h"

#include <QByteArray>
#include <QDialog>
#include <QEvent>
#include <QWidget>

#include <vector>

class QTabBar;

// Posted by the palette dialog to its owner when the user closes it.
constexpr UINT WM_PALETTE_CLOSED = 0x414;

// The event that carries WM_PALETTE_CLOSED to the dialog's owner.
class PaletteClosedEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + WM_PALETTE_CLOSED);
    PaletteClosedEvent() : QEvent(kType) {}
};

// One 14-unit record of a palette table.
struct PALETTE_RECORD {
    char16_t units[14];
    bool Clickable() const { return units[0] == u'1'; }
    bool TwoCharacters() const { return units[2] == u'2'; }
    char16_t FontCode() const { return units[1]; }
};
static_assert(sizeof(PALETTE_RECORD) == 28);

// Palette modes: 2 the gaiji palette, anything else the character palette.
constexpr int kGaijiPaletteMode = 2;
constexpr int kCharPaletteMode = 1;

struct PALETTE_TAB {
    const char16_t* caption;
    UINT tableId;
};
// The tabs of a palette mode, in tab order.
const std::vector<PALETTE_TAB>& PaletteTabs(int mode);

class CCharPaletteGrid : public QWidget {
public:
    static constexpr int kMaxTables = 32;
    explicit CCharPaletteGrid(QWidget* parent = nullptr);

    // Where the characters go, each one sent at once; without a target they go nowhere.
    void SetTarget(IPaletteCharTarget* target) { m_target = target; }
    void SetVertical(bool vertical) { m_vertical = vertical; }
    bool Vertical() const { return m_vertical; }

    // Adds the table of that resource id in the next free slot; false, adding nothing, when
    // the resource is missing or all slots are taken.
    bool LoadTable(UINT resourceId);
    int TableCount() const { return m_tableCount; }
    int RecordCount(int table) const;
    const PALETTE_RECORD* Records(int table) const;
    void SetTable(int index);
    int CurrentTable() const { return m_current; }

    // The 1-based cell of the point, or −1 past the current table's last record.
    int HitTest(QPoint point) const;
    // What a left click at the point does: the record's characters to the target.
    void Click(QPoint point);
    // The grid's picture on a device context of w × h pixels (background not included).
    void Paint(CDC* dc, int width, int height) const;
    // The LOGFONTA of a record's font code.
    const LOGFONTA& LogFont(char16_t fontCode) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int FontIndex(char16_t fontCode) const;
    IPaletteCharTarget* m_target = nullptr;
    int m_tableCount = 0;
    bool m_vertical = false;
    LOGFONTA m_fonts[4]{};
    int m_current = 0;
    QRect m_hover;
    QByteArray m_tables[kMaxTables];
    int m_counts[kMaxTables] = {};
};

class CCharPaletteTab : public QWidget {
public:
    explicit CCharPaletteTab(QWidget* parent = nullptr);
    // Builds the tab strip and the grid; false when either cannot be made.
    bool Create(QWidget* parent);
    // Adds the tab captions and loads the tables of the mode, in tab order; a table that
    // cannot be loaded is left out.
    void LoadMode(int mode);
    CCharPaletteGrid& Grid() { return *m_grid; }
    QTabBar& Tabs() { return *m_tabs; }
    // Selects a tab without switching the table: only the user's choice does that.
    void SelectTab(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_tabs = nullptr;
    CCharPaletteGrid* m_grid = nullptr;
    bool m_selecting = false;
};

// The floating palette bar of the main frame.
class CCharPaletteBar : public QWidget {
public:
    explicit CCharPaletteBar(QWidget* parent = nullptr);
    // Mode 2 the gaiji palette, else the character palette; vertical sets the grid's flag.
    bool Create(QWidget* parent, int mode, bool vertical);
    CCharPaletteTab* Tab() { return m_tab; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CCharPaletteTab* m_tab = nullptr;
};

// The modeless palette dialog of the reading-mark editor.
class CPaletteDlg : public QDialog {
public:
    explicit CPaletteDlg(QWidget* parent = nullptr);
    // Stores owner and mode and builds the dialog; the third argument is not used.
    bool Create(QWidget* owner, int mode, int unused = 0);
    void SetVertical(bool vertical) { m_vertical = vertical; }
    CCharPaletteTab* Tab() { return m_tab; }

    // Esc or the close box: tells the owner and stays; the owner hides it.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool OnInitDialog();

    QWidget* m_owner = nullptr;
    int m_mode = kGaijiPaletteMode;
    bool m_vertical = true;
    CCharPaletteTab* m_tab = nullptr;
};

// The tab strip's rectangle inside a container of that size: inset by 1/50 on each side.
QRect PaletteTabRect(QSize client);
