// The line-spacing, character-spacing and table-format dialogs: one length each, typed in points.
#pragma once

#include "dialogs/point_text.h"
#include "dialogs/value_dialog.h"

// The layout of one spacing dialog: its template, edit and spin, and the title of its messages.
struct SPACING_DIALOG_LAYOUT {
    int templateId;
    int edit;
    int spin;
    const char16_t* title;
};

// The line spacing and the character spacing of the paper, in 1/100 mm, read by the tenths rule.
class CSpacingDlg : public CValueDialog {
public:
    CSpacingDlg(const SPACING_DIALOG_LAYOUT& layout, QWidget* parent);

    int m_spacing = 0;
    QString m_spacingText;

    // FALSE: the spacing into its text; TRUE: the text into the spacing, FALSE when rejected.
    bool ExchangeValue(bool save);

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(bool save);

private:
    SPACING_DIALOG_LAYOUT m_layout;
    CPointField m_field;
};

class CLineSpaceDlg : public CSpacingDlg {
public:
    explicit CLineSpaceDlg(QWidget* parent = nullptr);
};

class CCharSpaceDlg : public CSpacingDlg {
public:
    explicit CCharSpaceDlg(QWidget* parent = nullptr);
};

// The frame and the line width of a table; the width is read by the halves rule.
class CTableFormatDlg : public CValueDialog {
public:
    static constexpr int kFrame = 1027, kWidth = 1028;

    explicit CTableFormatDlg(QWidget* parent = nullptr);

    int m_frame = 0;
    int m_lineWidth = 0;
    QString m_lineWidthText;

    bool ExchangeValue(bool save);

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(bool save);

private:
    CPointField m_field;
};
