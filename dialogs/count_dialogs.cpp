#include "dialogs/count_dialogs.h"

#include "dialogs/spin_edit.h"
#include "platform/shell.h"
#include "platform/wide_runtime.h"

#include <algorithm>

CCountDlg::CCountDlg(int templateId, QWidget* parent) : CValueDialog(templateId, parent) {}

void CCountDlg::OnInitDialog()
{
    for (const COUNT_FIELD& field : m_fields) {
        SetControlText(field.edit, QString::number(*field.member));
        if (auto* spin = Control<CSpinEdit>(field.edit)) {
            spin->SetRange(field.minimum, field.maximum);
            spin->SetDigitsOnly(true);
            spin->SetMaxLength(9);
        }
    }
}

void CCountDlg::OnOK()
{
    std::vector<unsigned> values;
    for (const COUNT_FIELD& field : m_fields) {
        const std::string text = ControlText(field.edit).toStdString();
        const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
        const int value = digits ? NarrowAtoi(text) : -1;
        if (value < field.minimum || value > field.maximum) {
            ShowOutOfRange(this, field.name, field.minimum, field.maximum);
            if (auto* edit = Control<QWidget>(field.edit))
                edit->setFocus();
            return;
        }
        values.push_back(static_cast<unsigned>(value));
    }
    // Nothing is taken until every field is good.
    for (size_t i = 0; i < m_fields.size(); ++i)
        *m_fields[i].member = values[i];
    done(IDOK_RESULT);
}

CMatrixDlg::CMatrixDlg(QWidget* parent) : CCountDlg(294, parent)
{
    SetFields({{kRows, &m_rows, u"行", 1, 99}, {kColumns, &m_columns, u"列", 1, 99}});
}

CTableInsertDlg::CTableInsertDlg(QWidget* parent) : CCountDlg(295, parent)
{
    SetFields({{kColumns, &m_columns, u"列数", 1, 99}, {kRows, &m_rows, u"行数", 1, 99}});
}

CZoomDlg::CZoomDlg(QWidget* parent) : CCountDlg(351, parent)
{
    SetFields({{kZoom, &m_zoom, u"表示倍率", 50, 200}});
}

bool RunMatrixSizeDialog(int* rows, int* columns, QWidget* parent)
{
    CMatrixDlg dialog(parent);
    dialog.m_rows = static_cast<unsigned>(std::max(*rows, 0));
    dialog.m_columns = static_cast<unsigned>(std::max(*columns, 0));
    if (dialog.DoModal() != IDOK)
        return false;
    *rows = static_cast<int>(dialog.m_rows);
    *columns = static_cast<int>(dialog.m_columns);
    return true;
}
