// One keystroke through the editing view's controller: a character typed in the middle of the
// paper as a key event (its undo group pushed, the paper laid out again, the caret placed and
// scrolled into sight), then the visible area repainted into the view's off-screen buffer at
// 100 %; also Enter at a line start, and the repaint alone. Papers of 10, 40 and 160 pages in both writing directions; the insertion is taken back
// by the view's Undo between iterations, outside the timing.
#include "bench_view.h"

#include "nodes/edit_sentence.h"


using namespace benchpaper;

namespace {

void ViewKeystroke(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const int vertical = static_cast<int>(state.range(1));
    BenchDocument document(BuildPaper(pages, vertical));
    BenchHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    view.OnInitialUpdate();
    view.SetCaretNode(CaretNodeAt(document.root.get(), 0.5));
    view.UpdateCaret(FALSE);
    view.EnsureCaretVisible();
    const RECT client{0, 0, 1200, 900};
    view.Paint(client);
    for (auto _ : state) {
        view.OnChar(u'字');
        view.Paint(client);

        state.PauseTiming();
        view.OnEditUndo();
        state.ResumeTiming();
    }
    state.counters["pages"] = document.root->GetPageCount();
}

// The first node of the line after the first line break of the block at the given fraction of
// the paper: Enter there moves the rest of the block and every later block down a line.
CEditNode* LineStartAt(CEditPrint* root, double fraction)
{
    const int block = std::min(root->GetChildCount() - 1, static_cast<int>(root->GetChildCount() * fraction));
    CEditNode* part = root->GetEditChild(block);
    for (int i = 0; i + 1 < part->GetChildCount(); ++i)
        if (part->GetEditChild(i)->IsKind(EditKind::kCR))
            return part->GetEditChild(i + 1);
    return part->GetEditChild(0);
}

// Enter at the start of a line in the middle of the paper, with the repaint of the visible area.
void ViewEnterAtLineStart(benchmark::State& state)
{
    BenchDocument document(BuildPaper(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    BenchHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    view.OnInitialUpdate();
    CCaret caret = view.GetCaret();
    caret.m_caretNode = LineStartAt(document.root.get(), 0.5);
    caret.m_caretAfter = 0;
    view.SetCaret(caret);
    view.UpdateCaret(FALSE);
    view.EnsureCaretVisible();
    const RECT client{0, 0, 1200, 900};
    view.Paint(client);
    for (auto _ : state) {
        view.OnChar(13);
        view.Paint(client);

        state.PauseTiming();
        view.OnEditUndo();
        state.ResumeTiming();
    }
    state.counters["pages"] = document.root->GetPageCount();
}

// The visible area repainted with nothing changed: one page's blocks drawn into the buffer.
void ViewPaintPage(benchmark::State& state)
{
    BenchDocument document(BuildPaper(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    BenchHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    view.OnInitialUpdate();
    view.SetCaretNode(CaretNodeAt(document.root.get(), 0.5));
    view.UpdateCaret(FALSE);
    view.EnsureCaretVisible();
    const RECT client{0, 0, 1200, 900};
    for (auto _ : state)
        view.Paint(client);
    state.counters["pages"] = document.root->GetPageCount();
}

// Bold over a whole question part of 2000 characters in the middle of the paper: the setters of
// every character into one undo group, one relayout of the paper and the repaint of the visible
// area. The bold is taken back by the view's Undo between iterations, outside the timing.
void ViewBoldOverPart(benchmark::State& state)
{
    BenchDocument document(BuildPaper(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    CEditPrint* root = document.root.get();
    auto* part = new CEditSentence();
    part->m_questionNumber = 1;
    part->m_partKind = PART_QUESTION;
    int cursor = 0;
    AddText(part, 2000, &cursor);
    part->AppendChild(new CEditCR());
    root->InsertChildAt(root->GetChildCount() / 2, part);
    BenchHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    view.OnInitialUpdate();
    view.PlaceCaret(part->GetEditChild(part->GetChildCount() - 1), part->GetEditChild(0));
    view.UpdateCaret(FALSE);
    view.EnsureCaretVisible();
    const RECT client{0, 0, 1200, 900};
    view.Paint(client);
    const int relayoutsBefore = view.GetRelayoutCount();
    for (auto _ : state) {
        view.OnCommand(ViewCommand::kBold);
        view.Paint(client);

        state.PauseTiming();
        view.OnEditUndo();
        view.TypingFont().lfWeight = 400;
        state.ResumeTiming();
    }
    state.counters["pages"] = root->GetPageCount();
    // Relayouts per bold, the undo's own left out.
    state.counters["relayouts"] =
        state.iterations() > 0 ? static_cast<double>(view.GetRelayoutCount() - relayoutsBefore) / state.iterations() - 1 : 0;
}

}  // namespace

BENCHMARK(ViewBoldOverPart)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);
BENCHMARK(ViewEnterAtLineStart)
    ->ArgsProduct({{10, 40, 160, 640}, {0, 1}})
    ->ArgNames({"pages", "vertical"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ViewPaintPage)
    ->ArgsProduct({{10, 40, 160, 640}, {0, 1}})
    ->ArgNames({"pages", "vertical"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ViewKeystroke)->ArgsProduct({{10, 40, 160}, {0, 1}})->ArgNames({"pages", "vertical"})->Unit(benchmark::kMillisecond);

QN_BENCHMARK_MAIN()
