// The text export: exact code page 932 bytes for hand-written XSL-FO, and the files it writes
// and deletes.
#include "export/text_exporter.h"

#include "export_fixture.h"
#include "tests/editor/shell_answers.h"

#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace exporttest;
namespace fs = std::filesystem;

namespace {

// The bytes the text export writes for an XSL-FO flow.
std::string TextOf(const std::u16string& flow, std::vector<EXPORT_PART> parts = {}, bool vertical = false)
{
    QTemporaryDir dir;
    Prepared<CTextExporter> exporter;
    exporter.SetFo(Fo(flow), std::move(parts), vertical);
    const std::string path = dir.path().toStdString() + "/out.txt";
    EXPECT_TRUE(exporter.SaveText(path, FALSE));
    return ReadText(path);
}

std::u16string Block(const std::u16string& content) { return u"<fo:block>" + content + u"</fo:block>"; }
std::u16string Formula(const std::u16string& math)
{
    return u"<fo:instream-foreign-object><math>" + math + u"</math></fo:instream-foreign-object>";
}
std::u16string Instream(const std::u16string& child)
{
    return u"<fo:block-container><fo:instream-foreign-object>" + child +
           u"</fo:instream-foreign-object></fo:block-container>";
}

const EXPORT_PART kMajor3 = {3, 0, ExportPartKind::kDai};
const EXPORT_PART kMinor2 = {3, 2, ExportPartKind::kDai};

}  // namespace

TEST(TextExport, WritesTheExactBytesOfEachConstruct)
{
    struct Case {
        const char* what;
        std::u16string flow;
        std::string bytes;
        std::vector<EXPORT_PART> parts = {};
        bool vertical = false;
    };
    const std::u16string longLine(300, u'あ');
    std::string longBytes;
    for (int i = 0; i < 300; ++i)
        longBytes += "\x82\xA0";
    const Case cases[] = {
        {"blocks end lines", Block(u"問題") + Block(u"解答"), "\x96\xE2\x91\xE8\r\n\x89\xF0\x93\x9A\r\n"},
        {"a long block stays one line", Block(longLine), longBytes + "\r\n"},
        {"hidden part left out, hidden inline written",
         u"<fo:block-container visibility=\"collapse\"><fo:block>A</fo:block></fo:block-container>"
         u"<fo:block-container><fo:block><fo:inline visibility=\"collapse\">B</fo:inline></fo:block></fo:block-container>",
         "B\r\n"},
        {"ruby: base, then reading",
         Block(u"<fo:inline-container id=\"ruby1\"><fo:inline>かんじ</fo:inline><fo:inline>漢字</fo:inline></fo:inline-container>"),
         "\x8A\xBF\x8E\x9A\x82\xA9\x82\xF1\x82\xB6\r\n"},
        {"fraction", Formula(u"<mfrac><mi>a</mi><mi>b</mi></mfrac>"), "a/b"},
        {"square root", Formula(u"<msqrt><mi>x</mi></msqrt>"), "\x81\xE3x"},
        {"cube root", Formula(u"<mroot><mi>x</mi><mn>3</mn></mroot>"), "3\x81\xE3x"},
        {"superscript", Formula(u"<msup><mi>x</mi><mn>2</mn></msup>"), "x^2"},
        {"subscript has no marker", Formula(u"<msub><mi>x</mi><mn>2</mn></msub>"), "x2"},
        {"fences from attributes", Formula(u"<mfenced open=\"(\" close=\")\"><mi>x</mi></mfenced>"), "(x)"},
        {"fences without attributes", Formula(u"<mfenced><mi>x</mi></mfenced>"), "x"},
        {"multiscripts", Formula(u"<mmultiscripts><mi>X</mi><mi>a</mi><mi>b</mi><mrow><mi>p</mi><mi>q</mi></mrow></mmultiscripts>"),
         "qpXba"},
        {"multiscripts of two", Formula(u"<mmultiscripts><mi>X</mi><mrow><mi>p</mi><mi>q</mi></mrow></mmultiscripts>"), "qpX"},
        {"gaiji text", Block(u"<fo:inline font-family=\"Orvellan Gaiji\">abc</fo:inline>"), "\x81\xA1\x81\xA1\x81\xA1\r\n"},
        {"major number", Instream(u"<dno/>"), "[3]", {kMajor3}},
        {"major number, vertical", Instream(u"<dno/>"), "\x8E\x4F", {kMajor3}, true},
        {"minor number", Instream(u"<no/>"), "\x81\x40(2)", {kMinor2}},
        {"minor number, vertical", Instream(u"<no/>"), "\x82\x51", {kMinor2}, true},
        {"points of type 2", Instream(u"<hai type=\"2\" p1=\"5\" p2=\"2\" p3=\"10\"/>"),
         "(\x8A\x65" "5\x93\x5F\x81\x7E" "2=10\x93\x5F)", {kMajor3}},
        {"points of type 4 in a minor question", Instream(u"<hai type=\"4\" p3=\"7\"/>"), "(7\x93\x5F)", {kMinor2}},
        {"points of type 4 in a major question, vertical", Instream(u"<hai type=\"4\" p3=\"7\"/>"),
         "(\x8C\x76\x82\x56\x93\x5F)", {kMajor3}, true},
        {"points of type 5", Instream(u"<hai type=\"5\" p3=\"7\"/>"), "", {kMajor3}},
        {"hidden part still counts", u"<fo:block-container visibility=\"collapse\"/>" + Instream(u"<dno/>"), "[3]",
         {{1, 0, ExportPartKind::kDai}, kMajor3}},
        {"labels past the part list write nothing", Instream(u"<dno/>") + Instream(u"<dno/><no/><hai type=\"1\" p3=\"1\"/>"),
         "[3]", {kMajor3}},
        {"pictures and objects left out",
         Block(u"a<fo:external-graphic src=\"p-01.png\"/><fo:instream-foreign-object><object data=\"p-01.bin\"/>"
               u"</fo:instream-foreign-object>b"),
         "ab\r\n"},
        {"text outside the code page", Block(u"x\u00e9\U0002000B"), "x??\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextOf(c.flow, c.parts, c.vertical), c.bytes) << c.what;
}

TEST(TextExport, TheSourceIsDeletedAndUnwritableOutputsFail)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string source = folder + "/paper.tmp";
    WriteText(source, "print file");
    Prepared<CTextExporter> exporter;
    exporter.SetFo(Fo(Block(u"x")));
    exporter.SetSource(source);
    EXPECT_FALSE(exporter.SaveText("", TRUE));
    EXPECT_FALSE(exporter.SaveText(folder + "/missing/out.txt", FALSE));
    EXPECT_TRUE(fs::exists(source));
    ASSERT_TRUE(exporter.SaveText(folder + "/out.txt", TRUE));
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"out.txt"});

    // A reader without document, as after a failed load, writes nothing.
    CTextExporter empty;
    EXPECT_FALSE(empty.SaveText(folder + "/empty.txt", FALSE));
    EXPECT_FALSE(fs::exists(folder + "/empty.txt"));
}
