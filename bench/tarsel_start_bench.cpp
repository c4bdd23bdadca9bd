// The problem editor's start as a user meets it: from the process start to the first paint of the
// paper's page, with Tarsel opening a big paper (big_paper.h) given on its command line. "cpu_ms"
// is the processor time the program used until then, steadier than the clock on a loaded machine.
#include "bench_paper.h"
#include "big_paper.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

// Milliseconds of processor time the finished and collected child processes have used.
double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Starts the program on the paper and waits for its report of the first paint; the program is
// ended there. False when it never painted.
bool StartToFirstPaint(const QProcessEnvironment& environment, const QString& paper)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromUtf8(QN_TARSEL_PROGRAM), {paper});
    bool painted = false;
    while (!painted && process.waitForReadyRead(60000))
        painted = process.readAllStandardOutput().contains("painted");
    process.kill();
    process.waitForFinished(10000);
    return painted;
}

void TarselStart(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    QTemporaryDir folder;
    const std::string paper = folder.filePath("paper.xml").toStdString();
    if (!bigpaper::WriteBenchPaperApart(pages, 0, paper)) {
        state.SkipWithError("the benchmark paper could not be made");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
    environment.insert("QN_TARSEL_REPORT_PAINT", "1");
    // A first start writes the settings a user's later starts find.
    if (!StartToFirstPaint(environment, QString::fromStdString(paper))) {
        state.SkipWithError("the program did not paint the paper");
        return;
    }
    double cpuMs = 0;
    for (auto _ : state) {
        const double before = ChildrenCpuMs();
        if (!StartToFirstPaint(environment, QString::fromStdString(paper))) {
            state.SkipWithError("the program did not paint the paper");
            return;
        }
        cpuMs += ChildrenCpuMs() - before;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(TarselStart)->Arg(10)->Arg(40)->Arg(160)->ArgName("pages")->Unit(benchmark::kMillisecond)->Iterations(5);

QN_BENCHMARK_MAIN();
