#include "editor/shell_widgets.h"

#include "platform/shell.h"
#include "platform/utf8.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

int AskWithMessageBox(QWidget* owner, const SHELL_REQUEST& request)
{
    QMessageBox box(owner);
    box.setWindowTitle(Q(request.caption));
    box.setText(Q(request.text));
    switch (request.style & 0xF0) {
    case MB_ICONSTOP:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (request.style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    if (request.style & MB_DEFBUTTON2)
        box.setDefaultButton(box.buttons().size() > 1 ? qobject_cast<QPushButton*>(box.buttons().at(1)) : nullptr);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

int AskForFile(QWidget* owner, SHELL_REQUEST& request)
{
    QStringList filters;
    // Qt separates the patterns of a filter by spaces, where the resource texts use ';'.
    for (const SHELL_FILTER& filter : request.filters)
        filters << Q(filter.label).replace(QLatin1Char(';'), QLatin1Char(' '));
    QFileDialog dialog(owner, Q(request.title), QString::fromStdString(request.file));
    dialog.setNameFilters(filters);
    if (request.kind == ShellRequestKind::SaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & OFN_OVERWRITEPROMPT));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return IDCANCEL;
    request.file = dialog.selectedFiles().first().toStdString();
    request.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (request.filterIndex < 1)
        request.filterIndex = 1;
    return IDOK;
}

}  // namespace

void InstallWidgetShell(QWidget* (*ownerOf)())
{
    SetShellHandler([ownerOf](SHELL_REQUEST& request) {
        QWidget* owner = ownerOf ? ownerOf() : nullptr;
        switch (request.kind) {
        case ShellRequestKind::MessageBox:
            return AskWithMessageBox(owner, request);
        case ShellRequestKind::OpenFile:
        case ShellRequestKind::SaveFile:
            return AskForFile(owner, request);
        case ShellRequestKind::Help:
            // The help file opens in the system's viewer when there is one.
            if (QFileInfo::exists(QString::fromStdString(request.helpFile)))
                QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(request.helpFile)));
            return IDOK;
        }
        return IDCANCEL;
    });
}
