// The test paper printed page by page through the Qt context into a PDF, as the print command
// does it: measured and laid out on a context mapped 2540 : 96, then each page laid out at its
// own corner and drawn at the printer's resolution. Set QN_TEST_OUTPUT_DIR to keep the PDFs.
#include "paper_fixture.h"

#include "base/gdi_cache.h"
#include "platform/gdi_qt.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace nodetest;
using namespace papertest;

namespace {

constexpr int kPrinterDpi = 300;

// Prints every page of the paper into the PDF; returns the number of pages printed.
int PrintPaper(Paper& paper, const QString& file)
{
    std::unique_ptr<CDC> measuring = CQtDC::WithImage(16, 16);
    measuring->SetMapMode(MM_ANISOTROPIC);
    measuring->SetWindowExt(2540, 2540);
    measuring->SetViewportExt(96, 96);
    CDisplayMap screenMap;
    screenMap.SetVertical(paper.root.m_vertical);
    LAYOUT_CONTEXT measure;
    paper.root.Measure(measuring.get(), &screenMap, &measure);
    LAYOUT_CONTEXT layout;
    paper.root.Layout(&layout, paper.root.m_vertical);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(kPrinterDpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    std::unique_ptr<CQtDC> dc = CQtDC::ForPrinter(&printer);
    CDisplayMap printMap = screenMap;
    printMap.SetResolution(dc->GetDeviceCaps(LOGPIXELSX), dc->GetDeviceCaps(LOGPIXELSY), 100);
    // A vertical paper turns a quarter to the left of its origin: its first column stands at the
    // right edge of the sheet.
    if (paper.root.m_vertical) {
        SIZE sheet{0, paper.root.m_geometry.height};
        printMap.DocToDeviceSize(&sheet);  // turned: the stored height runs across the sheet
        dc->SetViewportOrg(sheet.cx, 0);
    }
    int printed = 0;
    for (int page = 1; page <= paper.root.GetPageCount(); ++page) {
        if (page > 1 && !dc->NewPage())
            break;
        LAYOUT_CONTEXT context;
        context.page = page;
        paper.root.LayoutPage(&context, 0);
        context = LAYOUT_CONTEXT();
        context.page = page;
        paper.root.DrawPage(dc.get(), &printMap, &context);
        ++printed;
    }
    dc->End();
    return printed;
}

QByteArray PdfBytes(const QString& file)
{
    QFile pdf(file);
    return pdf.open(QIODevice::ReadOnly) ? pdf.readAll() : QByteArray();
}

// The text pdftotext gives back (in content order, which is reading order in both writing
// directions); null when the tool is not installed.
QString PdfText(const QString& file)
{
    QProcess tool;
    tool.start("pdftotext", {"-raw", "-enc", "UTF-8", file, "-"});
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return QString();
    return QString::fromUtf8(tool.readAllStandardOutput()).remove('\n').remove(' ');
}

int PdfPageCount(const QString& file)
{
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = pdf.readAll();
    return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page/") +
                            bytes.count("/Type /Page>"));
}

class PaperPrintTest : public ::testing::TestWithParam<std::pair<int, int>> {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }
    SwitchGuard switches;
};

}  // namespace

TEST_P(PaperPrintTest, PrintsEveryPageIntoAPdf)
{
    const auto [columns, vertical] = GetParam();
    CurrentWritingVertical = vertical;  // new characters take the vertical faces
    Paper paper;
    BuildPaper(paper, columns, vertical);

    QTemporaryDir temporary;
    const QByteArray kept = qgetenv("QN_TEST_OUTPUT_DIR");
    const QString folder = kept.isEmpty() ? temporary.path() : QString::fromLocal8Bit(kept);
    const QString file = QDir(folder).filePath(QString("paper-%1col-%2.pdf").arg(columns).arg(vertical ? "v" : "h"));

    const int printed = PrintPaper(paper, file);
    EXPECT_GE(paper.root.GetPageCount(), 2);
    EXPECT_EQ(printed, paper.root.GetPageCount());
    EXPECT_EQ(PdfPageCount(file), printed);
    // The glyphs go in as text in an embedded font, not as outlines: the PDF stays small, and
    // its text can be searched and copied.
    const QByteArray bytes = PdfBytes(file);
    EXPECT_TRUE(bytes.contains("/FontFile2"));
    EXPECT_LT(bytes.size(), 200 * 1024 * printed);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_LOG_(INFO) << "pdftotext is not installed: the PDF's text is not read back";
    } else {
        const QString text = PdfText(file);
        EXPECT_TRUE(text.contains(QString::fromUtf16(u"あいうえおかきくけこあいうえお"))) << text.left(200).toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf16(u"３あいうえお"))) << text.left(200).toStdString();
    }
    // A full pass brings the screen positions back after printing.
    LAYOUT_CONTEXT layout;
    paper.root.Layout(&layout, vertical);
    EXPECT_EQ(paper.nameField->GetBox(0)->m_rcLayout.top, 500 + 2000);
}

INSTANTIATE_TEST_SUITE_P(Papers, PaperPrintTest,
                         ::testing::Values(std::pair{1, 0}, std::pair{2, 0}, std::pair{1, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.first) + "_columns_" + (info.param.second ? "vertical" : "horizontal");
                         });
