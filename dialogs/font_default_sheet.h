// The font defaults: a sheet of two pages, "文字" for text and "数式" for formulas, each choosing
// three faces with an italic flag and one size. The sheet only holds values: its caller fills the
// pages' members, runs it and reads them back after IDOK.
#pragma once

#include "base/default_fonts.h"
#include "dialogs/point_text.h"
#include "platform/win_types.h"

#include <QDialog>
#include <QWidget>

class QComboBox;
class QTabWidget;

// What tells the two pages apart: template, rows, size box, shown height and italic defaults.
struct FONT_PAGE_ROW {
    int placeholder;
    int chooser;
    int italicCheck;
    int italicMember;  // the index into italics that the row's check edits
};
struct FONT_PAGE_LAYOUT {
    int templateId;
    FONT_PAGE_ROW rows[3];
    int sizeBox;
    int shownHeight;  // the index into heights that the size box shows
    int italicDefaults[3];
};

class CFontDefaultsPage : public QWidget {
public:
    explicit CFontDefaultsPage(const FONT_PAGE_LAYOUT& layout, QWidget* parent = nullptr);

    LOGFONTA fonts[3]{};
    int heights[3] = {370, 370, 370};
    int italics[3] = {0, 0, 0};

    void SetSizeText(int height);
    // Reads the size box; the output is written only when the text is a size.
    bool ParseSizeText(int* height) const;

    // Runs once, when the page is first shown.
    void OnInitDialog();
    bool IsInitialised() const { return m_initialised; }
    // The controls into the members; false, with the message shown, for a size that is no size.
    bool OnOK();

protected:
    void showEvent(QShowEvent* event) override;

private:
    FONT_PAGE_LAYOUT m_layout;
    QComboBox* m_choosers[3]{};
    CPointField m_sizeField;
    bool m_initialised = false;
};

class CFontDefaultPage : public CFontDefaultsPage {
public:
    explicit CFontDefaultPage(QWidget* parent = nullptr);
};

class CFontMathDefaultPage : public CFontDefaultsPage {
public:
    explicit CFontMathDefaultPage(QWidget* parent = nullptr);
};

class CFontDefaultSheet : public QDialog {
public:
    static constexpr int kCaption = 32792;

    CFontDefaultSheet(QWidget* parent = nullptr, int captionId = kCaption, int startPage = 0);
    // The formula editor's sheet: the formula page alone, under the caller's caption.
    CFontDefaultSheet(QWidget* parent, const QString& caption);

    int DoModal();
    CFontDefaultPage& TextPage() { return *m_textPage; }
    CFontMathDefaultPage& MathPage() { return *m_mathPage; }
    QTabWidget* Tabs() const { return m_tabs; }

    // OK: every page that was shown takes its values; a page that refuses stays in front.
    void OnOK();

    // The six fonts in the order text full-width, half-width, digits, formula letters, digits,
    // operators: into the pages, and back after OK.
    void SetEntries(const DEFAULT_FONT entries[6]);
    void GetEntries(DEFAULT_FONT entries[6]) const;

private:
    QTabWidget* m_tabs = nullptr;
    CFontDefaultPage* m_textPage = nullptr;
    CFontMathDefaultPage* m_mathPage = nullptr;
};

// Runs the sheet over the six fonts; true, with the entries changed, when the user chose OK.
bool RunFontDefaultSheet(DEFAULT_FONT entries[6], QWidget* parent);
// Runs the formula editor's sheet over the three formula fonts (letters, digits, operators).
bool RunFormulaFontDefaultSheet(DEFAULT_FONT entries[3], const QString& caption, QWidget* parent);
