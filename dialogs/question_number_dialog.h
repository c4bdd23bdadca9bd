// The number styles of big and small questions: two columns of sixteen radio buttons with the
// styles' samples between them.
#pragma once

#include "dialogs/value_dialog.h"

class CQuestionNumberDlg : public CValueDialog {
public:
    static constexpr int kFirstBig = 1235, kFirstSmall = 1242;
    // The sample of style 2, a numeral in a box, which follows the writing direction.
    static constexpr int kBoxedSample = 1268;
    static constexpr int kStyleCount = 16;

    explicit CQuestionNumberDlg(QWidget* parent = nullptr);

    int m_bigStyle = 0;
    int m_smallStyle = 0;
    int m_vertical = 0;

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(bool save);
};
