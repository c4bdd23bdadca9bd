#include "platform/printer.h"

#include "platform/gdi_qt.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QString>

#include <algorithm>

namespace {

// The Qt page size of a paper code: A4, and the JIS B sizes that the codes name (not ISO B).
bool PageSizeOf(int paperCode, QPageSize::PageSizeId* id)
{
    switch (paperCode) {
    case PrinterPaper::kA4: *id = QPageSize::A4; return true;
    case PrinterPaper::kB4: *id = QPageSize::JisB4; return true;
    case PrinterPaper::kB5: *id = QPageSize::JisB5; return true;
    default: return false;
    }
}

}  // namespace

PRINTER_SETTINGS& ApplicationPrinter()
{
    static PRINTER_SETTINGS settings;
    return settings;
}

void SetDevModePaper(int paperCode, int orientation)
{
    ApplicationPrinter().paperCode = paperCode;
    ApplicationPrinter().orientation = orientation;
}

bool PaperCodeSize(int paperCode, SIZE* size)
{
    QPageSize::PageSizeId id{};
    if (!PageSizeOf(paperCode, &id))
        return false;
    const QSizeF mm = QPageSize(id).size(QPageSize::Millimeter);
    *size = SIZE{qRound(mm.width() * 100), qRound(mm.height() * 100)};
    return true;
}

struct CPrintJob::Impl {
    QPrinter printer{QPrinter::HighResolution};
    std::unique_ptr<CQtDC> dc;
};

CPrintJob::CPrintJob(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

CPrintJob::~CPrintJob() { End(); }

std::unique_ptr<CPrintJob> CPrintJob::Start(const PRINTER_SETTINGS& settings, const std::u16string& title)
{
    auto impl = std::make_unique<Impl>();
    QPrinter& printer = impl->printer;
    if (!settings.outputFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(settings.outputFile));
    } else {
        if (!settings.printerName.empty())
            printer.setPrinterName(QString::fromStdString(settings.printerName));
        // Without an installed printer Qt falls back to a PDF without a file: nothing to print on.
        if (printer.outputFormat() != QPrinter::NativeFormat || !printer.isValid())
            return nullptr;
    }
    printer.setDocName(QString::fromStdU16String(title));
    printer.setCopyCount(std::max(settings.copies, 1));
    printer.setFullPage(true);
    QPageLayout layout = printer.pageLayout();
    QPageSize::PageSizeId id{};
    if (PageSizeOf(settings.paperCode, &id))
        layout.setPageSize(QPageSize(id));
    if (settings.orientation == PrinterOrientation::kPortrait)
        layout.setOrientation(QPageLayout::Portrait);
    else if (settings.orientation == PrinterOrientation::kLandscape)
        layout.setOrientation(QPageLayout::Landscape);
    layout.setMargins(QMarginsF());
    printer.setPageLayout(layout);
    impl->dc = CQtDC::ForPrinter(&printer);
    if (!impl->dc->IsActive())
        return nullptr;
    return std::unique_ptr<CPrintJob>(new CPrintJob(std::move(impl)));
}

CDC* CPrintJob::DC() const { return m_impl->dc.get(); }

bool CPrintJob::NewPage() { return m_impl->dc && m_impl->dc->NewPage(); }

bool CPrintJob::End()
{
    if (!m_impl->dc)
        return false;
    m_impl->dc->End();
    m_impl->dc.reset();
    return m_impl->printer.printerState() != QPrinter::Error && m_impl->printer.printerState() != QPrinter::Aborted;
}
