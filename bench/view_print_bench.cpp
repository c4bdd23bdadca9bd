// Printing and print preview through the editing view's own path: the paper printed page by page
// through the view's OnPrint into a PDF file (the print command with its dialog answered), for
// 10, 20 and 40 pages, so that the time per page shows whether printing stays linear; and the
// preview's step from one page to the next at 100 %, each step drawing the new page into its
// image, with the median step reported.
#include "bench_view.h"

#include "platform/shell.h"
#include "view/sorel_pv_view.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace benchpaper;

namespace {

// The view on a paper of the benchmark's pages and direction, laid out.
struct PrintedView {
    explicit PrintedView(const benchmark::State& state)
        : document(BuildPaper(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))))
    {
        view.OnInitialUpdate();
    }
    BenchDocument document;
    BenchHost host;
    VIEW_SETTINGS settings;
    CEditViewController view{document, host, settings};
};

void PrintToPdf(benchmark::State& state)
{
    PrintedView paper(state);
    QTemporaryDir folder;
    const std::string file = folder.filePath("paper.pdf").toStdString();
    const ShellHandler former = SetShellHandler([&file](SHELL_REQUEST& request) {
        if (request.kind != ShellRequestKind::Print)
            return IDCANCEL;
        request.file = file;
        return IDOK;
    });
    for (auto _ : state)
        paper.view.OnCommand(ViewCommand::kFilePrint);
    SetShellHandler(former);
    const int pages = paper.document.root->GetPageCount();
    state.counters["pages"] = pages;
    state.counters["s_per_page"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate |
                                                                  benchmark::Counter::kInvert);
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(QString::fromStdString(file)).size()) / 1024.0;
    if (const QByteArray keep = qgetenv("QN_BENCH_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(QString::fromStdString(file),
                    QString::fromLocal8Bit(keep) + QString("-view-%1-%2.pdf").arg(pages).arg(state.range(1) ? "v" : "h"));
}

void PreviewStep(benchmark::State& state)
{
    PrintedView paper(state);
    CPrintInfo info;
    info.m_bPreview = true;
    paper.view.OnPreparePrinting(&info);
    CSorelPvView preview(paper.view, info);
    preview.resize(1200, 900);
    preview.OnZoomIn();  // fitted → 100 %
    std::vector<double> steps;
    for (auto _ : state) {
        if (preview.CurrentPage() == info.m_nMaxPage) {
            state.PauseTiming();
            while (preview.CurrentPage() > 1)
                preview.OnPrevPage();
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        preview.OnNextPage();
        steps.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(steps.begin(), steps.end());
    state.counters["median_step_ms"] = steps.empty() ? 0.0 : steps[steps.size() / 2];
    state.counters["dpi"] = preview.PageDpi();
}

}  // namespace

BENCHMARK(PrintToPdf)
    ->ArgsProduct({{10, 20, 40}, {0, 1}})
    ->ArgNames({"pages", "vertical"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewStep)->ArgsProduct({{40}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

// A widget application: the preview is a window.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    LoadFontAliasRules();
    QApplication app(argc, argv);
    CreateGdiResources();
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
