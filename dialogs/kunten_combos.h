// The small controls of the reading-mark dialog: the lists of reading marks, each mark drawn
// turned for vertical writing in its own face; the editable list of point sizes; and the dialog
// in which the sizes of a cell's base character and its two kana boxes are typed by hand.
#pragma once

#include "dialogs/value_dialog.h"
#include "platform/gdi.h"

#include <QComboBox>
#include <QString>

#include <string>
#include <vector>

// The two faces of the mark lists.
inline constexpr char kKuntenMinchoFace[] = "@\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // "@ＭＳ 明朝", code page 932
inline constexpr char kKuntenGaijiFace[] = "@Orvellan Gaiji";

// One draw request of a list item, in the control's pixels.
struct KUNTEN_DRAW_ITEM {
    int index = -1;
    bool selected = false;
    RECT rect{};
};

class CKuntenCombo : public QComboBox {
public:
    static constexpr int kItemHeight = 24;
    static constexpr int kFieldHeight = 26;
    static constexpr int kCharacterStep = 12;
    static constexpr int kRightInset = 24;
    // The system's highlight colours.
    static constexpr COLORREF kHighlight = 0xD77800;
    static constexpr COLORREF kHighlightText = 0xFFFFFF;

    explicit CKuntenCombo(QWidget* parent = nullptr);

    // Both fonts at the pixel height, turned for vertical writing.
    void CreateFonts(int height);
    void AddMark(const std::u16string& text, const std::string& face);
    bool GetMark(int index, std::u16string& text, std::string& face) const;
    // The first item of that text; with the gaiji flag, the first such item in the gaiji face.
    // −1 when none.
    int FindMark(const std::u16string& text, bool gaiji) const;
    int MarkCount() const { return static_cast<int>(m_texts.size()); }

    // Every item is 24 pixels high (the selection field 26).
    int MeasureItem(int index) const;
    // Fills the item and draws each character of its text alone, one under another.
    void DrawItem(CDC* dc, const KUNTEN_DRAW_ITEM& item) const;
    const LOGFONTA& MinchoFont() const { return m_minchoLogFont; }
    const LOGFONTA& GaijiFont() const { return m_gaijiLogFont; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::string> m_faces;
    std::vector<std::u16string> m_texts;
    LOGFONTA m_minchoLogFont{};
    LOGFONTA m_gaijiLogFont{};
    CFont m_mincho;
    CFont m_gaiji;
};

// The editable list of point sizes.
class CFontSizeCombo : public QComboBox {
public:
    explicit CFontSizeCombo(QWidget* parent = nullptr);

    // The 17 sizes, the edit field left empty.
    void FillSizes();
    // Shows the size (1/100 mm) in half points: the item of that text, selected, and its index;
    // otherwise the text in the edit field and −1.
    int SetSize(int hmm);
    // Reads the selected item, or the edit field when none is selected: whole points 1 to 900,
    // then nothing or exactly "5" after the point. False when the text does not read.
    bool GetSize(int* hmm) const;
};

// "フォントサイズ（手動）": the sizes of a cell's base character and kana boxes, in 1/100 mm.
class CFontSizeDlg : public CValueDialog {
public:
    static constexpr int kTemplateId = 136;
    static constexpr int kLeftKanaEdit = 1305;
    static constexpr int kRightKanaEdit = 1306;
    static constexpr int kLeftKanaSpin = 1307;
    static constexpr int kRightKanaSpin = 1308;
    static constexpr int kBaseCombo = 1257;
    // The focus fields.
    static constexpr int kFocusLeftKana = 0;
    static constexpr int kFocusBase = 1;
    static constexpr int kFocusRightKana = 2;

    explicit CFontSizeDlg(QWidget* parent = nullptr);

    int m_baseSize = 370;
    int m_rightKanaSize = 185;
    int m_leftKanaSize = 185;
    int m_focusField = kFocusLeftKana;
    QString m_leftKanaText;
    QString m_rightKanaText;

    // FALSE: the sizes into the controls; TRUE: the controls into the sizes, false (nothing
    // changed) when a size does not read as 1 to 900 points.
    bool UpdateSizes(bool save);
    CFontSizeCombo* SizeCombo() const { return Control<CFontSizeCombo>(kBaseCombo); }

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(bool save);
};
