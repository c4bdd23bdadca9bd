// The mouse and the clipboard through the editing view's controller on a 40-page paper in both
// writing directions: a selection dragged with the button down, whose corner moves through 200
// positions over the question parts on screen (each move selects through OnDragSelect and
// repaints the visible area into the off-screen buffer), and Copy and Paste of a whole question
// part (the paste taken back by Undo outside the timing).
#include "bench_view.h"



using namespace benchpaper;

namespace {

constexpr RECT kClient{0, 0, 1200, 900};

// A view on the paper, scrolled to its middle.
struct ViewOnPaper {
    explicit ViewOnPaper(const benchmark::State& state)
        : document(BuildPaper(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))))
    {
        view.OnInitialUpdate();
        view.SetCaretNode(CaretNodeAt(document.root.get(), 0.5));
        view.UpdateCaret(FALSE);
        view.EnsureCaretVisible();
        view.Paint(kClient);
    }
    BenchDocument document;
    BenchHost host;
    VIEW_SETTINGS settings;
    CEditViewController view{document, host, settings};
};

void DragSelection(benchmark::State& state)
{
    ViewOnPaper on(state);
    CEditViewController& view = on.view;
    // 200 corner positions on a zigzag over the client area, which shows question parts.
    std::vector<POINT> path;
    for (int i = 0; i < 200; ++i)
        path.push_back(POINT{100 + (i * 37) % 1000, 100 + (i * 53) % 700});
    const int relayouts = view.GetRelayoutCount();
    view.OnLButtonDown(0, POINT{300, 300});
    size_t next = 0;
    for (auto _ : state) {
        view.OnMouseMove(0, path[next]);
        view.Paint(kClient);
        next = (next + 1) % path.size();
    }
    view.OnLButtonUp(0, path[next]);
    if (view.GetRelayoutCount() != relayouts)
        state.SkipWithError("a drag laid the paper out");
    state.counters["pages"] = on.document.root->GetPageCount();
}

void CopyQuestionPart(benchmark::State& state)
{
    ViewOnPaper on(state);
    CEditViewController& view = on.view;
    view.OnEditSelectAll();
    for (auto _ : state)
        view.OnEditCopy();
}

void PasteQuestionPart(benchmark::State& state)
{
    ViewOnPaper on(state);
    CEditViewController& view = on.view;
    view.OnEditSelectAll();
    view.OnEditCopy();
    view.SetAnchorNode(nullptr);
    for (auto _ : state) {
        view.OnEditPaste();

        state.PauseTiming();
        view.OnEditUndo();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(DragSelection)
    ->ArgsProduct({{40}, {0, 1}})
    ->ArgNames({"pages", "vertical"})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CopyQuestionPart)->ArgsProduct({{40}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(PasteQuestionPart)->ArgsProduct({{40}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()
