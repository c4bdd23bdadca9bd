// The formula editor's start as its container meets it: from the process start to its first
// CHANGED frame, for a new object and for a loaded formula of 200 characters. (One keystroke to
// the state the container receives is vumat_keystroke_bench.)
#include "bench_paper.h"

#include "formula/vumat_doc.h"
#include "math/formula_family.h"
#include "math/math_char.h"
#include "nodes/edit_switches.h"
#include "platform/embedding_protocol.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

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

}  // namespace

BENCHMARK(VumatStartNew)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(VumatStartLoaded)->Unit(benchmark::kMillisecond)->Iterations(10);

QN_BENCHMARK_MAIN();
