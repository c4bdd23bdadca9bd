// The dialogs that ask for whole numbers within a range: the rows and columns of a new matrix or
// table, and the zoom of the view. The edits take digits only; their spins share their ranges.
#pragma once

#include "dialogs/value_dialog.h"

#include <vector>

// One number field: its edit, the member it fills, its name in messages and its range.
struct COUNT_FIELD {
    int edit;
    unsigned* member;
    const char16_t* name;
    int minimum;
    int maximum;
};

class CCountDlg : public CValueDialog {
public:
    CCountDlg(int templateId, QWidget* parent);

protected:
    // The fields in the order they are checked.
    void SetFields(std::vector<COUNT_FIELD> fields) { m_fields = std::move(fields); }
    void OnInitDialog() override;
    // Reads each field; a text outside its range shows the field's name and limits and keeps the
    // dialog open on that field.
    void OnOK() override;

private:
    std::vector<COUNT_FIELD> m_fields;
};

class CMatrixDlg : public CCountDlg {
public:
    static constexpr int kRows = 1002, kColumns = 1003;
    explicit CMatrixDlg(QWidget* parent = nullptr);
    unsigned m_rows = 0;
    unsigned m_columns = 0;
};

class CTableInsertDlg : public CCountDlg {
public:
    static constexpr int kRows = 1002, kColumns = 1003;
    explicit CTableInsertDlg(QWidget* parent = nullptr);
    unsigned m_rows = 0;
    unsigned m_columns = 0;
};

class CZoomDlg : public CCountDlg {
public:
    static constexpr int kZoom = 1190;
    explicit CZoomDlg(QWidget* parent = nullptr);
    unsigned m_zoom = 0;
};

// Runs the matrix-size dialog opened with the rows and columns given; false on cancel, else
// true with the chosen counts.
bool RunMatrixSizeDialog(int* rows, int* columns, QWidget* parent);
