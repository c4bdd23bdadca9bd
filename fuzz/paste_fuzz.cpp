// A node list as the clipboard holds it, read with the problem editor's classes and pasted by the
// editing view into a question part, a formula, a kanbun box or a text box; the paper is then laid
// out and painted on the recording context, and the paste taken back by Undo. Whatever the list
// holds, none of it may crash. The first byte chooses the place.
#include "base/gdi_cache.h"
#include "math/formula.h"
#include "math/formula_family.h"
#include "math/math_char.h"
#include "nodes/edit_char.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/kunten_box.h"
#include "nodes/kanbun_cell.h"
#include "nodes/node_archive.h"
#include "nodes/page_furniture.h"
#include "nodes/undo.h"
#include "platform/gdi_recording.h"
#include "platform/memory_file.h"
#include "view/edit_view_controller.h"

#include <exception>
#include <memory>
#include <span>
#include <vector>

namespace {

class FuzzDocument : public IViewDocument {
public:
    ~FuzzDocument() override { groups.clear(); }
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

    std::vector<std::unique_ptr<CUndoGroup>> groups;
    std::unique_ptr<CEditPrint> root = std::make_unique<CEditPrint>();
    size_t undone = 0;
};

class FuzzHost : public IEditViewHost {
public:
    SIZE GetClientSize() const override { return SIZE{400, 300}; }
    CDC* GetMeasuringDC() override { return &measuring; }
    void Invalidate(const RECT*) override {}
    CRecordingDC measuring;
};

// A question part "ab" with, before "b", the place the caret goes to; the caret node.
CEditNode* BuildPlace(CEditPrint* root, int place)
{
    auto* part = new CEditSentence();
    part->AppendChild(new CEditChar(u'a'));
    auto* b = new CEditChar(u'b');
    part->AppendChild(b);
    part->AppendChild(new CEditCR());
    root->AppendChild(part);
    switch (place) {
    case 1: {
        auto* formula = new CEditMath();
        formula->CreateDefaultSlots(0);
        b->InsertBefore(formula);
        return formula->GetEditChild(0);
    }
    case 2: {
        auto* box = new CEditKunten();
        box->AppendChild(new CEditKanCR());
        b->InsertBefore(box);
        return box->GetEditChild(0);
    }
    case 3: {
        auto* textBox = new CEditGai();
        textBox->AppendChild(new CEditCR());
        root->AppendChild(textBox);
        return textBox->GetEditChild(0);
    }
    default: return b;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const bool ready = [] {
        CreateGdiResources();
        return true;
    }();
    (void)ready;
    std::vector<std::unique_ptr<CEditNode>> nodes;
    try {
        nodes = NodeListFromBytes(std::span<const BYTE>(data + 1, size - 1), &ProblemEditorNodeClasses());
    } catch (const CArchiveException&) {
        return 0;
    } catch (const CFileException&) {
        return 0;
    }
    FuzzDocument document;
    FuzzHost host;
    VIEW_SETTINGS settings;
    CEditViewController view(document, host, settings);
    CEditNode* caret = BuildPlace(document.root.get(), data[0] % 4);
    view.OnInitialUpdate();
    view.SetCaretNode(caret);
    auto group = std::make_unique<CUndoGroup>();
    try {
        view.PasteNodes(nodes, group.get());
    } catch (const std::exception&) {
        // The command keeps what was pasted before the failure, as one step.
    }
    if (group->GetCount() > 0)
        document.PushUndo(std::move(group));
    view.OnUpdate(UpdateHint::kAll);
    CRecordingDC dc;
    view.PaintInto(&dc, RECT{0, 0, 400, 300});
    view.OnEditUndo();
    view.OnEditUndo();
    view.PaintInto(&dc, RECT{0, 0, 400, 300});
    return 0;
}
