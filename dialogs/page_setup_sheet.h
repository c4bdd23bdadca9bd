// The page-setup sheet "ページ設定": the paper and its columns and spacings, the four margins, and
// the layout of the separate answer sheet. The sheet holds values only: its caller fills the
// pages' members, runs it and reads them back unless it was cancelled. It ends with IDOK,
// IDCANCEL, or the print (1207) or preview (1208) button of its first two pages. The answer-sheet
// page also opens the answer-display and name-field dialogs and resets the answer fields' sizes,
// which act on the paper at once.
#pragma once

#include "dialogs/point_text.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <string>

class QTabWidget;

// What the answer-sheet page asks of the open paper. Each call changes the paper at once.
class IPageFieldDocument {
public:
    virtual ~IPageFieldDocument() = default;
    virtual void DoAnswerVisibilityDialog(QWidget* parent) = 0;
    virtual void DoNameFieldDialog(QWidget* parent) = 0;
    virtual void ResetFieldSizes() = 0;
};

// Results of the sheet besides IDOK and IDCANCEL.
constexpr int kPageSetupPrint = 1207;
constexpr int kPageSetupPreview = 1208;

// One page of the sheet, built from its template. Its members go into the controls the first
// time it is shown; OnOK takes them back, false (with the message shown) when one is refused.
class CSheetPage : public QWidget {
public:
    CSheetPage(int templateId, QWidget* parent);

    bool IsInitialised() const { return m_initialised; }
    void EnsureInitialised();
    virtual bool OnOK() = 0;

protected:
    virtual void OnInitDialog() = 0;
    void showEvent(QShowEvent* event) override;

private:
    bool m_initialised = false;
};

// The papers the size page offers, in the order of its list.
struct PAPER_SIZE_ENTRY {
    const char16_t* name;
    int width;   // millimetres, portrait
    int height;
};
extern const PAPER_SIZE_ENTRY kSheetPapers[3];

class CPageSizePage : public CSheetPage {
public:
    static constexpr int kTemplate = 296;
    static constexpr int kPaperList = 1004, kPortrait = 1013, kLandscape = 1014;
    static constexpr int kOneColumn = 1034, kTwoColumns = 1035, kColumnPicture1 = 1216, kColumnPicture2 = 1217;
    static constexpr int kLineSpacing = 1278, kCharSpacing = 1025;

    explicit CPageSizePage(QWidget* parent = nullptr);

    // Millimetres; a size that is none of the six known papers stays the paper's own until the
    // user picks a paper from the list.
    int m_paperWidth = 210;
    int m_paperHeight = 297;
    int m_vertical = 0;
    // 0 A4, 1 B4, 2 B5; 3 the paper's own size (listed only for a size of its own).
    int m_paperIndex = 0;
    int m_orientation = 0;  // 0 portrait, 1 landscape
    int m_columns = 0;      // 0 one column, 1 two columns
    int m_lineSpacing = 0;  // 1/100 mm
    int m_charSpacing = 0;
    QString m_lineSpacingText;
    QString m_charSpacingText;

    // FALSE: both spacings into their texts; TRUE: the texts into the spacings (line spacing
    // first), false with the message when one is refused.
    bool ExchangeValue(bool save);
    bool OnOK() override;

protected:
    void OnInitDialog() override;

private:
    // Index and orientation from the size; false for a size of its own.
    bool MatchPaper();
    CPointField m_lineField;
    CPointField m_charField;
    bool m_ownSize = false;
    int m_ownWidth = 0;
    int m_ownHeight = 0;
};

class CPageMarginPage : public CSheetPage {
public:
    static constexpr int kTemplate = 298;
    static constexpr int kTop = 1005, kBottom = 1006, kLeft = 1007, kRight = 1008;

    explicit CPageMarginPage(QWidget* parent = nullptr);

    // Millimetres, 0 to 100.
    unsigned m_top = 0;
    unsigned m_bottom = 0;
    unsigned m_left = 0;
    unsigned m_right = 0;

    bool OnOK() override;

protected:
    void OnInitDialog() override;
};

class CPageFieldPage : public CSheetPage {
public:
    static constexpr int kTemplate = 319;
    static constexpr int kLayoutList = 1032, kPreview = 1033;
    static constexpr int kAnswerDisplay = 1192, kNameField = 1193, kResetSizes = 1314;

    explicit CPageFieldPage(QWidget* parent = nullptr);

    IPageFieldDocument* m_document = nullptr;
    int m_vertical = 0;
    int m_layoutIndex = 0;  // 0 none, 1 to 3 the patterns
    // The caption of the reset confirmation: the application's title.
    std::u16string m_messageCaption = u"Lumetra　生物 - 問題作成エディタ";

    bool OnOK() override;
    // The reset button: asks, and on OK resets the answer fields' sizes.
    void OnResetSizes();
    // The picture resource the preview shows for the layout index and the writing direction.
    static int PreviewPicture(int layoutIndex, int vertical);

protected:
    void OnInitDialog() override;

private:
    void ShowPreview();
};

class CPageSetupSheet : public QDialog {
public:
    static constexpr int kCaption = 32791;

    // Start page 0 (paper), 1 (margins) or 2 (answer sheet).
    explicit CPageSetupSheet(QWidget* parent = nullptr, int startPage = 0);

    int DoModal();
    CPageSizePage& SizePage() { return *m_sizePage; }
    CPageMarginPage& MarginPage() { return *m_marginPage; }
    CPageFieldPage& FieldPage() { return *m_fieldPage; }
    QTabWidget* Tabs() const { return m_tabs; }

    // OK, print or preview: every page that was shown takes its values; a page that refuses one
    // comes to the front and the sheet stays open; otherwise the sheet ends with the result.
    void EndWith(int result);

private:
    QTabWidget* m_tabs = nullptr;
    CPageSizePage* m_sizePage = nullptr;
    CPageMarginPage* m_marginPage = nullptr;
    CPageFieldPage* m_fieldPage = nullptr;
};
