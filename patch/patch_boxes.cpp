#include "patch/patch_boxes.h"

#include "platform/shell.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QString>
#include <QTranslator>

#include <cstdio>

namespace {

bool SomeoneCanAnswer()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

QMessageBox::Icon IconOf(UINT style)
{
    switch (style & 0xF0) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int AskWithBox(const SHELL_REQUEST& request)
{
    const bool withCancel = (request.style & MB_TYPEMASK) == MB_OKCANCEL;
    QMessageBox box(IconOf(request.style), QString::fromStdU16String(request.caption),
                    QString::fromStdU16String(request.text),
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

}  // namespace

void InstallPatchMessageBoxes()
{
    // The boxes' buttons in Japanese, as the rest of the box.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    SetShellHandler([](SHELL_REQUEST& request) {
        if (request.kind != ShellRequestKind::MessageBox || !SomeoneCanAnswer()) {
            if (request.kind == ShellRequestKind::MessageBox)
                std::fprintf(stderr, "%s\n", QString::fromStdU16String(request.text).toStdString().c_str());
            return ShellDefaultAnswer(request);
        }
        return AskWithBox(request);
    });
}
