#include "dialogs/spacing_dialogs.h"

#include "dialogs/spin_edit.h"

#include <QCheckBox>

namespace {

constexpr SPACING_DIALOG_LAYOUT kLineSpacing{320, 1278, 1280, u"行間"};
constexpr SPACING_DIALOG_LAYOUT kCharSpacing{321, 1025, 1026, u"文字間"};

}  // namespace

CSpacingDlg::CSpacingDlg(const SPACING_DIALOG_LAYOUT& layout, QWidget* parent)
    : CValueDialog(layout.templateId, parent), m_layout(layout)
{
}

bool CSpacingDlg::ExchangeValue(bool save)
{
    if (!save) {
        m_spacingText = QString::fromStdString(m_field.Show(m_spacing));
        return true;
    }
    if (!m_field.Read(m_spacingText.toStdString(), PointTextRule::Tenths, &m_spacing)) {
        ShowBadNumber(this, m_layout.title);
        return false;
    }
    return true;
}

void CSpacingDlg::DoDataExchange(bool save)
{
    if (save)
        m_spacingText = ControlText(m_layout.edit);
    else
        SetControlText(m_layout.edit, m_spacingText);
}

void CSpacingDlg::OnInitDialog()
{
    ExchangeValue(false);
    DoDataExchange(false);
    if (auto* spin = Control<CSpinEdit>(m_layout.edit)) {
        spin->SetRange(0, 10);
        spin->SetPointRounding(true);
    }
}

void CSpacingDlg::OnOK()
{
    DoDataExchange(true);
    if (ExchangeValue(true))
        done(IDOK_RESULT);
}

CLineSpaceDlg::CLineSpaceDlg(QWidget* parent) : CSpacingDlg(kLineSpacing, parent) {}

CCharSpaceDlg::CCharSpaceDlg(QWidget* parent) : CSpacingDlg(kCharSpacing, parent) {}

CTableFormatDlg::CTableFormatDlg(QWidget* parent) : CValueDialog(323, parent) {}

bool CTableFormatDlg::ExchangeValue(bool save)
{
    if (!save) {
        m_lineWidthText = QString::fromStdString(m_field.Show(m_lineWidth));
        return true;
    }
    if (!m_field.Read(m_lineWidthText.toStdString(), PointTextRule::Halves, &m_lineWidth)) {
        ShowBadNumber(this, u"線幅");
        return false;
    }
    return true;
}

void CTableFormatDlg::DoDataExchange(bool save)
{
    auto* frame = Control<QCheckBox>(kFrame);
    if (save) {
        m_frame = frame != nullptr && frame->isChecked() ? 1 : 0;
        m_lineWidthText = ControlText(kWidth);
    } else {
        if (frame != nullptr)
            frame->setChecked(m_frame != 0);
        SetControlText(kWidth, m_lineWidthText);
    }
}

void CTableFormatDlg::OnInitDialog()
{
    ExchangeValue(false);
    DoDataExchange(false);
    if (auto* spin = Control<CSpinEdit>(kWidth))
        spin->SetRange(1, 10);
}

void CTableFormatDlg::OnOK()
{
    DoDataExchange(true);
    if (ExchangeValue(true))
        done(IDOK_RESULT);
}
