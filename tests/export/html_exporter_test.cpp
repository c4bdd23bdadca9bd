// The HTML export: the page built from hand-written XSL-FO, the picture files beside it, and the
// sources it deletes.
#include "export/html_exporter.h"

#include "export_fixture.h"
#include "tests/editor/shell_answers.h"

#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace exporttest;
namespace fs = std::filesystem;

namespace {

const EXPORT_PART kMajor3 = {3, 0, ExportPartKind::kDai};
const EXPORT_PART kMinor2 = {3, 2, ExportPartKind::kDai};

class HtmlTest : public ::testing::Test {
protected:
    std::string Folder() const { return dir.path().toStdString(); }
    // The page's "html" element written out, for a flow exported to page.htm.
    std::u16string Page(Prepared<CHtmlExporter>& exporter, BOOL deleteSource = FALSE)
    {
        EXPECT_TRUE(exporter.SaveHtml(Folder() + "/page.htm", deleteSource));
        return exporter.GetHtml().documentElement().xml();
    }
    std::u16string Page(const std::u16string& flow, std::vector<EXPORT_PART> parts = {}, bool vertical = false)
    {
        Prepared<CHtmlExporter> exporter;
        exporter.SetFo(Fo(flow), std::move(parts), vertical);
        exporter.SetSource(Folder() + "/paper.tmp");
        return Page(exporter);
    }
    QTemporaryDir dir;
    ShellAnswers shell;
};

std::u16string Instream(const std::u16string& children)
{
    return u"<fo:block-container><fo:instream-foreign-object>" + children +
           u"</fo:instream-foreign-object></fo:block-container>";
}

// The colour type of a PNG file: the byte after the bit depth in its header.
int PngColourType(const std::string& path)
{
    const std::string bytes = ReadText(path);
    return bytes.size() > 25 && bytes.compare(1, 3, "PNG") == 0 ? static_cast<unsigned char>(bytes[25]) : -1;
}

}  // namespace

TEST_F(HtmlTest, ElementsConvertToTheirHtml)
{
    struct Case {
        const char* what;
        std::u16string flow;
        std::u16string html;
        std::vector<EXPORT_PART> parts = {};
        bool vertical = false;
    };
    const std::u16string table =
        u"<fo:table border=\"solid\"><fo:table-body><fo:table-row><fo:table-cell border=\"1pt solid\">"
        u"<fo:block>A</fo:block><fo:block>B</fo:block></fo:table-cell></fo:table-row></fo:table-body></fo:table>";
    const Case cases[] = {
        {"blocks and containers", u"<fo:block-container id=\"x\"><fo:block font-size=\"9pt\">文</fo:block></fo:block-container>",
         u"<html><div><div>文</div></div></html>"},
        {"table, horizontal", table,
         u"<html><table style=\"border-collapse:collapse;\"><tr><td style=\"border:1pt solid; \"><div>A</div><div>B</div></td></tr></table></html>"},
        {"table, vertical: divs, cells lose their blocks", table,
         u"<html><div style=\"writing-mode:vertical-rl;\"><div><div>AB</div></div></div></html>", {}, true},
        {"hidden part advances the counter",
         u"<fo:block-container visibility=\"collapse\"><fo:block>X</fo:block></fo:block-container>" + Instream(u"<dno/>"),
         u"<html><div><span>[3]</span></div></html>", {{1, 0, ExportPartKind::kDai}, kMajor3}},
        {"scripts", u"<fo:block><fo:inline baseline-shift=\"sub\">2</fo:inline><fo:inline baseline-shift=\"super\" color=\"red\">3</fo:inline>"
                    u"<fo:inline font-size=\"10.5pt\" color=\"red\">r</fo:inline></fo:block>",
         u"<html><div><sub>2</sub><sup style=\"color:red; \">3</sup><span style=\"font-size:10.5pt; color:red; \">r</span></div></html>"},
        {"a shifted block is a plain block", u"<fo:block baseline-shift=\"sub\">x</fo:block>", u"<html><div>x</div></html>"},
        {"ruby", u"<fo:inline-container id=\"ruby1\"><fo:inline>かんじ</fo:inline><fo:inline>漢字</fo:inline></fo:inline-container>",
         u"<html><ruby><rb>漢字</rb><rt>かんじ</rt></ruby></html>"},
        {"ruby of one child is empty", u"<fo:inline-container id=\"ruby2\"><fo:inline>かんじ</fo:inline></fo:inline-container>",
         u"<html><ruby/></html>"},
        {"other inline containers are spans", u"<fo:inline-container><fo:inline>a</fo:inline></fo:inline-container>",
         u"<html><span><span>a</span></span></html>"},
        {"float", u"<fo:float float=\"left\" id=\"f1\">x</fo:float>", u"<html><div align=\"left\" style=\"float:left; id:f1; \">x</div></html>"},
        {"labels", Instream(u"<dno/><no/><hai type=\"2\" p1=\"5\" p2=\"2\" p3=\"10\"/>"),
         u"<html><div><span>[3]</span><span>　(2)</span><span>(各5点×2=10点)</span></div></html>", {kMinor2}},
        {"labels, vertical", Instream(u"<dno/><hai type=\"4\" p3=\"12\"/>"),
         u"<html><div style=\"writing-mode:vertical-rl;\"><div><span style=\"font-family:@ＭＳ 明朝; font-size:10.5pt;\">三</span>"
         u"<span>(計１２点)</span></div></div></html>",
         {kMajor3}, true},
        {"points of type 4 in a minor question, and of types 0 and 5",
         Instream(u"<hai type=\"4\" p3=\"7\"/><hai type=\"0\" p3=\"7\"/><hai type=\"5\" p3=\"7\"/>"),
         u"<html><div><span>(7点)</span><span/><span/></div></html>", {kMinor2}},
        {"a hidden child ends the foreign object", Instream(u"<dno/><no visibility=\"collapse\"/><dno/>"),
         u"<html><div><span>[3]</span></div></html>", {kMajor3}},
        {"labels past the part list are empty", Instream(u"<dno/>") + Instream(u"<dno/><hai type=\"1\" p3=\"1\"/>"),
         u"<html><div><span>[3]</span></div><div><span/><span/></div></html>", {kMajor3}},
        {"picture styles swap in vertical writing", u"<fo:external-graphic width=\"10mm\" height=\"5mm\" content-type=\"png\"/>",
         u"<html><div style=\"writing-mode:vertical-rl;\"><img style=\"height:10mm; width:5mm; \"/></div></html>", {}, true},
        {"kanbun passage", u"<fo:inline-container id=\"kan1\"><fo:inline>a</fo:inline><fo:inline-container>"
                           u"<fo:inline>b</fo:inline><fo:inline>漢</fo:inline><fo:inline>c</fo:inline></fo:inline-container>"
                           u"<fo:inline>d</fo:inline></fo:inline-container>",
         u"<html><span>漢</span></html>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf16ToUtf8(Page(c.flow, c.parts, c.vertical)), Utf16ToUtf8(c.html)) << c.what;
    EXPECT_TRUE(shell.requests.empty());
    // None of these needs a picture, so no images folder is made.
    EXPECT_EQ(FolderEntries(Folder()), std::vector<std::string>{"page.htm"});
}

TEST_F(HtmlTest, ThePageIsUtf16WithByteOrderMark)
{
    Page(u"<fo:block>問</fo:block>");
    const std::string bytes = ReadText(Folder() + "/page.htm");
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE<\0", 4));
    EXPECT_NE(bytes.find(std::string("U\0T\0F\0-\0" "1\0" "6\0", 12)), std::string::npos);
}

TEST_F(HtmlTest, FormulasBecomeNumberedIndexedPngs)
{
    const std::u16string formula =
        u"<fo:instream-foreign-object><math><mfrac><mi>a</mi><mi>b</mi></mfrac></math></fo:instream-foreign-object>";
    for (int run = 0; run < 2; ++run) {
        const std::u16string page = Page(u"<fo:block>" + formula + formula + u"</fo:block>");
        EXPECT_EQ(Utf16ToUtf8(page), "<html><div><img src=\"page.files\\01m.png\" style=\"vertical-align:middle;\"/>"
                                     "<img src=\"page.files\\02m.png\" style=\"vertical-align:middle;\"/></div></html>");
        EXPECT_EQ(FolderEntries(Folder() + "/page.files"), (std::vector<std::string>{"01m.png", "02m.png"}));
        EXPECT_EQ(PngColourType(Folder() + "/page.files/01m.png"), 3);
    }
}

TEST_F(HtmlTest, ObjectsAndPicturesAreDrawnOrCopiedAndTheirSourcesDeleted)
{
    WriteText(Folder() + "/paper.tmp", "print file");
    WriteText(Folder() + "/paper-02.bin", std::string("QNOBJ\x01", 6));
    WriteText(Folder() + "/paper-01.png", "picture bytes");
    Prepared<CHtmlExporter> exporter;
    exporter.SetFo(Fo(u"<fo:block><fo:instream-foreign-object><object data=\"paper-02.bin\" width=\"20mm\" height=\"10mm\"/>"
                      u"</fo:instream-foreign-object><fo:external-graphic src=\"paper-01.png\" width=\"5mm\"/></fo:block>"));
    exporter.SetSource(Folder() + "/paper.tmp");
    EXPECT_EQ(Utf16ToUtf8(Page(exporter, TRUE)),
              "<html><div><img src=\"page.files\\paper-02o.png\" style=\"width:20mm; height:10mm; \"/>"
              "<img src=\"page.files\\paper-01.png\" style=\"width:5mm; \"/></div></html>");
    EXPECT_EQ(FolderEntries(Folder()), (std::vector<std::string>{"page.files", "page.htm"}));
    EXPECT_EQ(FolderEntries(Folder() + "/page.files"), (std::vector<std::string>{"paper-01.png", "paper-02o.png"}));
    EXPECT_EQ(ReadText(Folder() + "/page.files/paper-01.png"), "picture bytes");
    EXPECT_EQ(PngColourType(Folder() + "/page.files/paper-02o.png"), 3);
}

TEST_F(HtmlTest, APictureAlreadyInPlaceIsNeitherCopiedNorDeleted)
{
    fs::create_directory(Folder() + "/page.files");
    WriteText(Folder() + "/page.files/p.png", "picture");
    Prepared<CHtmlExporter> exporter;
    exporter.SetFo(Fo(u"<fo:external-graphic src=\"p.png\"/>"));
    exporter.SetSource(Folder() + "/page.files/paper.tmp");
    Page(exporter, TRUE);
    EXPECT_EQ(ReadText(Folder() + "/page.files/p.png"), "picture");
}

TEST_F(HtmlTest, BadSideFilesAndNamesAreReportedOrLeftAlone)
{
    const std::string outside = Folder() + "/outside";
    fs::create_directory(outside);
    WriteText(outside + "/x.bin", "QNOBJ");
    WriteText(outside + "/x.png", "x");
    WriteText(Folder() + "/paper/corrupt.bin", "");
    fs::create_directory(Folder() + "/paper");
    WriteText(Folder() + "/paper/corrupt.bin", "NOT AN OBJECT");
    WriteText(Folder() + "/paper/huge.bin", "QNOBJ");
    fs::resize_file(Folder() + "/paper/huge.bin", std::uintmax_t(65) << 20);
    struct Case {
        const char* what;
        std::u16string flow;
        std::u16string html;
        std::vector<std::u16string> messages;
    };
    const Case cases[] = {
        {"a missing side file is reported and ends its foreign object",
         u"<fo:instream-foreign-object><object data=\"gone.bin\"/><dno/></fo:instream-foreign-object>",
         u"<html><img src=\"page.files\\goneo.png\"/></html>", {u"ファイル gone.bin を開けません。"}},
        {"a corrupt side file draws nothing", u"<fo:instream-foreign-object><object data=\"corrupt.bin\" width=\"1mm\"/></fo:instream-foreign-object>",
         u"<html><img src=\"page.files\\corrupto.png\" style=\"width:1mm; \"/></html>", {}},
        {"an oversized side file draws nothing", u"<fo:instream-foreign-object><object data=\"huge.bin\"/></fo:instream-foreign-object>",
         u"<html><img src=\"page.files\\hugeo.png\"/></html>", {}},
        {"names with folders are not read", u"<fo:instream-foreign-object><object data=\"../outside/x.bin\"/></fo:instream-foreign-object>"
                                            u"<fo:external-graphic src=\"../outside/x.png\"/><fo:external-graphic src=\"" +
                                                Utf8ToUtf16(outside) + u"/x.png\"/>",
         u"<html><img/><img/><img/></html>", {}},
        {"a missing picture is not copied", u"<fo:external-graphic src=\"none.png\"/>", u"<html><img src=\"page.files\\none.png\"/></html>", {}},
    };
    for (const Case& c : cases) {
        shell.requests.clear();
        Prepared<CHtmlExporter> exporter;
        exporter.SetFo(Fo(c.flow), {kMajor3});
        exporter.SetSource(Folder() + "/paper/paper.tmp");
        EXPECT_EQ(Utf16ToUtf8(Page(exporter, TRUE)), Utf16ToUtf8(c.html)) << c.what;
        EXPECT_EQ(shell.Messages(), c.messages) << c.what;
    }
    EXPECT_EQ(FolderEntries(outside), (std::vector<std::string>{"x.bin", "x.png"}));
    EXPECT_EQ(FolderEntries(Folder() + "/page.files"), std::vector<std::string>{});
}

TEST_F(HtmlTest, NoDocumentOrNoPathSavesNothing)
{
    CHtmlExporter exporter;
    EXPECT_FALSE(exporter.SaveHtml(Folder() + "/page.htm", FALSE));
    EXPECT_FALSE(exporter.SaveHtml("", FALSE));
    EXPECT_EQ(FolderEntries(Folder()), std::vector<std::string>{});
}
