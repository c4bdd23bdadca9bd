// One keystroke as the editing view handles it: a character inserted at the caret through the
// caret-editing operation with its undo record, the paper measured and laid out again, and the
// page under the caret drawn into a 96-dpi image. Papers of 10, 40 and 160 pages, both writing
// directions. The insertion is taken back between iterations, outside the timing.
#include "bench_paper.h"

#include "nodes/undo.h"
#include "nodes/undo_replay.h"

using namespace benchpaper;

namespace {

// Times `edit` at the caret, the layout after it and the drawing of the caret's page; the edit's
// undo group is replayed and the paper laid out again between iterations, outside the timing.
template <typename Edit>
void TimeEdit(benchmark::State& state, LaidOutPaper& paper, CCaret& caret, Edit edit)
{
    paper.Layout();
    ScreenPage screen(paper.root.get());
    for (auto _ : state) {
        CUndoGroup group;
        edit(group);
        paper.Layout();
        screen.Draw(paper.root.get(), caret.m_caretNode->m_page);

        state.PauseTiming();
        ReplayUndoGroup(group, UndoDirection::Undo);
        paper.Layout();
        state.ResumeTiming();
    }
    state.counters["pages"] = paper.root->GetPageCount();
}

void Keystroke(benchmark::State& state)
{
    LaidOutPaper paper(state);
    CCaret caret;
    caret.m_caretNode = CaretNodeAt(paper.root.get(), 0.5);
    CStringW typed(u"字");
    TimeEdit(state, paper, caret, [&](CUndoGroup& group) { caret.m_caretNode->InsertChars(&caret, &typed, &group); });
}

// Enter at the caret: a new line moves every block after it, and the blocks that then break
// across a page differently are measured again.
void LineBreakKeystroke(benchmark::State& state)
{
    LaidOutPaper paper(state);
    // At the start of a line of the block's text: the break adds an empty line.
    CCaret caret;
    CEditNode* part = CaretNodeAt(paper.root.get(), 0.5)->GetEditParent();
    int start = 0;
    while (start < part->GetChildCount() && !IsLineBreak(part->GetEditChild(start)))
        ++start;
    caret.m_caretNode = part->GetEditChild(start + 1);
    TimeEdit(state, paper, caret, [&](CUndoGroup& group) { caret.m_caretNode->InsertLineBreak(&caret, &group); });
}

// The same paper measured and laid out again with nothing changed.
void CleanRelayout(benchmark::State& state)
{
    LaidOutPaper paper(state);
    paper.Layout();
    for (auto _ : state)
        paper.Layout();
    state.counters["pages"] = paper.root->GetPageCount();
}

// Drawing the page under the caret alone.
void DrawVisiblePage(benchmark::State& state)
{
    LaidOutPaper paper(state);
    paper.Layout();
    ScreenPage screen(paper.root.get());
    const int page = CaretNodeAt(paper.root.get(), 0.5)->m_page;
    for (auto _ : state)
        screen.Draw(paper.root.get(), page);
}

}  // namespace

BENCHMARK(Keystroke)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(LineBreakKeystroke)->ArgsProduct({{10, 40, 160, 640}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(CleanRelayout)->ArgsProduct({{40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(DrawVisiblePage)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()
