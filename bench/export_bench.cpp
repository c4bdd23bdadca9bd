// The HTML and text exports of a 40-page paper, step by step: writing the print file, loading it
// with its stylesheet applied, converting the XSL-FO into text or a page; and the pictures of a
// page full of formulas. Both writing directions.
#include "bench_paper.h"

#include "export/html_exporter.h"
#include "export/text_exporter.h"
#include "platform/shell.h"
#include "printfile/print_writer.h"

#include <QTemporaryDir>

#include <fstream>

using namespace benchpaper;

namespace {

constexpr int kPages = 40;
constexpr int kFormulas = 40;

struct EXPORT_PAPER {
    QTemporaryDir dir;
    std::unique_ptr<CEditPrint> root;
    std::string printFile;

    explicit EXPORT_PAPER(int vertical) : root(BuildPaper(kPages, vertical))
    {
        SetShellHandler([](SHELL_REQUEST& request) { return ShellDefaultAnswer(request); });
        printFile = Path("paper.tmp");
    }
    std::string Path(const char* name) const { return dir.path().toStdString() + "/" + name; }
    void Write() { SavePrintFile(root.get(), printFile); }
};

void WritePrintFile(benchmark::State& state)
{
    EXPORT_PAPER paper(static_cast<int>(state.range(0)));
    for (auto _ : state)
        paper.Write();
}

void LoadAndTransform(benchmark::State& state)
{
    EXPORT_PAPER paper(static_cast<int>(state.range(0)));
    paper.Write();
    for (auto _ : state) {
        CTextExporter reader;
        benchmark::DoNotOptimize(reader.Load(paper.printFile));
    }
}

void ConvertToText(benchmark::State& state)
{
    EXPORT_PAPER paper(static_cast<int>(state.range(0)));
    paper.Write();
    for (auto _ : state) {
        state.PauseTiming();
        CTextExporter exporter;
        exporter.Load(paper.printFile);
        state.ResumeTiming();
        exporter.SaveText(paper.Path("out.txt"), FALSE);
    }
}

void ConvertToHtml(benchmark::State& state)
{
    EXPORT_PAPER paper(static_cast<int>(state.range(0)));
    paper.Write();
    for (auto _ : state) {
        state.PauseTiming();
        CHtmlExporter exporter;
        exporter.Load(paper.printFile);
        state.ResumeTiming();
        exporter.SaveHtml(paper.Path("out.htm"), FALSE);
    }
}

// A print file whose one part holds kFormulas formulas, each drawn into its own picture.
std::string FormulaPrintFile()
{
    std::string formulas;
    for (int i = 0; i < kFormulas; ++i)
        formulas += "<math><mfrac><mi>a</mi><msup><mi>x</mi><mn>" + std::to_string(i) + "</mn></msup></mfrac></math>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><print><dmon><mon><dai>" + formulas +
           "</dai></mon></dmon><xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\""
           " xmlns:fo=\"http://www.w3.org/1999/XSL/Format\"><xsl:template match=\"/\"><fo:root><fo:page-sequence>"
           "<fo:flow><xsl:apply-templates select=\"/print/dmon[1]/mon/dai\"/></fo:flow></fo:page-sequence></fo:root>"
           "</xsl:template><xsl:template match=\"dai\"><fo:block-container><fo:block><xsl:for-each select=\"math\">"
           "<fo:instream-foreign-object><xsl:copy-of select=\".\"/></fo:instream-foreign-object></xsl:for-each>"
           "</fo:block></fo:block-container></xsl:template></xsl:stylesheet></print>";
}

void FormulaImages(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string source = dir.path().toStdString() + "/formulas.tmp";
    std::ofstream(source, std::ios::binary) << FormulaPrintFile();
    for (auto _ : state) {
        state.PauseTiming();
        CHtmlExporter exporter;
        exporter.Load(source);
        state.ResumeTiming();
        exporter.SaveHtml(dir.path().toStdString() + "/out.htm", FALSE);
    }
    state.counters["formulas"] = kFormulas;
}

}  // namespace

BENCHMARK(WritePrintFile)->Arg(0)->Arg(1)->ArgName("vertical")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndTransform)->Arg(0)->Arg(1)->ArgName("vertical")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertToText)->Arg(0)->Arg(1)->ArgName("vertical")->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertToHtml)->Arg(0)->Arg(1)->ArgName("vertical")->Unit(benchmark::kMillisecond);
BENCHMARK(FormulaImages)->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()
