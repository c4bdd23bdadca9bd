// The numbered-underline settings: the line kind (an owner-drawn list of eight line samples), the
// numbering kind and where it starts, the custom label, the label's font and size.
#pragma once

#include "dialogs/point_text.h"
#include "dialogs/value_dialog.h"
#include "platform/gdi.h"

#include <QComboBox>

class CDC;

// The line kinds, drawn: item data 1 to 8 for thin, double, thick, dashed, dotted, dash-dot,
// dash-dot-dot and wavy lines. The samples are drawn through the device context layer.
class CUnderlineCombo : public QComboBox {
public:
    static constexpr int kItemCount = 8;

    explicit CUnderlineCombo(QWidget* parent = nullptr);
    // Puts in the eight items (item data 1 to 8).
    void AddLineKinds();
    // Draws one item into its rectangle; a selected item gets a black frame.
    void DrawItem(CDC* dc, const RECT& item, int itemData, bool selected) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CPen m_thickPen;  // 2 pixels wide: the thick line
};

class CUnderlineNumberDlg : public CValueDialog {
public:
    static constexpr int kLineKind = 1218, kFirstKind = 1219, kCustomKind = 1224, kCustomText = 1225;
    static constexpr int kCircledStart = 1226, kKatakanaStart = 1228, kLowerStart = 1229, kUpperStart = 1230;
    static constexpr int kSize = 1232, kNumberStart = 1233;

    // The formula editor's copy names its font list 1001.
    explicit CUnderlineNumberDlg(QWidget* parent = nullptr, int fontListId = 1000);

    int m_defaultsOnly = 0;
    int m_lineKind = -1;
    int m_numberKind = 0;
    int m_circledStartIndex = 0;     // kinds 0 and 5
    QString m_numberStartText;       // kind 1
    int m_katakanaStartIndex = 0;    // kind 2
    int m_lowerStartIndex = 0;       // kind 3
    int m_upperStartIndex = 0;       // kind 4
    QString m_customText;
    QString m_sizeText;
    int m_start = 0;                 // 0: automatic
    QString m_fontFace = QString::fromUtf16(u"ＭＳ Ｐゴシック");
    int m_size = 5;

    // FALSE: the start value and the size into the controls' texts and indexes; TRUE: back,
    // FALSE when the size text is rejected.
    bool ExchangeValue(bool save);

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(bool save);

private:
    CUnderlineCombo* m_lineKinds = nullptr;
    int m_fontListId;
    CPointField m_sizeField;
};

struct UNDERLINE_NUMBER_VALUES;

// Runs the dialog over the values an editor's view hands it (the formula editor's copy names its
// font list 1001); the dialog's result, with the values changed after IDOK.
int RunUnderlineNumberDialog(UNDERLINE_NUMBER_VALUES* values, QWidget* parent, int fontListId = 1000);
