// A sample paper read from its print file lays out and prints page by page through the Qt
// context into a PDF, as the print command does it. Set QN_TEST_OUTPUT_DIR to keep the PDFs.
#include "printfile_fixture.h"
#include "tests/support/case_names.h"

#include "nodes/display_map.h"
#include "platform/gdi_qt.h"
#include "printfile/print_reader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

using namespace printfiletest;

namespace {

constexpr int kPrinterDpi = 300;

int PrintPaper(CEditPrint& root, const QString& file)
{
    std::unique_ptr<CDC> measuring = CQtDC::WithImage(16, 16);
    measuring->SetMapMode(MM_ANISOTROPIC);
    measuring->SetWindowExt(2540, 2540);
    measuring->SetViewportExt(96, 96);
    CDisplayMap screenMap;
    screenMap.SetVertical(root.m_vertical);
    LAYOUT_CONTEXT measure;
    root.Measure(measuring.get(), &screenMap, &measure);
    LAYOUT_CONTEXT layout;
    root.Layout(&layout, root.m_vertical);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(kPrinterDpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      root.m_vertical ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    std::unique_ptr<CQtDC> dc = CQtDC::ForPrinter(&printer);
    CDisplayMap printMap = screenMap;
    printMap.SetResolution(dc->GetDeviceCaps(LOGPIXELSX), dc->GetDeviceCaps(LOGPIXELSY), 100);
    if (root.m_vertical) {
        SIZE sheet{0, root.m_geometry.height};
        printMap.DocToDeviceSize(&sheet);
        dc->SetViewportOrg(sheet.cx, 0);
    }
    int printed = 0;
    for (int page = 1; page <= root.GetPageCount(); ++page) {
        if (page > 1 && !dc->NewPage())
            break;
        LAYOUT_CONTEXT context;
        context.page = page;
        root.LayoutPage(&context, 0);
        context = LAYOUT_CONTEXT();
        context.page = page;
        root.DrawPage(dc.get(), &printMap, &context);
        ++printed;
    }
    dc->End();
    return printed;
}

class PrintedSamples : public ::testing::TestWithParam<const char*> {};

TEST_P(PrintedSamples, PrintEveryPageIntoAPdf)
{
    RegisterPaperFaces();
    CEditPrint root;
    ASSERT_TRUE(LoadXmlFile(&root, DataPath(GetParam())));
    QTemporaryDir temporary;
    const QByteArray keep = qgetenv("QN_TEST_OUTPUT_DIR");
    const QString folder = keep.isEmpty() ? temporary.path() : QString::fromLocal8Bit(keep);
    const QString file = QDir(folder).filePath(QString::fromLatin1(GetParam()).replace(".xml", ".pdf"));
    const int printed = PrintPaper(root, file);
    EXPECT_GE(printed, 1);
    EXPECT_EQ(printed, root.GetPageCount());
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}

INSTANTIATE_TEST_SUITE_P(Files, PrintedSamples,
                         ::testing::Values("horizontal_one_column.xml", "vertical_two_columns.xml", "horizontal_formula.xml",
                                           "horizontal_inline_nodes.xml"),
                         CaseNameFromFile());

}  // namespace
