// The dialog "記名欄": one grid row per page of the paper, with a check box for whether the page
// carries the name field and a picture of the page with or without it. The caller hands the
// page count and flags in before the dialog runs and reads the flags back after OK.
#pragma once

#include "dialogs/grid_ctrl.h"
#include "dialogs/value_dialog.h"

#include <array>

class CNameFieldGrid : public CGridCtrl {
public:
    static constexpr int kMaxPages = 1024;
    static constexpr int kWithField = 336, kWithoutField = 337;

    explicit CNameFieldGrid(QWidget* parent = nullptr);

    // Pages beyond the table are not offered.
    void SetPageCount(int pages);
    int GetPageCount() const { return m_pageCount; }
    // Flags per page from 0; a page outside the table reads as 0 and is never set.
    int GetFlag(int page) const;
    void SetFlag(int page, int flag);
    // The check box of the page's row.
    bool IsChecked(int row);
    // The picture resource the row shows (336 or 337), 0 when none.
    int PictureOf(int row);
    // The check boxes into the flag table.
    void ReadChecks();

    void OnGridCreated() override;
    // The picture follows the check box of column 0, after press and after release.
    void OnCellClick(int column, int row, int pressed, const RECT& rect, POINT point, int handled) override;
    // The "記名欄" heading checks every page, or unchecks them all when all were checked.
    void OnColumnHeadingDoubleClick(int column, int row, const RECT& rect, POINT point, int handled) override;
    // A page's heading flips that page.
    void OnRowHeadingDoubleClick(int column, int row, const RECT& rect, POINT point, int handled) override;

private:
    void SetRow(int row, bool checked);
    void ShowPicture(int row);

    int m_pageCount = 0;
    int m_columnCount = 2;
    CFont m_font;
    CBitmap m_withField;
    CBitmap m_withoutField;
    std::array<int, kMaxPages> m_flags{};
};

class CNameFieldDlg : public CValueDialog {
public:
    static constexpr int kTemplate = 338;
    static constexpr int kGridFrame = 1017;

    explicit CNameFieldDlg(QWidget* parent = nullptr);

    CNameFieldGrid* Grid() const { return m_grid; }

protected:
    void OnInitDialog() override;
    // Column 0 of every row into the flag table, then OK.
    void OnOK() override;

private:
    CNameFieldGrid* m_grid;
};

// A picture resource of this library drawn into a bitmap at its own size on white; false when
// the resource does not load.
bool LoadPictureBitmap(int pictureId, CBitmap* bitmap);
