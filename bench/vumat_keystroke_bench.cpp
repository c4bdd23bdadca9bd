// One keystroke in the formula editor's view on a long formula: the character typed as a key
// event (its undo group pushed, the formula laid out again, the caret placed and scrolled into
// sight), the window repainted through the off-screen bitmap, and the object's state that the
// container receives after each edit (data, extent and picture). Formulas of 100, 400 and 1600
// characters; the insertion is taken back between iterations, outside the timing.
#include "bench_paper.h"

#include "formula/vumat_doc.h"
#include "formula/vumat_view.h"
#include "math/formula_family.h"
#include "nodes/edit_switches.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

namespace {

class BenchHost : public IVumatViewHost {
public:
    SIZE GetClientSize() const override { return SIZE{800, 300}; }
    SIZE GetScreenSize() const override { return SIZE{1920, 1080}; }
    void Invalidate(const RECT*) override {}
};

void VumatKeystroke(benchmark::State& state)
{
    RegisterFormulaFamily();
    UseWideTextOut = 0;
    CVumatDoc document;
    BenchHost host;
    CVumatView view(document, host);
    document.SetViewUpdater([&view](intptr_t hint) { view.OnUpdate(static_cast<int>(hint)); });
    document.OnNewDocument();
    view.OnInitialUpdate();
    const int length = static_cast<int>(state.range(0));
    std::u16string text;
    for (int i = 0; i < length; ++i)
        text += u"x+2=ab"[i % 6];
    view.OnImeComposition(text);
    // Typing goes in at the middle of the formula.
    for (int i = 0; i < length / 2; ++i)
        view.OnKeyDown(VumatKey::kLeft, false);
    const RECT client{0, 0, 800, 300};
    view.OnPaint(client);
    size_t bytes = 0;
    for (auto _ : state) {
        view.OnChar(u'y');
        view.OnPaint(client);
        bytes = document.CaptureState().storage.size();

        state.PauseTiming();
        if (CUndoGroup* group = document.GetUndoRecord())
            ReplayUndoGroup(*group, UndoDirection::Undo);
        view.OnUpdate(VumatHint::kAll);
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK(VumatKeystroke)->Arg(100)->Arg(400)->Arg(1600)->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN();
