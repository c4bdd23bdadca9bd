// One keystroke as the editing view handles it: a character inserted at the caret through the
// caret-editing operation with its undo record, the paper measured and laid out again, and the
// page under the caret drawn into a 96-dpi image. Papers of 10, 40 and 160 pages, both writing
// directions. The insertion is taken back between iterations, outside the timing.
#include "bench_paper.h"

#include "nodes/undo.h"
#include "nodes/undo_replay.h"

using namespace benchpaper;

namespace {

void Keystroke(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    std::unique_ptr<CEditPrint> root = BuildPaper(pages, vertical);
    std::unique_ptr<CDC> dc = MeasuringDC();
    CDisplayMap map = ScreenMap(vertical);
    MeasureAndLayout(root.get(), dc.get(), &map);
    ScreenPage screen(root.get());

    CCaret caret;
    caret.m_caretNode = CaretNodeAt(root.get(), 0.5);
    CStringW typed(u"字");
    for (auto _ : state) {
        CUndoGroup group;
        caret.m_caretNode->InsertChars(&caret, &typed, &group);
        MeasureAndLayout(root.get(), dc.get(), &map);
        screen.Draw(root.get(), caret.m_caretNode->m_page);

        state.PauseTiming();
        ReplayUndoGroup(group, UndoDirection::Undo);
        MeasureAndLayout(root.get(), dc.get(), &map);
        state.ResumeTiming();
    }
    state.counters["pages"] = root->GetPageCount();
}

// Enter at the caret: a new line moves every block after it, and the blocks that then break
// across a page differently are measured again.
void LineBreakKeystroke(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    std::unique_ptr<CEditPrint> root = BuildPaper(pages, vertical);
    std::unique_ptr<CDC> dc = MeasuringDC();
    CDisplayMap map = ScreenMap(vertical);
    MeasureAndLayout(root.get(), dc.get(), &map);
    ScreenPage screen(root.get());

    // At the start of a line of the block's text: the break adds an empty line.
    CCaret caret;
    CEditNode* part = CaretNodeAt(root.get(), 0.5)->GetEditParent();
    int start = 0;
    while (start < part->GetChildCount() && !IsLineBreak(part->GetEditChild(start)))
        ++start;
    caret.m_caretNode = part->GetEditChild(start + 1);
    for (auto _ : state) {
        CUndoGroup group;
        caret.m_caretNode->InsertLineBreak(&caret, &group);
        MeasureAndLayout(root.get(), dc.get(), &map);
        screen.Draw(root.get(), caret.m_caretNode->m_page);

        state.PauseTiming();
        ReplayUndoGroup(group, UndoDirection::Undo);
        MeasureAndLayout(root.get(), dc.get(), &map);
        state.ResumeTiming();
    }
}

// The same paper measured and laid out again with nothing changed.
void CleanRelayout(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    std::unique_ptr<CEditPrint> root = BuildPaper(pages, vertical);
    std::unique_ptr<CDC> dc = MeasuringDC();
    CDisplayMap map = ScreenMap(vertical);
    MeasureAndLayout(root.get(), dc.get(), &map);
    for (auto _ : state)
        MeasureAndLayout(root.get(), dc.get(), &map);
    state.counters["pages"] = root->GetPageCount();
}

// Drawing the page under the caret alone.
void DrawVisiblePage(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    std::unique_ptr<CEditPrint> root = BuildPaper(pages, vertical);
    std::unique_ptr<CDC> dc = MeasuringDC();
    CDisplayMap map = ScreenMap(vertical);
    MeasureAndLayout(root.get(), dc.get(), &map);
    ScreenPage screen(root.get());
    const int page = CaretNodeAt(root.get(), 0.5)->m_page;
    for (auto _ : state)
        screen.Draw(root.get(), page);
}

}  // namespace

BENCHMARK(Keystroke)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(LineBreakKeystroke)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(CleanRelayout)->ArgsProduct({{40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(DrawVisiblePage)->ArgsProduct({{40}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()
