#include "ui/shell_widgets.h"

#include "platform/printer.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

// Whether a person can see and answer a window: not on the off-screen and minimal platforms,
// where a modal box would wait forever.
bool SomeoneCanAnswer()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void SetBoxIcon(QMessageBox& box, UINT style)
{
    switch (style & 0xF0) {
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
}

// A notice that the program does not wait on: it stays until the user closes it.
int ShowNotice(QWidget* owner, const SHELL_REQUEST& request)
{
    auto* box = new QMessageBox(owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(Q(request.caption));
    box->setText(Q(request.text));
    SetBoxIcon(*box, request.style);
    box->setStandardButtons(QMessageBox::Ok);
    // Shown once the message loop runs, so that a notice given during start-up stands in front
    // of the main window rather than behind it.
    QTimer::singleShot(0, box, [box] {
        box->show();
        box->raise();
        box->activateWindow();
    });
    return IDOK;
}

int AskWithMessageBox(QWidget* owner, const SHELL_REQUEST& request)
{
    if (request.modeless)
        return ShowNotice(owner, request);
    QMessageBox box(owner);
    box.setWindowTitle(Q(request.caption));
    box.setText(Q(request.text));
    SetBoxIcon(box, request.style);
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
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    // A name typed without extension takes the chosen filter's, else the default one.
    auto suffixOf = [&request](int index) {
        if (index >= 1 && index <= static_cast<int>(request.filters.size())) {
            const std::string& pattern = request.filters[static_cast<size_t>(index - 1)].pattern;
            if (pattern.rfind("*.", 0) == 0 && pattern.find_first_of("*?;", 2) == std::string::npos)
                return QString::fromStdString(pattern.substr(2));
        }
        return QString::fromStdString(request.defaultExtension);
    };
    if (request.kind == ShellRequestKind::SaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(suffixOf(request.filterIndex));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
            dialog.setDefaultSuffix(suffixOf(static_cast<int>(filters.indexOf(filter)) + 1));
        });
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

// The system's print dialog, which also offers printing into a PDF file. It starts from the
// printer or file of the request and the application's paper, and gives back what was chosen.
int AskToPrint(QWidget* owner, SHELL_REQUEST& request)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!request.printerName.empty())
        printer.setPrinterName(QString::fromStdString(request.printerName));
    if (!request.file.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(request.file));
    }
    SIZE sheet{};
    if (PaperCodeSize(ApplicationPrinter().paperCode, &sheet))
        printer.setPageSize(QPageSize(QSizeF(sheet.cx / 100.0, sheet.cy / 100.0), QPageSize::Millimeter));
    if (ApplicationPrinter().orientation != PrinterOrientation::kDefault)
        printer.setPageOrientation(ApplicationPrinter().orientation == PrinterOrientation::kLandscape
                                       ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(std::max(request.copies, 1));
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(QString::fromUtf16(u"印刷"));
    dialog.setMinMax(request.minPage, request.maxPage);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return IDCANCEL;
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    request.file = toFile ? printer.outputFileName().toStdString() : std::string();
    request.printerName = toFile ? std::string() : printer.printerName().toStdString();
    const bool range = printer.printRange() == QPrinter::PageRange;
    request.fromPage = range ? printer.fromPage() : 0;
    request.toPage = range ? printer.toPage() : 0;
    request.copies = printer.copyCount();
    return IDOK;
}

}  // namespace

int AnswerWithWindows(QWidget* owner, SHELL_REQUEST& request)
{
    switch (request.kind) {
    case ShellRequestKind::MessageBox:
        return AskWithMessageBox(owner, request);
    case ShellRequestKind::OpenFile:
    case ShellRequestKind::SaveFile:
        return AskForFile(owner, request);
    case ShellRequestKind::Print:
        return AskToPrint(owner, request);
    case ShellRequestKind::Help:
        // The help file opens in the system's viewer when there is one.
        if (QFileInfo::exists(QString::fromStdString(request.helpFile)))
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(request.helpFile)));
        return IDOK;
    case ShellRequestKind::OpenDocument:
        // A document the program wrote opens in the desktop's program for it, when there is one.
        if (QFileInfo::exists(QString::fromStdString(request.file)))
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(request.file)));
        return IDOK;
    }
    return IDCANCEL;
}

void InstallWidgetShell(QWidget* (*ownerOf)())
{
    SetShellHandler([ownerOf](SHELL_REQUEST& request) {
        if (!SomeoneCanAnswer()) {
            // Nobody could answer: the message is written out and the safe answer given.
            if (request.kind == ShellRequestKind::MessageBox)
                std::fprintf(stderr, "%s\n", Q(request.text).toStdString().c_str());
            return ShellDefaultAnswer(request);
        }
        return AnswerWithWindows(ownerOf ? ownerOf() : nullptr, request);
    });
}

QTranslator* InstallQtTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_", folder)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}
