#include "dialogs/question_number_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>

namespace {

// The checked button's index, -1 when none; a style outside the group checks none.
void ExchangeRadio(QButtonGroup* group, bool save, int* style)
{
    if (group == nullptr)
        return;
    if (save) {
        *style = group->checkedId();
        return;
    }
    if (QAbstractButton* button = group->button(*style))
        button->setChecked(true);
}

}  // namespace

CQuestionNumberDlg::CQuestionNumberDlg(QWidget* parent) : CValueDialog(446, parent) {}

void CQuestionNumberDlg::DoDataExchange(bool save)
{
    ExchangeRadio(Control<QButtonGroup>(kFirstBig), save, &m_bigStyle);
    ExchangeRadio(Control<QButtonGroup>(kFirstSmall), save, &m_smallStyle);
}

void CQuestionNumberDlg::OnInitDialog()
{
    DoDataExchange(false);
    if (auto* sample = Control<QLabel>(kBoxedSample)) {
        sample->setText(QString::fromUtf16(m_vertical ? u"一" : u"１"));
        sample->setFrameStyle(QFrame::Box | QFrame::Plain);
        sample->setAlignment(Qt::AlignCenter);
        sample->setFixedWidth(sample->sizeHint().height() + 4);
    }
}

void CQuestionNumberDlg::OnOK()
{
    DoDataExchange(true);
    done(IDOK_RESULT);
}
