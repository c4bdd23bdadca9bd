// The formula editor's font toolbar (toolbar 135, "書式設定"): the font-name combo, listing the
// installed fonts with an icon for their kind, and the font-size combo, both placed on the bar at
// fixed widths. The bar tells its frame when Enter is pressed in a combo and, while neither combo
// has the focus, asks on every idle pass that the view show the caret's format in them.
#pragma once

#include "platform/win_types.h"
#include "ui/toolbars.h"

#include <QComboBox>
#include <QString>

class CFontSizeCombo;

namespace VumatBox {
constexpr unsigned kFontName = 32777;
constexpr unsigned kFontSize = 32779;
}  // namespace VumatBox

class CFontNameCombo : public QComboBox {
public:
    explicit CFontNameCombo(QWidget* parent = nullptr);
    // One item per installed font, in the list's order, with icon 150 for the fonts whose metric
    // flags carry bit 18 and icon 151 for the others; no selection shown afterwards.
    void FillFonts(int dpiY);
    // Selects the item of exactly that face and returns its index; without one the face is
    // shown in the field and −1 returned.
    int SelectFontName(const QString& face);
};

class CVumatFormatBar : public CBarBase {
public:
    static constexpr unsigned kBarId = 135;
    static constexpr int kNameWidth = 200;
    static constexpr int kNameDropHeight = 208;
    static constexpr int kSizeDropHeight = 200;

    explicit CVumatFormatBar(QWidget* parent = nullptr);
    QWidget* BoxWidget(unsigned id) override;
    // Sizes the combos for the screen's pixels per inch: the size combo is at least 48 pixels wide
    // up to 96 dots per inch, 64 above, and wide enough to show "10.5" whole.
    void LayoutCombos(int dpiY);

    // The installed font of the selected face at the size combo's size (0 when its text is no
    // size) and width 0; −1 when no face is selected.
    int GetFontName(LOGFONTA* font) const;
    int SelectFontName(const QString& face) { return m_name->SelectFontName(face); }
    int SetSize(int hmm);
    bool GetSize(int* hmm) const;
    // The combo that has the focus (32777 or 32779), 0 when none.
    unsigned FocusId() const { return m_focusId; }
    // The bar's update pass: asks the view to refresh the combos unless the user is in one.
    void OnUpdateCmdUI();

    CFontNameCombo* NameCombo() const { return m_name; }
    CFontSizeCombo* SizeCombo() const { return m_size; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CFontNameCombo* m_name = nullptr;
    CFontSizeCombo* m_size = nullptr;
    unsigned m_focusId = 0;
};
