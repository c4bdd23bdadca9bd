#include "dialogs/export_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>

namespace {

constexpr char16_t kProgressText[] = u"変換中です．．．\n\nしばらくお待ち下さい．．．";

}  // namespace

CConvertProgressDlg::CConvertProgressDlg(QWidget* parent) : CValueDialog(458, parent)
{
    // A caption bar without system menu, so without close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    SetControlText(kMessage, QString::fromUtf16(kProgressText));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QString::number(kProgress));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    CoverPlaceholder(this, kProgress, m_progress);
    if (auto* message = Control<QLabel>(kMessage))
        message->setMinimumWidth(220);
}

void CConvertProgressDlg::OnInitDialog()
{
    if (parentWidget() != nullptr) {
        adjustSize();
        move(parentWidget()->geometry().center() - rect().center());
    }
}

void CConvertProgressDlg::ShowNoActivate()
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    EnsureInitialised();
    show();
}

void CConvertProgressDlg::SetMessage(const std::u16string& text)
{
    SetControlText(kMessage, QString::fromStdU16String(text));
    if (auto* message = Control<QLabel>(kMessage))
        message->repaint();
}

void CConvertProgressDlg::SetRange32(int lower, int upper)
{
    m_progress->setRange(lower, upper);
    repaint();
}

void CConvertProgressDlg::SetPos(int position)
{
    m_progress->setValue(position);
    repaint();
}

void CConvertProgressDlg::closeEvent(QCloseEvent* event)
{
    // Only the export that made the window ends it.
    event->ignore();
}

CFileInUseDlg::CFileInUseDlg(QWidget* parent) : CValueDialog(460, parent)
{
    if (auto* rename = Control<QAbstractButton>(kRenameFile))
        connect(rename, &QAbstractButton::clicked, this, [this] { done(kRenameFile); });
    auto* icon = new QLabel(this);
    icon->setObjectName(QString::number(kIcon));
    CoverPlaceholder(this, kIcon, icon);
}

int CFileInUseDlg::DoModal()
{
    return exec();
}

void CFileInUseDlg::OnInitDialog()
{
    setWindowTitle(QString::fromStdU16String(m_strCaption));
    if (auto* icon = Control<QLabel>(kIcon))
        icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
}
