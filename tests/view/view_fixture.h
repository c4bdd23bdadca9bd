// A small paper, a document with an undo history and a window stand-in around the view
// controller, measured on the recording context. With the view's resolution set to 2540 dots per
// inch one client pixel is one document unit, so scroll and caret figures stay exact.
#pragma once

#include "tests/nodes/node_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/undo.h"
#include "view/edit_view_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace viewtest {

using namespace nodetest;

// The paper with a plain history: newest group last, `undone` groups at the end can be redone.
class TestDocument : public IViewDocument {
public:
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
    CUndoGroup* GetRedoRecord() override
    {
        if (undone == 0)
            return nullptr;
        return groups[groups.size() - undone--].get();
    }
    void SetModifiedFlag(bool value) override { modified = value; }
    void UpdateAllViews(int hint) override
    {
        ++updates;
        if (view != nullptr)
            view->OnUpdate(hint);
    }

    std::vector<std::unique_ptr<CUndoGroup>> groups;  // cleared first by the destructor, before the paper
    std::unique_ptr<CEditPrint> root = std::make_unique<CEditPrint>();
    size_t undone = 0;
    bool modified = false;
    int updates = 0;
    CEditViewController* view = nullptr;

    ~TestDocument() override { groups.clear(); }
};

// The children of a container, one word each: c:x a character, m:x a formula character,
// k:x a kanbun character, | a line break, and the containers by kind with their children.
inline std::string Describe(const CEditNode* node)
{
    std::string out;
    for (int i = 0; i < node->GetChildCount(); ++i) {
        const CEditNode* child = node->GetEditChild(i);
        if (!out.empty())
            out += ' ';
        const auto text = [child] {
            std::string s;
            for (char16_t c : child->GetText().View())
                s += c < 0x80 ? static_cast<char>(c) : '?';
            return s;
        };
        switch (static_cast<uint32_t>(child->GetKind())) {
        case EditKind::kChar: out += "c:" + text(); break;
        case EditKind::kMathChar: out += "m:" + text(); break;
        case EditKind::kKanChar: out += "k:" + text(); break;
        case EditKind::kCR:
        case EditKind::kMathCR:
        case EditKind::kKanCR: out += "|"; break;
        case EditKind::kMath: out += "math[" + Describe(child) + "]"; break;
        case EditKind::kFrac: out += "frac"; break;
        case EditKind::kFloat: out += "float[" + Describe(child) + "]"; break;
        case EditKind::kGraphic: out += "picture"; break;
        case EditKind::kKan: out += "kan"; break;
        default: out += "node"; break;
        }
    }
    return out;
}

class TestHost : public IEditViewHost {
public:
    SIZE GetClientSize() const override { return client; }
    SIZE GetScreenSize() const override { return screen; }
    bool HasFocus() const override { return focus; }
    CDC* GetMeasuringDC() override { return &measuring; }
    void Invalidate(const RECT* area) override
    {
        ++invalidations;
        if (area != nullptr)
            lastArea = *area;
    }
    int GetBarZoom() const override { return barZoom; }
    void SetBarZoom(int percent) override { barZoom = percent; }
    POINT ClientToScreen(POINT point) const override { return POINT{point.x + 1000, point.y + 2000}; }
    void PopupMenu(int menuId, POINT screenPoint) override
    {
        menus.push_back(menuId);
        menuPoint = screenPoint;
    }
    void PostCommand(int id) override { posted.push_back(id); }

    SIZE client{20000, 15000};
    SIZE screen{1024, 768};
    bool focus = true;
    CRecordingDC measuring;
    int invalidations = 0;
    RECT lastArea{};
    int barZoom = 100;
    std::vector<int> menus;
    POINT menuPoint{};
    std::vector<int> posted;
};

class ViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    ViewTest() { document.view = &view; }

    // Paragraphs of characters, each closed by a line break; the caret on the first character.
    void Build(const std::vector<std::u16string>& paragraphs, int vertical = 0)
    {
        document.root->m_vertical = vertical;
        for (const std::u16string& text : paragraphs) {
            auto* part = new CEditSentence();
            AddChars(part, text);
            AddCR(part);
            document.root->AppendChild(part);
        }
        view.OnInitialUpdate();
        UseIdentityScale();
    }

    // One client pixel per document unit.
    void UseIdentityScale()
    {
        ChangeDisplayMap([](CDisplayMap& map) { map.SetResolution(2540, 2540, 100); });
        view.UpdateScrollBars();
    }
    // The view's display map or caret changed through the view's own setter.
    template <class Change>
    void ChangeDisplayMap(Change change)
    {
        CDisplayMap map = view.GetDisplayMap();
        change(map);
        view.SetDisplayMap(map);
    }
    template <class Change>
    void ChangeCaret(Change change)
    {
        CCaret caret = view.GetCaret();
        change(caret);
        view.SetCaret(caret);
    }

    CEditNode* At(int paragraph, int index) { return document.root->GetEditChild(paragraph)->GetEditChild(index); }

    void PlaceCaret(int paragraph, int index)
    {
        view.PlaceCaret(At(paragraph, index));
    }

    void Select(int paragraph, int from, int to)
    {
        view.PlaceCaret(At(paragraph, to), At(paragraph, from));
    }

    std::u16string Text(int paragraph)
    {
        std::u16string text;
        CEditNode* part = document.root->GetEditChild(paragraph);
        for (int i = 0; i < part->GetChildCount(); ++i) {
            CEditNode* child = part->GetEditChild(i);
            text += child->HasKindFlags(EditKind::kLineBreak) ? std::u16string(u"|") : std::u16string(child->GetText().View());
        }
        return text;
    }

    SwitchGuard switches;
    VIEW_SETTINGS settings;
    TestDocument document;
    TestHost host;
    CEditViewController view{document, host, settings};
};

}  // namespace viewtest
