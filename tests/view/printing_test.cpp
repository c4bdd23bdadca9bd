// Printing and preview through the view controller: the printer's paper for each sheet, the page
// a preview reopens on after page setup, and one page printed on the recording context at the
// printer's resolution, placed as the screen places it.
#include "view_fixture.h"
#include "tests/support/case_names.h"

#include "tests/editor/shell_answers.h"
#include "tests/printfile/printfile_fixture.h"
#include "printfile/print_reader.h"
#include "platform/gdi_recording.h"
#include "platform/utf8.h"

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <set>

using namespace viewtest;

namespace {

constexpr int kPrinterDpi = 600;
constexpr int kBigEm = 1000;  // 10 mm characters: a few dozen lines fill a page

struct PAPER_CASE {
    const char* name;
    int width;
    int height;
    int vertical;
    PRINTER_PAPER expected;
};

const PAPER_CASE kPaperCases[] = {
    {"A4Portrait", 21000, 29700, 0, {PrinterPaper::kA4, PrinterOrientation::kPortrait}},
    {"A4Landscape", 29700, 21000, 0, {PrinterPaper::kA4, PrinterOrientation::kLandscape}},
    // A vertical paper is stored turned: 29700 × 21000 is an upright A4 sheet.
    {"VerticalA4Portrait", 29700, 21000, 1, {PrinterPaper::kA4, PrinterOrientation::kPortrait}},
    {"VerticalA4Landscape", 21000, 29700, 1, {PrinterPaper::kA4, PrinterOrientation::kLandscape}},
    {"B5Portrait", 18200, 25700, 0, {PrinterPaper::kB5, PrinterOrientation::kPortrait}},
    {"B5Landscape", 25700, 18200, 0, {PrinterPaper::kB5, PrinterOrientation::kLandscape}},
    {"VerticalB4Portrait", 36400, 25700, 1, {PrinterPaper::kB4, PrinterOrientation::kPortrait}},
    {"OutsideTheTable", 20000, 28000, 0, {PrinterPaper::kDefault, PrinterOrientation::kDefault}},
    {"AlmostA4", 21000, 29701, 0, {PrinterPaper::kDefault, PrinterOrientation::kDefault}},
};

class PaperTableTest : public ::testing::TestWithParam<PAPER_CASE> {};

class PrintingTest : public ViewTest {
protected:
    // Paragraphs of big characters, each with its own character, over several pages.
    void BuildPages(int paragraphs, int vertical = 0)
    {
        document.root->m_vertical = vertical;
        for (int i = 0; i < paragraphs; ++i) {
            auto* part = new CEditSentence();
            AddChars(part, std::u16string(5, static_cast<char16_t>(u'\u4e00' + i)), kBigEm);
            AddCR(part, 0, kBigEm);
            document.root->AppendChild(part);
        }
        view.OnInitialUpdate();
        UseIdentityScale();
        // Every block where the screen puts it, as drawing its page would settle it.
        document.root->SettleAll();
    }

    // The characters the screen layout puts on the page, in paper order.
    std::u16string CharactersOnPage(int page)
    {
        std::u16string text;
        for (int i = 0; i < document.root->GetChildCount(); ++i) {
            CEditNode* part = document.root->GetEditChild(i);
            for (int j = 0; j < part->GetChildCount(); ++j) {
                CEditNode* child = part->GetEditChild(j);
                if (child->m_page == page && !child->HasKindFlags(EditKind::kLineBreak))
                    text += child->GetText().View();
            }
        }
        return text;
    }
};

// The text calls of a recording in device pixels, in the order drawn.
std::vector<std::pair<std::u16string, POINT>> DrawnText(const CRecordingDC& dc)
{
    std::vector<std::pair<std::u16string, POINT>> texts;
    for (const GdiCall& call : dc.Calls()) {
        if (call.op != GdiOp::TextOutW && call.op != GdiOp::ExtTextOutW)
            continue;
        POINT p = call.points.at(0);
        dc.LPtoDP(&p);
        texts.emplace_back(call.text, p);
    }
    return texts;
}

}  // namespace

TEST_P(PaperTableTest, GivesThePrinterPaperOfThePhysicalSheet)
{
    const PAPER_CASE& c = GetParam();
    CEditPrint root;
    root.m_vertical = c.vertical;
    root.m_geometry.width = c.width;
    root.m_geometry.height = c.height;
    EXPECT_EQ(CEditViewController::PaperForPrinter(root), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sheets, PaperTableTest, ::testing::ValuesIn(kPaperCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintingTest, PreparingWritesThePaperAndThePageRange)
{
    BuildPages(60);
    const int pages = document.root->GetPageCount();
    ASSERT_GE(pages, 3);
    CPrintInfo info;
    info.m_bPreview = true;
    info.m_nNumPreviewPages = 2;
    ASSERT_TRUE(view.OnPreparePrinting(&info));
    EXPECT_EQ(info.m_nMinPage, 1);
    EXPECT_EQ(info.m_nMaxPage, pages);
    EXPECT_EQ(info.m_nNumPreviewPages, 1);  // a fresh preview shows one page
    EXPECT_EQ(ApplicationPrinter().paperCode, PrinterPaper::kA4);
    EXPECT_EQ(ApplicationPrinter().orientation, PrinterOrientation::kPortrait);

    // A paper outside the table writes 0 and 0 too, so the driver's own paper applies.
    document.root->m_geometry.height = 28000;
    ASSERT_TRUE(view.OnPreparePrinting(&info));
    EXPECT_EQ(ApplicationPrinter().paperCode, 0);
    EXPECT_EQ(ApplicationPrinter().orientation, 0);

    // No paper: nothing to prepare.
    view.ResetViewState();
    document.root.reset();
    EXPECT_FALSE(view.OnPreparePrinting(&info));
}

TEST_F(PrintingTest, ThePreviewReopensOnTheSavedPageClampedToThePaper)
{
    BuildPages(60);
    ASSERT_EQ(document.root->GetPageCount(), 3);
    // Page setup from a two-page preview on page 5 of a paper that now has three pages.
    view.SetPreviewReopen(PREVIEW_REOPEN_STATE{1, 5, 2});
    CPrintInfo info;
    info.m_bPreview = true;
    ASSERT_TRUE(view.OnPreparePrinting(&info));
    EXPECT_EQ(info.m_nCurPage, 3);
    EXPECT_EQ(info.m_nNumPreviewPages, 2);
}

TEST_F(PrintingTest, PrintingWithoutAPaperOrWithTheDialogCancelledDoesNothing)
{
    ShellAnswers shell;
    BuildPages(10);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kFilePrint).enabled);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kFilePrintPreview).enabled);
    const int relayouts = view.GetRelayoutCount();
    shell.Answer(IDCANCEL);
    EXPECT_TRUE(view.OnCommand(ViewCommand::kFilePrint));
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].kind, ShellRequestKind::Print);
    EXPECT_EQ(shell.requests[0].maxPage, document.root->GetPageCount());
    EXPECT_EQ(view.GetRelayoutCount(), relayouts);  // nothing printed, nothing laid out again

    // The preview without a frame to show it in: the command failed, and says so.
    EXPECT_TRUE(view.OnCommand(ViewCommand::kFilePrintPreview));
    ASSERT_EQ(shell.Messages().size(), 1u);
    EXPECT_EQ(shell.Messages()[0], u"コマンドの実行に失敗しました。");

    view.ResetViewState();
    document.root.reset();
    for (int id : {ViewCommand::kFilePrint, ViewCommand::kFilePrintDirect, ViewCommand::kFilePrintPreview}) {
        EXPECT_TRUE(view.OnUpdateCommand(id).known) << id;
        EXPECT_FALSE(view.OnUpdateCommand(id).enabled) << id;
    }
}

TEST_F(PrintingTest, OnPrintDrawsOnlyItsPageAtTheSheetsTopLeft)
{
    BuildPages(60);
    ASSERT_GE(document.root->GetPageCount(), 3);
    const std::u16string expected = CharactersOnPage(2);
    ASSERT_FALSE(expected.empty());
    // Where the screen has page 2's first character, from the page's corner.
    CEditNode* first = nullptr;
    for (int i = 0; i < document.root->GetChildCount() && first == nullptr; ++i)
        if (CEditNode* c = document.root->GetEditChild(i)->GetEditChild(0); c->m_page == 2)
            first = c;
    ASSERT_NE(first, nullptr);
    const RECT page2 = CEditViewController::PageRect(*document.root, 2);
    const POINT onScreen{first->m_rcLayout.left - page2.left, first->m_rcLayout.top - page2.top};

    CRecordingDC printer(DeviceKind::Printer);
    printer.SetResolution(kPrinterDpi, kPrinterDpi);
    printer.SetDeviceSize(MulDiv(21000, kPrinterDpi, 2540), MulDiv(29700, kPrinterDpi, 2540));
    CPrintInfo info;
    info.m_nCurPage = 2;
    view.OnPrint(&printer, &info);

    const auto texts = DrawnText(printer);
    std::u16string drawn;
    for (const auto& [text, point] : texts) {
        drawn += text;
        EXPECT_GE(point.x, 0);
        EXPECT_GE(point.y, 0);
        EXPECT_LT(point.x, printer.GetDeviceCaps(HORZRES));
        EXPECT_LT(point.y, printer.GetDeviceCaps(VERTRES));
    }
    EXPECT_EQ(drawn, expected);
    // The first character stands where the screen has it on its page, at 600 dpi.
    const int left = MulDiv(onScreen.x, kPrinterDpi, 2540);
    const int top = MulDiv(onScreen.y, kPrinterDpi, 2540);
    ASSERT_FALSE(texts.empty());
    EXPECT_NEAR(texts.front().second.x, left, 1);
    EXPECT_GE(texts.front().second.y, top);
    EXPECT_LE(texts.front().second.y, top + MulDiv(kBigEm, kPrinterDpi, 2540));
}

TEST_F(PrintingTest, AVerticalPageStartsAtTheSheetsRightEdgeAsOnTheScreen)
{
    printfiletest::RegisterPaperFaces();
    ASSERT_TRUE(LoadXmlFile(document.root.get(), printfiletest::DataPath("vertical_two_columns.xml")));
    ASSERT_NE(document.root->m_vertical, 0);
    ASSERT_EQ(document.root->m_geometry.columnCount, 2);
    view.OnInitialUpdate();
    int left = 0, top = 0, right = 0, bottom = 0;
    document.root->GetMargins(&left, &top, &right, &bottom);
    ASSERT_GT(top, 0);

    CRecordingDC printer(DeviceKind::Printer);
    printer.SetResolution(kPrinterDpi, kPrinterDpi);
    const SIZE sheet = CEditViewController::PhysicalSheet(*document.root);
    const int sheetWidth = MulDiv(sheet.cx, kPrinterDpi, 2540);
    printer.SetDeviceSize(sheetWidth, MulDiv(sheet.cy, kPrinterDpi, 2540));
    CPrintInfo info;
    info.m_nCurPage = 1;
    view.OnPrint(&printer, &info);
    const auto texts = DrawnText(printer);
    ASSERT_FALSE(texts.empty());
    int rightmost = 0;
    for (const auto& [text, point] : texts) {
        EXPECT_GE(point.x, 0) << Utf16ToUtf8(text);
        EXPECT_LE(point.x, sheetWidth) << Utf16ToUtf8(text);
        rightmost = std::max<int>(rightmost, point.x);
    }
    // The first column's text stands the stored top margin in from the right edge, as the
    // screen draws it (the whole sheet's width, not the width less the top margin).
    const int margin = MulDiv(top, kPrinterDpi, 2540);
    // The characters' reference points lie on the column's middle, half a character further in.
    EXPECT_LE(rightmost, sheetWidth - margin);
    EXPECT_GT(rightmost, sheetWidth - margin - MulDiv(600, kPrinterDpi, 2540));
}

TEST_F(PrintingTest, PrintingWithoutTheDialogOrIntoAnUnwritableFileSaysWhenThePrinterCannotStart)
{
    ShellAnswers shell;
    BuildPages(10);
    // Without the dialog: the application's printer, here one that does not exist.
    const std::string former = ApplicationPrinter().printerName;
    ApplicationPrinter().printerName = "no-such-printer";
    EXPECT_TRUE(view.OnCommand(ViewCommand::kFilePrintDirect));
    ApplicationPrinter().printerName = former;
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].kind, ShellRequestKind::MessageBox);
    EXPECT_EQ(shell.requests[0].text, u"印刷を開始できませんでした。");

    // A PDF file in a folder that does not exist.
    shell.requests.clear();
    QTemporaryDir folder;
    shell.ChooseFile(folder.filePath("missing/paper.pdf").toStdString());
    EXPECT_TRUE(view.OnCommand(ViewCommand::kFilePrint));
    ASSERT_EQ(shell.Messages().size(), 1u);
    EXPECT_EQ(shell.Messages()[0], u"印刷を開始できませんでした。");
}

TEST_F(PrintingTest, ThePagesChosenInTheDialogAreThePagesPrinted)
{
    BuildPages(60);
    ASSERT_EQ(document.root->GetPageCount(), 3);
    QTemporaryDir folder;
    const QString file = folder.filePath("range.pdf");
    const ShellHandler former = SetShellHandler([&file](SHELL_REQUEST& request) {
        if (request.kind != ShellRequestKind::Print)
            return IDCANCEL;
        request.file = file.toStdString();
        request.fromPage = 2;
        request.toPage = 2;
        return IDOK;
    });
    EXPECT_TRUE(view.OnCommand(ViewCommand::kFilePrint));
    SetShellHandler(former);
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QString bytes = QString::fromLatin1(pdf.readAll());
    EXPECT_EQ(bytes.count(QRegularExpression(R"(/Type\s*/Page(?!s))")), 1);
    // The screen has its layout back after printing.
    EXPECT_EQ(document.root->GetPageCount(), 3);
}
