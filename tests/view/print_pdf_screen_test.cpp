// The sample papers printed into PDF files through the view's print command, the pages rendered
// to PNG by pdftoppm and compared page by page with what the editing view paints of each page at
// the same resolution; and the sheet sizes the PDF declares (pdfinfo). Both tools come from
// poppler; the checks skip without them. Set QN_TEST_OUTPUT_DIR to keep the PDFs and pictures.
#include "view_fixture.h"
#include "tests/support/case_names.h"

#include "tests/editor/shell_answers.h"
#include "tests/printfile/printfile_fixture.h"
#include "nodes/edit_switches.h"
#include "platform/gdi_qt.h"
#include "printfile/print_reader.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

using namespace viewtest;

namespace {

constexpr int kDpi = 96;

// The window around the view, measuring with the screen's real fonts, its client one sheet.
class SheetHost : public IEditViewHost {
public:
    SIZE GetClientSize() const override { return client; }
    CDC* GetMeasuringDC() override { return measuring.get(); }
    void Invalidate(const RECT*) override {}

    SIZE client{794, 1123};
    std::unique_ptr<CDC> measuring = CreateQtScreenDC();
};

struct SAMPLE_CASE {
    const char* name;
    const char* file;
    int columns;
};

const SAMPLE_CASE kSamples[] = {
    {"HorizontalOneColumn", "horizontal_one_column.xml", 1},
    {"HorizontalTwoColumns", "horizontal_one_column.xml", 2},
    {"VerticalOneColumn", "vertical_two_columns.xml", 1},
    {"VerticalTwoColumns", "vertical_two_columns.xml", 2},
};

bool HasTool(const char* name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

QString OutputFolder(const QTemporaryDir& temporary)
{
    const QByteArray kept = qgetenv("QN_TEST_OUTPUT_DIR");
    return kept.isEmpty() ? temporary.path() : QString::fromLocal8Bit(kept);
}

// The text of a page, inside its printable area: the bounding box of the pixels that are dark or
// strongly coloured (the screen draws its labels in colour, the printer in black; the screen's
// own furniture, the part frames and the page-break marks, is light grey), and per 8 × 8 cell
// whether it holds one. The labels in the screen's margins stay outside.
struct INK {
    QRect box;
    std::vector<bool> cells;
    int columns = 0;
};

bool IsInk(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    const int low = std::min({r, g, b}), high = std::max({r, g, b});
    return (r + g + b) / 3 < 100 || (high - low > 120 && low < 100);
}

INK InkOf(const QImage& source, const QRect& printable)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    INK ink;
    ink.columns = (image.width() + 7) / 8;
    ink.cells.assign(static_cast<size_t>(ink.columns) * ((image.height() + 7) / 8), false);
    const QRect area = printable.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!IsInk(row[x]))
                continue;
            ink.box = ink.box.united(QRect(x, y, 1, 1));
            ink.cells[static_cast<size_t>(y / 8) * ink.columns + x / 8] = true;
        }
    }
    return ink;
}

size_t InkedCells(const INK& ink) { return static_cast<size_t>(std::count(ink.cells.begin(), ink.cells.end(), true)); }

// The inked cells of one page with no inked cell of the other at or next to them.
size_t UnmatchedCells(const INK& one, const INK& other)
{
    const int rows = static_cast<int>(one.cells.size()) / one.columns;
    size_t unmatched = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < one.columns; ++x) {
            if (!one.cells[static_cast<size_t>(y) * one.columns + x])
                continue;
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy)
                for (int dx = -1; dx <= 1 && !matched; ++dx) {
                    const int cx = x + dx, cy = y + dy;
                    const size_t i = static_cast<size_t>(cy) * other.columns + cx;
                    matched = cx >= 0 && cy >= 0 && cx < other.columns && i < other.cells.size() && other.cells[i];
                }
            unmatched += matched ? 0 : 1;
        }
    }
    return unmatched;
}

// The printable area of the sheet in pixels: inside the margins, a pixel to spare.
QRect PrintableArea(const CEditPrint& root, SIZE client)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    RECT r{left, top, root.m_geometry.width - right, root.m_geometry.height - bottom};
    CDisplayMap map;
    map.SetResolution(kDpi, kDpi, 100);
    map.SetVertical(root.m_vertical);
    map.DocToDeviceRect(&r);
    if (root.m_vertical != 0) {
        r.left += client.cx;
        r.right += client.cx;
    }
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)).adjusted(-1, -1, 1, 1);
}

class PrintPdfScreenTest : public ::testing::TestWithParam<SAMPLE_CASE> {
protected:
    static void SetUpTestSuite() { printfiletest::RegisterPaperFaces(); }
    SwitchGuard switches;
};

}  // namespace

TEST_P(PrintPdfScreenTest, PrintedPagesAreThePagesTheScreenShows)
{
    if (!HasTool("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    const SAMPLE_CASE& sample = GetParam();
    LineBreakMarksVisible = 0;  // the screen's marks are never printed
    TestDocument document;
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath(sample.file)));
    document.root->m_geometry.columnCount = sample.columns;
    SheetHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    document.view = &view;
    const SIZE sheet = CEditViewController::PhysicalSheet(*document.root);
    host.client = SIZE{MulDiv(sheet.cx, kDpi, 2540), MulDiv(sheet.cy, kDpi, 2540)};
    view.OnInitialUpdate();
    const int pages = document.root->GetPageCount();
    ASSERT_GE(pages, 1);

    QTemporaryDir temporary;
    const QDir folder(OutputFolder(temporary));
    const QString pdf = folder.filePath(QString("print-%1.pdf").arg(sample.name));
    ShellAnswers shell;
    shell.ChooseFile(pdf.toStdString());
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFilePrint));
    ASSERT_TRUE(shell.Messages().empty());
    const QString prefix = folder.filePath(QString("print-%1").arg(sample.name));
    ASSERT_EQ(QProcess::execute("pdftoppm", {"-r", QString::number(kDpi), "-png", pdf, prefix}), 0);

    for (int page = 1; page <= pages; ++page) {
        // The screen: the view scrolled so that the page fills the client area.
        const RECT rect = CEditViewController::PageRect(*document.root, page);
        CDisplayMap map = view.GetDisplayMap();
        map.SetResolution(kDpi, kDpi, 100);
        map.SetOrigin(rect.left, rect.top);
        view.SetDisplayMap(map);
        std::unique_ptr<CQtDC> dc = CQtDC::WithImage(host.client.cx, host.client.cy);
        ASSERT_TRUE(view.PaintInto(dc.get(), RECT{0, 0, host.client.cx, host.client.cy}));
        const QImage screen = dc->Image()->copy();
        dc.reset();
        screen.save(folder.filePath(QString("screen-%1-%2.png").arg(sample.name).arg(page)));

        // pdftoppm numbers its files with as many digits as the last page needs.
        QString printedFile;
        for (int digits = 1; digits <= 3 && printedFile.isEmpty(); ++digits) {
            const QString name = prefix + QString("-%1.png").arg(page, digits, 10, QChar('0'));
            if (QFile::exists(name))
                printedFile = name;
        }
        ASSERT_FALSE(printedFile.isEmpty()) << "page " << page;
        const QImage printed(printedFile);
        EXPECT_LE(std::abs(printed.width() - screen.width()), 1) << "page " << page;
        EXPECT_LE(std::abs(printed.height() - screen.height()), 1) << "page " << page;

        const QRect printable = PrintableArea(*document.root, host.client);
        const INK a = InkOf(screen, printable);
        const INK b = InkOf(printed, printable);
        ASSERT_FALSE(a.box.isEmpty()) << "page " << page;
        // Glyphs rasterised by two renderers differ by an anti-aliased pixel or two; a page
        // drawn a margin away differs by dozens.
        EXPECT_LE(std::abs(a.box.left() - b.box.left()), 6) << "page " << page;
        EXPECT_LE(std::abs(a.box.top() - b.box.top()), 6) << "page " << page;
        EXPECT_LE(std::abs(a.box.right() - b.box.right()), 6) << "page " << page;
        EXPECT_LE(std::abs(a.box.bottom() - b.box.bottom()), 6) << "page " << page;
        EXPECT_LE(UnmatchedCells(a, b) * 10, InkedCells(a)) << "page " << page;
        EXPECT_LE(UnmatchedCells(b, a) * 10, InkedCells(b)) << "page " << page;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, PrintPdfScreenTest, ::testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct SHEET_CASE {
    const char* name;
    int width;
    int height;
    double expectedWidthMm;
    double expectedHeightMm;
};

const SHEET_CASE kSheets[] = {
    {"JisB5", 18200, 25700, 182, 257},
    {"JisB5Landscape", 25700, 18200, 257, 182},
    {"A4", 21000, 29700, 210, 297},
    {"JisB4", 25700, 36400, 257, 364},
};

class PrintSheetTest : public ::testing::TestWithParam<SHEET_CASE> {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }
    SwitchGuard switches;
};

}  // namespace

TEST_P(PrintSheetTest, ThePdfDeclaresThePapersSheet)
{
    if (!HasTool("pdfinfo"))
        GTEST_SKIP() << "pdfinfo is not installed";
    const SHEET_CASE& c = GetParam();
    TestDocument document;
    document.root->m_geometry.width = c.width;
    document.root->m_geometry.height = c.height;
    auto* part = new CEditSentence();
    AddChars(part, u"紙");
    AddCR(part);
    document.root->AppendChild(part);
    TestHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    view.OnInitialUpdate();

    QTemporaryDir temporary;
    const QString pdf = QDir(OutputFolder(temporary)).filePath(QString("sheet-%1.pdf").arg(c.name));
    ShellAnswers shell;
    shell.ChooseFile(pdf.toStdString());
    ASSERT_TRUE(view.OnCommand(ViewCommand::kFilePrint));
    QProcess info;
    info.start("pdfinfo", {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch size =
        QRegularExpression(R"(Page size:\s+([0-9.]+) x ([0-9.]+) pts)").match(text);
    ASSERT_TRUE(size.hasMatch()) << text.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble() * 25.4 / 72, c.expectedWidthMm, 0.5) << text.toStdString();
    EXPECT_NEAR(size.captured(2).toDouble() * 25.4 / 72, c.expectedHeightMm, 0.5) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sheets, PrintSheetTest, ::testing::ValuesIn(kSheets),
                         [](const auto& info) { return std::string(info.param.name); });
