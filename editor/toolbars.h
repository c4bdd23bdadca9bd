// The frame's toolbars and status bar: the standard bar with its zoom box and the
// save-in-other-format hover button, the format bar with its font-name and size boxes, the
// question bar with the search hover button, and the status bar's panes (the formula bar is
// shared, in ui/toolbars.h).
// The boxes report Enter and refresh requests to the frame, which hands them to the view.
#pragma once

#include "platform/win_types.h"
#include "ui/toolbars.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>

#include <string>

class QComboBox;
class QLabel;

// The zoom box's Enter notice (the font boxes send those of ui/toolbars.h).
constexpr UINT NM_ZOOMCOMBO_RETURN = 13;

// Control ids of the boxes and hover buttons.
namespace BoxId {
constexpr unsigned kFontName = 32777;
constexpr unsigned kFontSize = 32778;
constexpr unsigned kZoom = 32779;
constexpr unsigned kSaveOtherFormat = 33006;
constexpr unsigned kSearch = 32884;
}  // namespace BoxId

// The zoom box's text as a percentage: its leading digits, clamped to 50…500.
int ParseZoomText(const std::u16string& text);

// A bitmap button that shows a hot picture while the pointer rests on it.
class CHoverButton : public QAbstractButton {
public:
    explicit CHoverButton(unsigned id, QWidget* parent = nullptr);
    unsigned Id() const { return m_id; }
    // The four resource ids; 0 stands for the normal picture.
    bool SetBitmaps(UINT normal, UINT pressed, UINT hot, UINT disabled);
    bool LoadBitmaps();
    enum class Face { Normal, Pressed, Hot, Disabled };
    // The picture the current state shows.
    Face CurrentFace() const;
    const QPixmap& Picture(Face face) const { return m_pictures[static_cast<int>(face)]; }
    bool Hovering() const { return m_hover; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    unsigned m_id;
    UINT m_ids[4] = {};
    QPixmap m_pictures[4];
    bool m_hover = false;
};

class CStandardToolBar : public CBarBase {
public:
    explicit CStandardToolBar(QWidget* parent = nullptr);
    QWidget* BoxWidget(unsigned id) override;
    // Sizes and fills the zoom box and loads the hover button's pictures.
    void SetupControls();
    int GetZoom() const;
    void SetZoom(int percent);
    QComboBox* ZoomBox() const { return m_zoom; }
    CHoverButton* HoverButton() const { return m_hover; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* m_zoom = nullptr;
    CHoverButton* m_hover = nullptr;
    unsigned m_focusId = 0;
};

class CFormatToolBar : public CBarBase {
public:
    explicit CFormatToolBar(QWidget* parent = nullptr);
    QWidget* BoxWidget(unsigned id) override;
    // Lists the installed fonts and selects the default text face of the writing direction.
    void FillFontNames(bool vertical);
    int SelectFontName(const QString& face);
    bool GetSize(int* size) const;
    int SetSize(int size);
    // The installed font of the selected item at the box's size; −1 when none.
    int GetFontName(LOGFONTA* font) const;
    // The bar's update pass: asks the view to refresh the boxes unless the user is typing.
    void OnUpdateCmdUI();
    QComboBox* FontNameBox() const { return m_fontName; }
    QComboBox* SizeBox() const { return m_size; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* m_fontName = nullptr;
    QComboBox* m_size = nullptr;
    unsigned m_focusId = 0;
};

class CQuestionToolBar : public CBarBase {
public:
    explicit CQuestionToolBar(QWidget* parent = nullptr);
    QWidget* BoxWidget(unsigned id) override;
    CHoverButton* HoverButton() const { return m_hover; }

private:
    CHoverButton* m_hover = nullptr;
};

// The status bar: the message pane, the page pane 0xE707 and the keyboard indicators.
class CMainStatusBar : public QStatusBar {
public:
    explicit CMainStatusBar(QWidget* parent = nullptr);
    void SetPageText(const QString& text);
    QLabel* PagePane() const { return m_page; }

private:
    QLabel* m_page = nullptr;
};
