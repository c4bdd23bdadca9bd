// The whole job on a big paper, as one process: open a print file (read and convert), lay it out
// for the screen, and print every page into a PDF file. The paper has the real structure (name
// field, question numbers, points, ruby, a table and a formula in every question): the sample
// paper's questions repeated until the paper has about the pages asked for, in either writing
// direction, read once, written by the print-file writer and read back by the benchmark.
//
// Each phase is a counter in milliseconds, of the clock ("open_ms") and of the process's processor
// time ("open_cpu_ms", steadier on a loaded machine); "peak_MiB" is the process's peak resident memory so
// far and "bytes_per_char" the heap and node pool the opened paper holds per character node. The
// paper is made in a child process, which leaves this one's heap as a fresh program's. For the peak of
// one size alone, run one size per process: --benchmark_filter=BigPaper/pages:160/vertical:0
#include "bench_paper.h"
#include "big_paper.h"

#include "nodes/edit_node.h"
#include "nodes/node_pool.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>
#include <ctime>

using namespace benchpaper;
using namespace bigpaper;

namespace {

constexpr int kPrinterDpi = 300;
// Milliseconds of processor time the process has used.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The bytes the allocator and the node pool have handed out and not had back: the heap's, mapped
// blocks included, with the pool's blocks counted by the slots in use.
double AllocatedBytes()
{
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<double>(heap.uordblks + heap.hblkhd) - static_cast<double>(NodePool::BytesReserved()) +
           static_cast<double>(NodePool::BytesInUse());
}

int CountCharacters(CEditNode* node)
{
    int count = node->IsKind(EditKind::kChar) ? 1 : 0;
    for (int i = 0; i < node->GetChildCount(); ++i)
        if (CEditNode* child = node->GetEditChild(i))
            count += CountCharacters(child);
    return count;
}

// Every page of the paper into a PDF file at the printer's resolution, as the print command does.
void PrintAllPages(CEditPrint* root, const QString& file)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(kPrinterDpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    std::unique_ptr<CQtDC> dc = CQtDC::ForPrinter(&printer);
    CDisplayMap map = ScreenMap(root->m_vertical);
    map.SetResolution(dc->GetDeviceCaps(LOGPIXELSX), dc->GetDeviceCaps(LOGPIXELSY), 100);
    if (root->m_vertical) {
        SIZE sheet{0, root->m_geometry.height};
        map.DocToDeviceSize(&sheet);
        dc->SetViewportOrg(sheet.cx, 0);
    }
    for (int page = 1; page <= root->GetPageCount(); ++page) {
        if (page > 1)
            dc->NewPage();
        LAYOUT_CONTEXT context;
        context.page = page;
        root->LayoutPage(&context, 0);
        context = LAYOUT_CONTEXT();
        context.page = page;
        root->DrawPage(dc.get(), &map, &context);
    }
    dc->End();
}

void BigPaper(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    QTemporaryDir folder;
    const std::string paperFile = folder.filePath("paper.xml").toStdString();
    const QString pdfFile = folder.filePath("paper.pdf");
    if (!WriteBenchPaperApart(pages, vertical, paperFile)) {
        state.SkipWithError("the benchmark paper could not be made");
        return;
    }
    double openMs = 0, layoutMs = 0, printMs = 0, bytesPerChar = 0;
    double openCpu = 0, layoutCpu = 0, printCpu = 0;
    int pageCount = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        const double before = AllocatedBytes();
        double cpu = CpuMs();
        clock.start();
        auto root = std::make_unique<CEditPrint>();
        const bool loaded = LoadXmlFile(root.get(), paperFile);
        openMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        openCpu = CpuMs() - cpu;
        if (!loaded) {
            state.SkipWithError("the benchmark paper could not be read");
            return;
        }
        bytesPerChar = (AllocatedBytes() - before) / std::max(1, CountCharacters(root.get()));

        cpu = CpuMs();
        clock.restart();
        std::unique_ptr<CDC> dc = MeasuringDC();
        CDisplayMap map = ScreenMap(root->m_vertical);
        MeasureAndLayout(root.get(), dc.get(), &map);
        layoutMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        layoutCpu = CpuMs() - cpu;
        pageCount = root->GetPageCount();

        cpu = CpuMs();
        clock.restart();
        PrintAllPages(root.get(), pdfFile);
        printMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        printCpu = CpuMs() - cpu;
    }
    state.counters["pages"] = pageCount;
    state.counters["open_ms"] = openMs;
    state.counters["layout_ms"] = layoutMs;
    state.counters["print_ms"] = printMs;
    state.counters["open_cpu_ms"] = openCpu;
    state.counters["layout_cpu_ms"] = layoutCpu;
    state.counters["print_cpu_ms"] = printCpu;
    state.counters["peak_MiB"] = PeakMiB();
    state.counters["bytes_per_char"] = bytesPerChar;
    const QString kept = QString("-%1-%2").arg(vertical ? "v" : "h").arg(pages);
    if (const QByteArray keep = qgetenv("QN_BENCH_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(pdfFile, QString::fromLocal8Bit(keep) + kept + ".pdf");
    // The paper itself, to be opened in the running program.
    if (const QByteArray keep = qgetenv("QN_BENCH_KEEP_PAPER"); !keep.isEmpty())
        QFile::copy(QString::fromStdString(paperFile), QString::fromLocal8Bit(keep) + kept + ".xml");
}

}  // namespace

BENCHMARK(BigPaper)
    ->ArgsProduct({{10, 40, 160, 640}, {0, 1}})
    ->ArgNames({"pages", "vertical"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()
