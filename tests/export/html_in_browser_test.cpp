// Exported pages as a browser reads them: headless Chromium decodes the UTF-16 page and keeps
// its vertical writing, ruby, formula pictures and table. Skipped where Chromium is missing.
#include "export/html_exporter.h"

#include "export_fixture.h"
#include "tests/editor/shell_answers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

using namespace exporttest;

namespace {

QString Chromium()
{
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

// The page's DOM as Chromium builds it; a screenshot beside it when QN_KEEP_BROWSER_SHOTS names
// a folder, for a person to look at.
std::string BrowserDom(const QString& chromium, const std::string& page, const std::string& shotName)
{
    const QStringList common = {"--headless", "--no-sandbox", "--disable-gpu", "--allow-file-access-from-files",
                                "--virtual-time-budget=2000"};
    const QString url = "file://" + QString::fromStdString(page);
    if (const QByteArray keep = qgetenv("QN_KEEP_BROWSER_SHOTS"); !keep.isEmpty()) {
        QProcess shot;
        shot.start(chromium, common + QStringList{"--window-size=800,600",
                                                  "--screenshot=" + QString::fromLocal8Bit(keep) + "/" +
                                                      QString::fromStdString(shotName) + ".png",
                                                  url});
        shot.waitForFinished(60000);
    }
    QProcess process;
    process.start(chromium, common + QStringList{"--dump-dom", url});
    if (!process.waitForFinished(60000))
        return std::string();
    return process.readAllStandardOutput().toStdString();
}

}  // namespace

TEST(HtmlInBrowser, ChromiumReadsTheVerticalPageWithRubyFormulaAndTable)
{
    const QString chromium = Chromium();
    if (chromium.isEmpty())
        GTEST_SKIP() << "Chromium is not installed";
    QTemporaryDir dir;
    ShellAnswers shell;
    const std::u16string flow =
        u"<fo:block-container><fo:block>縦書きの<fo:inline-container id=\"ruby1\"><fo:inline>かんじ</fo:inline>"
        u"<fo:inline>漢字</fo:inline></fo:inline-container>と式<fo:instream-foreign-object><math><mfrac><mi>a</mi>"
        u"<mi>b</mi></mfrac></math></fo:instream-foreign-object>です。</fo:block></fo:block-container>"
        u"<fo:block-container><fo:table><fo:table-body><fo:table-row><fo:table-cell border=\"0.5pt solid black\">"
        u"<fo:block>表</fo:block></fo:table-cell><fo:table-cell border=\"0.5pt solid black\"><fo:block>枠</fo:block>"
        u"</fo:table-cell></fo:table-row></fo:table-body></fo:table></fo:block-container>";
    for (const bool vertical : {true, false}) {
        Prepared<CHtmlExporter> exporter;
        exporter.SetFo(Fo(flow), {}, vertical);
        const std::string page = dir.path().toStdString() + (vertical ? "/vertical.htm" : "/horizontal.htm");
        ASSERT_TRUE(exporter.SaveHtml(page, FALSE));
        const std::string dom = BrowserDom(chromium, page, vertical ? "vertical" : "horizontal");
        ASSERT_FALSE(dom.empty());
        EXPECT_NE(dom.find("<ruby><rb>漢字</rb><rt>かんじ</rt></ruby>"), std::string::npos) << dom;
        EXPECT_NE(dom.find("縦書きの"), std::string::npos);
        EXPECT_NE(dom.find(vertical ? "vertical.files\\01m.png" : "horizontal.files\\01m.png"), std::string::npos);
        if (vertical)
            EXPECT_NE(dom.find("writing-mode:vertical-rl;"), std::string::npos);
        else
            EXPECT_NE(dom.find("<td style=\"border:0.5pt solid black; \">"), std::string::npos) << dom;
    }
}
