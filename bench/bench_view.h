// What the benchmarks through the editing view's controller share: the paper as the view's
// document with a plain undo history, and a 1200 × 900 window on a 1920 × 1080 screen.
#pragma once

#include "bench_paper.h"

#include "nodes/undo.h"
#include "view/edit_view_controller.h"

#include <deque>
#include <memory>

namespace benchpaper {

class BenchDocument : public IViewDocument {
public:
    explicit BenchDocument(std::unique_ptr<CEditPrint> paper) : root(std::move(paper)) {}
    ~BenchDocument() override { groups.clear(); }
    CEditPrint* GetRoot() const override { return root.get(); }
    void PushUndo(std::unique_ptr<CUndoGroup> group) override
    {
        groups.resize(groups.size() - undone);
        undone = 0;
        groups.push_back(std::move(group));
    }
    CUndoGroup* GetUndoRecord() override
    {
        if (undone >= groups.size())
            return nullptr;
        ++undone;
        return groups[groups.size() - undone].get();
    }
    CUndoGroup* GetRedoRecord() override { return undone > 0 ? groups[groups.size() - undone--].get() : nullptr; }
    void SetModifiedFlag(bool) override {}
    void UpdateAllViews(int) override {}

    std::unique_ptr<CEditPrint> root;
    std::deque<std::unique_ptr<CUndoGroup>> groups;
    size_t undone = 0;
};

class BenchHost : public IEditViewHost {
public:
    SIZE GetClientSize() const override { return SIZE{1200, 900}; }
    SIZE GetScreenSize() const override { return SIZE{1920, 1080}; }
    CDC* GetMeasuringDC() override { return measuring.get(); }
    void Invalidate(const RECT*) override {}

    std::unique_ptr<CDC> measuring = CQtDC::WithImage(16, 16);
};

}  // namespace benchpaper
