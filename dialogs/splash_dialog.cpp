#include "dialogs/splash_dialog.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

CSplashDlg::CSplashDlg() : CValueDialog(142, nullptr)
{
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    m_grid->setContentsMargins(0, 0, 0, 0);
}

void CSplashDlg::Create()
{
    EnsureInitialised();
    show();
}

void CSplashDlg::OnInitDialog()
{
    const auto* picture = Control<QLabel>(kPicture);
    if (picture == nullptr || picture->pixmap().isNull())
        return;
    const QSize size = picture->pixmap().deviceIndependentSize().toSize();
    setFixedSize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}
