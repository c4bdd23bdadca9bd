// The formula editor as its container meets it: the program's start, from the process start to
// its first CHANGED frame, for a new object and for a loaded formula of 200 characters; and one
// keystroke on a formula of 50 to 800 characters, from the key to the CHANGED frame written to
// the container (the view's typing, layout and caret, the object's data, extent and picture).
#include "bench_paper.h"

#include "formula/vumat_doc.h"
#include "formula/vumat_view.h"
#include "math/formula_family.h"
#include "math/math_char.h"
#include "platform/embedding_protocol.h"
#include "platform/embedding_server.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using namespace Embedding;

// The drawing switches and formula classes as the program sets them up.
void PrepareLikeTheProgram()
{
    static const bool prepared = [] {
        RegisterFormulaFamily();
        UseWideTextOut = 0;
        return true;
    }();
    (void)prepared;
}

// A formula of `count` characters: letters, digits and operators in turn.
void FillFormula(CVumatDoc& document, int count)
{
    PrepareLikeTheProgram();
    static constexpr char16_t kPattern[] = u"x2+y3-z=ab1";
    CEditNode* formula = document.GetRoot()->GetEditChild(0);
    for (int i = 0; i < count; ++i)
        formula->InsertChildAt(formula->GetChildCount() - 1, new CEditMathChar(kPattern[i % 11]));
    document.LayoutRoot();
}

std::vector<uint8_t> LoadedFormulaData()
{
    CVumatDoc document;
    document.OnNewDocument();
    FillFormula(document, 200);
    std::string bytes;
    document.StoreObjectData(&bytes);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Starts the program on a channel, says HELLO (and LOAD) and waits for the first frame.
void StartProgram(benchmark::State& state, bool loaded)
{
    QTemporaryDir config;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    const std::vector<uint8_t> data = loaded ? LoadedFormulaData() : std::vector<uint8_t>();
    HELLO_MESSAGE hello;
    hello.className = "Vumat.Document";
    hello.isNew = !loaded;
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QString::fromUtf8(QN_VUMAT_PROGRAM), {"-Embedding"});
        process.waitForStarted();
        std::vector<uint8_t> out = EncodeHello(hello);
        if (loaded) {
            const std::vector<uint8_t> load = EncodeLoad(data);
            out.insert(out.end(), load.begin(), load.end());
        }
        process.write(reinterpret_cast<const char*>(out.data()), qint64(out.size()));
        CFrameReader reader;
        FRAME frame;
        bool answered = false;
        while (!answered && process.waitForReadyRead(30000)) {
            const QByteArray bytes = process.readAllStandardOutput();
            reader.Feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
            answered = reader.Next(&frame) == CFrameReader::Result::Frame;
        }
        state.PauseTiming();
        if (!answered || frame.code != kChanged)
            state.SkipWithError("the program gave no first state");
        const std::vector<uint8_t> close = EncodeClose(false);
        process.write(reinterpret_cast<const char*>(close.data()), qint64(close.size()));
        process.closeWriteChannel();
        process.waitForFinished(10000);
        state.ResumeTiming();
    }
}

void VumatStartNew(benchmark::State& state) { StartProgram(state, false); }
void VumatStartLoaded(benchmark::State& state) { StartProgram(state, true); }

// The window the view reports to: a fixed client area.
class BenchHost : public IVumatViewHost {
public:
    SIZE GetClientSize() const override { return SIZE{800, 400}; }
    void Invalidate(const RECT*) override {}
};

void VumatKeystroke(benchmark::State& state)
{
    int channel[2];
    if (pipe(channel) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    fcntl(channel[0], F_SETFL, O_NONBLOCK);
    // Room for a frame, so that the write never waits for the reader.
    fcntl(channel[1], F_SETPIPE_SZ, 1 << 20);
    {
        PrepareLikeTheProgram();
        CVumatDoc document;
        CEmbeddingServer server(&document, -1, channel[1]);
        HELLO_MESSAGE hello;
        hello.className = "Vumat.Document";
        hello.isNew = true;
        server.Feed(EncodeHello(hello));
        FillFormula(document, static_cast<int>(state.range(0)));
        BenchHost host;
        CVumatView view(document, host);
        view.OnInitialUpdate();
        std::vector<uint8_t> drain(1 << 20);
        const RECT client{0, 0, 800, 400};
        for (auto _ : state) {
            view.OnChar(u'a');
            state.PauseTiming();
            view.OnPaint(client);
            view.OnChar(8);
            while (read(channel[0], drain.data(), drain.size()) > 0) {
            }
            state.ResumeTiming();
        }
        state.counters["characters"] = static_cast<double>(state.range(0));
    }
    close(channel[0]);
    close(channel[1]);
}

}  // namespace

BENCHMARK(VumatStartNew)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(VumatStartLoaded)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(VumatKeystroke)->Arg(50)->Arg(200)->Arg(800)->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN();
