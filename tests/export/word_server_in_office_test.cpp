// The .docx of our Word server as an office program reads it: LibreOffice converts it to PDF
// headless and pdftotext finds its text, the ruby's base and reading, the table's cells and the
// text after a page break. Skipped where LibreOffice or pdftotext is missing.
#include "export/word_server.h"

#include "export/automation_wrappers.h"
#include "platform/clipboard.h"
#include "platform/packed_dib.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Object = CWordDispatch;

QString Program(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

// The text of the document as LibreOffice prints it, or empty when the conversion fails. Each
// run has a profile of its own, so that parallel runs do not wait for each other's lock.
std::string PrintedText(const QString& office, const QString& pdfToText, const QTemporaryDir& folder,
                        const QString& docx)
{
    QProcess convert;
    convert.start(office, {"-env:UserInstallation=file://" + folder.filePath("profile"), "--headless",
                           "--convert-to", "pdf", "--outdir", folder.path(), docx});
    if (!convert.waitForFinished(120000))
        return std::string();
    const QString pdf = folder.filePath("paper.pdf");
    QProcess text;
    text.start(pdfToText, {"-enc", "UTF-8", pdf, "-"});
    if (!text.waitForFinished(60000))
        return std::string();
    return text.readAllStandardOutput().toStdString();
}

std::vector<BYTE> GreyDib(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> dib(40 + static_cast<size_t>(stride) * height, 0x80);
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::memcpy(dib.data(), &header, sizeof header);
    return dib;
}

}  // namespace

TEST(WordServerInOffice, LibreOfficePrintsTheTextRubyTableAndPages)
{
    const QString office = Program({"soffice", "libreoffice"});
    const QString pdfToText = Program({"pdftotext"});
    if (office.isEmpty() || pdfToText.isEmpty())
        GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    QTemporaryDir folder;

    Object app(NewWordServer());
    Object documents(app.GetDocuments());
    VARIANT missing[10];
    for (VARIANT& argument : missing)
        argument = VARIANT::Missing();
    Object document(documents.AddDocument(&missing[0], &missing[1]));
    Object selection(Object(Object(document.GetActiveWindow()).GetActivePane()).GetSelection());
    Object font(selection.GetFont());
    font.SetName("\x82\x6c\x82\x72 \x96\xbe\x92\xa9");
    font.SetSize(10.5f);
    selection.TypeText(u"細胞の構造について答えよ。");
    selection.TypeText(u"漢字");
    VARIANT unit = VARIANT::Long(1);
    VARIANT back = VARIANT::Long(-2);
    selection.MoveStart(&unit, &back);
    Object(selection.GetRange()).PhoneticGuide(u"かんじ", 2, 0, 5, "\x82\x6c\x82\x72 \x96\xbe\x92\xa9");
    VARIANT two = VARIANT::Long(2);
    selection.Move(&unit, &two);
    selection.TypeText(u"を読め。");
    ASSERT_TRUE(SetClipboardDib(GreyDib(8, 8)));
    selection.Paste();
    selection.TypeParagraph();
    Object table(Object(document.GetTables()).AddTable(selection.GetRange(), 2, 2));
    Object(Object(table.Cell(1, 1)).GetRange()).Select();
    selection.TypeText(u"条件");
    Object(Object(table.Cell(2, 2)).GetRange()).Select();
    selection.TypeText(u"結果");
    VARIANT extend = VARIANT::Long(0);
    selection.MoveRight(&unit, &two, &extend);
    VARIANT pageBreak = VARIANT::Long(7);
    selection.InsertBreak(&pageBreak);
    selection.TypeText(u"次のページ");
    const QString docx = folder.filePath("paper.docx");
    VARIANT name = VARIANT::String(docx.toStdU16String());
    document.SaveAs({&name, &missing[0], &missing[1], &missing[2], &missing[3], &missing[4], &missing[5], &missing[6],
                     &missing[7], &missing[8], &missing[9]});

    const std::string text = PrintedText(office, pdfToText, folder, docx);
    ASSERT_FALSE(text.empty()) << "LibreOffice did not convert the document";
    for (const char* part : {"細胞の構造について答えよ。", "漢字", "かんじ", "を読め。", "条件", "結果", "次のページ"})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
    // The page break starts a second page: pdftotext separates pages with a form feed.
    EXPECT_NE(text.find('\f'), text.rfind('\f')) << text;
}
