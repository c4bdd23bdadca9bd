// The program's own menus: the icon table and text pool behind the icon menus, the icon menu's
// measuring and drawing, and the picker menus under toolbar buttons (colours, shadings, lines
// and maths templates), each drawn through a device context.
#pragma once

#include "platform/gdi.h"

#include <QIcon>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QMenu;

// System colours the menus draw with (COLORREF, 0x00BBGGRR).
namespace MenuColor {
constexpr COLORREF kMenu = 0xFFFFFF;
constexpr COLORREF kMenuText = 0x000000;
constexpr COLORREF kHighlight = 0xFF9933;
constexpr COLORREF kHighlightText = 0xFFFFFF;
constexpr COLORREF kGrayText = 0x808080;
constexpr COLORREF kButtonFace = 0xF0F0F0;
constexpr COLORREF kButtonHighlight = 0xFFFFFF;
constexpr COLORREF kButtonShadow = 0xA0A0A0;
constexpr COLORREF kWindowText = 0x000000;
}  // namespace MenuColor

// Item states of a draw request.
constexpr UINT ODS_SELECTED = 0x1;
constexpr UINT ODS_GRAYED = 0x2;
constexpr UINT ODS_DISABLED = 0x4;
constexpr UINT ODS_CHECKED = 0x8;
// What the request is for.
constexpr UINT ODA_DRAWENTIRE = 0x1;
constexpr UINT ODA_SELECT = 0x2;

struct MENU_DRAW_ITEM {
    unsigned id = 0;
    uintptr_t data = 0;
    UINT state = 0;
    UINT action = ODA_DRAWENTIRE;
    RECT rect{};
};

class CMenuIconTable {
public:
    static constexpr int kSlots = 512;
    // Fills the next free slot; false when all are taken.
    bool Append(unsigned id, const QIcon& icon);
    QIcon GetIcon(unsigned id) const;
    int IndexOf(unsigned id) const;
    // Replaces the icon of the id's slot and returns the former one; a null icon when the id
    // has no slot, and then nothing is stored.
    QIcon SetIcon(unsigned id, const QIcon& icon);
    int Count() const { return m_count; }

private:
    struct Slot {
        unsigned id = 0;
        QIcon icon;
    };
    Slot m_slots[kSlots];
    int m_count = 0;
};

class CMenuTextPool {
public:
    // The index of an equal entry, or of the text appended.
    int Add(const std::u16string& text);
    std::u16string GetText(int index) const;

private:
    std::vector<std::u16string> m_texts;
};

// The icon menu's item geometry and drawing; the icon itself is painted by `drawIcon`.
class CIconMenu {
public:
    CIconMenu(const CMenuIconTable& icons, const CMenuTextPool& texts) : m_icons(icons), m_texts(texts) {}
    // Separator 18 × half the menu height; others the text width + 42 by 20.
    SIZE MeasureItem(CDC* dc, unsigned id, uintptr_t data) const;
    void DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const;
    // Label before the first tab on the left, accelerator after it on the right.
    static void DrawItemText(CDC* dc, const RECT& rect, const std::u16string& text);
    static constexpr int kMenuHeight = 19;

private:
    const CMenuIconTable& m_icons;
    const CMenuTextPool& m_texts;
};

// --- picker menus

struct PICKER_ITEM {
    unsigned id;
    uintptr_t data;
};

class CPickerMenu {
public:
    virtual ~CPickerMenu() = default;
    const std::vector<PICKER_ITEM>& Items() const { return m_items; }
    virtual SIZE MeasureItem() const { return SIZE{5, 16}; }
    virtual void DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const = 0;

protected:
    std::vector<PICKER_ITEM> m_items;
};

struct COLOR_ENTRY {
    unsigned textId;
    unsigned backId;
    COLORREF color;
};
struct SHADE_ENTRY {
    unsigned id;
    int kind;
};
struct LINE_ENTRY {
    unsigned id;
    int kind;
};

const std::vector<COLOR_ENTRY>& ColorTable();
const std::vector<SHADE_ENTRY>& ShadeTable();
// Kind 0 underline, 1 strike-through, 2 border; empty for other kinds.
const std::vector<LINE_ENTRY>& LineTable(int kind);
// Category 0 to 14; empty for others.
const std::vector<unsigned>& TemplateCategory(int category);

// The index of the id in the first table holding it; −1 when none does.
int FindColorMenuItem(unsigned id);
int FindShadeMenuItem(unsigned id);
int FindLineMenuItem(unsigned id);
int FindTemplateMenuItem(unsigned id);

class CColorMenu : public CPickerMenu {
public:
    bool Create(int kind);
    COLORREF GetItemColor(unsigned id) const;
    void DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const override;

private:
    int m_kind = 0;
};

class CShadeMenu : public CPickerMenu {
public:
    bool Create();
    int GetItemKind(unsigned id) const;
    void DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const override;
};

class CLineMenu : public CPickerMenu {
public:
    CLineMenu();
    bool Create(int kind);
    int GetItemKind(unsigned id) const;
    SIZE MeasureItem() const override { return SIZE{32, 16}; }
    void DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const override;

private:
    int m_kind = 0;
    CPen m_thickPen;
};

class CTemplateMenu : public CPickerMenu {
public:
    bool Create(int category);
    SIZE MeasureItem() const override { return SIZE{12, 24}; }
    void DrawItem(CDC* dc, const MENU_DRAW_ITEM& item) const override;

private:
    std::vector<QIcon> m_icons;
};

// The popup that shows a picker menu as a column of items drawn by the menu and returns the
// chosen command, 0 when the user clicks elsewhere.
class CPickerPopup : public QWidget {
public:
    explicit CPickerPopup(const CPickerMenu& menu, QWidget* parent = nullptr);
    // The item rectangle of item i (the check-mark column included).
    QRect ItemRect(int index) const;
    // Shows the popup at the global point and waits for the user's choice.
    unsigned Track(QPoint globalPos);
    // Shows it without waiting (pictures and tests); Chosen() tells the pick.
    void Open(QPoint globalPos);
    unsigned Chosen() const { return m_chosen; }
    // The picture of the items with the item under `selected` highlighted (−1 none).
    QImage Render(int selected) const;

    static constexpr int kCheckColumn = 15;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int ItemAt(QPoint point) const;

    const CPickerMenu& m_menu;
    int m_selected = -1;
    unsigned m_chosen = 0;
    bool m_tracking = false;
};

// Sets each command of a menu about to show enabled and checked as its update handler says; the
// data of a command's action is its id. Submenus and separators are left alone.
using CommandStateQuery = std::function<void(unsigned id, bool* enabled, bool* checked)>;
void RefreshMenuCommands(QMenu* menu, const CommandStateQuery& query);
