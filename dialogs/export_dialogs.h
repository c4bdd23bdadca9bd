// The two small dialogs of the word-processor exports: the progress window that stays up while
// a paper is written into Word or Ichitaro, and the choice shown when the export's target file
// is in use.
#pragma once

#include "dialogs/value_dialog.h"

#include <string>

class QLabel;
class QProgressBar;

// Template 458: a modeless window without close box; Enter and Escape leave it open. The export
// command shows it, the document writers move its bar, the command destroys it.
class CConvertProgressDlg : public CValueDialog {
public:
    static constexpr int kMessage = 1309;
    static constexpr int kProgress = 1313;

    explicit CConvertProgressDlg(QWidget* parent);
    // Shows the window without taking the focus from the window the user works in.
    void ShowNoActivate();
    // Sets the message and repaints it at once.
    void SetMessage(const std::u16string& text);
    // The bar: its range once, then its position for each step, each repainted at once.
    void SetRange32(int lower, int upper);
    void SetPos(int position);
    QProgressBar* ProgressBar() const { return m_progress; }

protected:
    void OnInitDialog() override;
    void OnOK() override {}
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* m_progress = nullptr;
};

// Template 460: "再試行" (also Enter) ends with IDRETRY, "ファイル名変更" with kRenameFile,
// "ｷｬﾝｾﾙ", Escape and the close box with IDCANCEL. The caption is the caller's.
class CFileInUseDlg : public CValueDialog {
public:
    static constexpr int IDRETRY = 4;
    static constexpr int kRenameFile = 1311;
    static constexpr int kIcon = 1312;

    explicit CFileInUseDlg(QWidget* parent);
    int DoModal();

    std::u16string m_strCaption;

protected:
    void OnInitDialog() override;
    void OnOK() override { done(IDRETRY); }
};
