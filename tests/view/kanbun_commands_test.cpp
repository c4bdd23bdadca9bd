// The name field and kanbun commands of the view: the erasers on every layout mode, the
// name-field toggle with its undo, and the reading-mark command around the dialog's run.
#include "view_fixture.h"

#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/page_furniture.h"

#include <string>

using namespace viewtest;

namespace {

std::string Utf8(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The characters of a box before its line break; "-" when the form has no such box.
std::string BoxText(const CEditNode* box)
{
    if (box == nullptr)
        return "-";
    std::u16string text;
    for (int i = 0; i < box->GetChildCount(); ++i) {
        const CEditNode* child = box->GetEditChild(i);
        if (!IsLineBreak(child))
            text += child->GetText().View();
    }
    return Utf8(text);
}

void FillKana(CEditNode* box, const std::u16string& text)
{
    for (char16_t c : text)
        box->InsertChildAt(box->GetChildCount() - 1, new CEditKanChar(c));
}

// A cell of the given form with every box it has holding a mark.
CEditKan* FilledCell(char16_t base, int mode)
{
    auto* cell = new CEditKan();
    cell->BuildFromText(CStringW(std::u16string_view(&base, 1)), mode, nullptr);
    cell->SetHyphenMode(mode);
    cell->SetLeadBracketText(u"「", nullptr);
    cell->SetReturnMarkText(u"レ", nullptr);
    cell->SetPunctuationText(u"○", nullptr);
    cell->SetTrailBracketText(u"」", nullptr);
    FillKana(cell->GetRightKanaBox(), u"ア");
    FillKana(cell->GetLeftKanaBox(), u"イ");
    cell->LockSubBoxes(1);
    return cell;
}

std::string Describe(CEditKan* cell)
{
    return "lead=" + BoxText(cell->GetLeadBracketBox()) + " right=" + BoxText(cell->GetRightKanaBox()) +
           " left=" + BoxText(cell->GetLeftKanaBox()) + " ret=" + BoxText(cell->GetReturnMarkBox()) +
           " punct=" + BoxText(cell->GetPunctuationBox()) + " trail=" + BoxText(cell->GetTrailBracketBox()) +
           " mode=" + std::to_string(cell->GetHyphenMode());
}

class KanbunHost : public TestHost {
public:
    void SetMainWindowEnabled(bool enabled) override { calls.push_back(enabled ? "enable" : "disable"); }
    bool HidePaletteBar() override
    {
        calls.push_back("hide bar");
        return barShown;
    }
    void ShowPaletteBar() override { calls.push_back("show bar"); }

    bool barShown = true;
    std::vector<std::string> calls;
};

class KanbunCommandTest : public ViewTest {
protected:
    // A vertical paragraph of three cells in the given form, before its line break.
    void BuildPassage(int mode)
    {
        Build({u""}, 1);
        for (char16_t base : {u'学', u'而', u'時'})
            At(0, 0)->GetParent()->InsertChildAt(document.root->GetEditChild(0)->GetChildCount() - 1,
                                                 FilledCell(base, mode));
        view.Relayout();
    }
    CEditKan* Cell(int index) { return dynamic_cast<CEditKan*>(At(0, index)); }
};

}  // namespace

TEST_F(KanbunCommandTest, ErasersEmptyTheirBoxesInEachFormAndUndoPutsThemBack)
{
    const std::string full0 = "lead=「 right=ア left=イ ret=レ punct=○ trail=」 mode=0";
    const std::string full1 = "lead=「 right=ア left=イ ret=レ punct=- trail=- mode=1";
    const struct {
        int id;
        int mode;
        std::string after;
    } cases[] = {
        {ViewCommand::kEraseRightKana, 0, "lead=「 right= left=イ ret=レ punct=○ trail=」 mode=0"},
        {ViewCommand::kEraseLeftKana, 0, "lead=「 right=ア left= ret=レ punct=○ trail=」 mode=0"},
        {ViewCommand::kEraseKanaAndReturnMarks, 0, "lead=「 right= left= ret= punct=○ trail=」 mode=0"},
        {ViewCommand::kErasePunctuation, 0, "lead=「 right=ア left=イ ret=レ punct= trail=」 mode=0"},
        {ViewCommand::kEraseReturnMarks, 0, "lead=「 right=ア left=イ ret= punct=○ trail=」 mode=0"},
        {ViewCommand::kEraseBrackets, 0, "lead= right=ア left=イ ret=レ punct=○ trail= mode=0"},
        {ViewCommand::kEraseAllMarks, 0, "lead= right= left= ret= punct= trail= mode=0"},
        {ViewCommand::kEraseRightKana, 1, "lead=「 right= left=イ ret=レ punct=- trail=- mode=1"},
        {ViewCommand::kEraseLeftKana, 1, "lead=「 right=ア left= ret=レ punct=- trail=- mode=1"},
        {ViewCommand::kEraseKanaAndReturnMarks, 1, "lead=「 right= left= ret= punct=- trail=- mode=1"},
        {ViewCommand::kErasePunctuation, 1, full1},
        {ViewCommand::kEraseReturnMarks, 1, "lead=「 right=ア left=イ ret= punct=- trail=- mode=1"},
        {ViewCommand::kEraseBrackets, 1, "lead= right=ア left=イ ret=レ punct=- trail=- mode=1"},
        {ViewCommand::kEraseAllMarks, 1, "lead= right= left= ret= punct= trail= mode=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " mode " + std::to_string(c.mode));
        document.groups.clear();
        document.undone = 0;
        while (CEditNode* part = document.root->GetEditChild(0)) {
            part->Detach();
            delete part;
        }
        BuildPassage(c.mode);
        CEditKan* cell = Cell(1);
        const std::string before = Describe(cell);
        ASSERT_EQ(before, c.mode == 0 ? full0 : full1);
        view.SetCaretNode(cell->GetBaseBox()->GetFirstInner());
        ASSERT_TRUE(view.OnUpdateCommand(c.id).enabled);
        ASSERT_TRUE(view.OnCommand(c.id));
        EXPECT_EQ(Describe(cell), c.after);
        // The neighbours keep their marks.
        EXPECT_EQ(Describe(Cell(0)), before);
        EXPECT_EQ(Describe(Cell(2)), before);
        // One group when anything was emptied, none otherwise.
        EXPECT_EQ(document.groups.size(), c.after == before ? 0u : 1u);
        EXPECT_TRUE(document.modified);
        view.OnEditUndo();
        EXPECT_EQ(Describe(cell), before);
        view.OnEditRedo();
        EXPECT_EQ(Describe(cell), c.after);
    }
}

TEST_F(KanbunCommandTest, ErasersWorkOnEverySelectedCellAndNeedACell)
{
    BuildPassage(0);
    view.PlaceCaret(Cell(2), Cell(0));
    ASSERT_TRUE(view.OnCommand(ViewCommand::kEraseReturnMarks));
    EXPECT_EQ(BoxText(Cell(0)->GetReturnMarkBox()), "");
    EXPECT_EQ(BoxText(Cell(1)->GetReturnMarkBox()), "");
    EXPECT_EQ(BoxText(Cell(2)->GetReturnMarkBox()), "レ");
    EXPECT_EQ(view.GetCaret().m_anchorNode, nullptr);
    ASSERT_EQ(document.groups.size(), 1u);
    EXPECT_EQ(document.groups[0]->GetCount(), 2);

    // An empty box a second time records nothing.
    view.PlaceCaret(Cell(0)->GetBaseBox()->GetFirstInner());
    ASSERT_TRUE(view.OnCommand(ViewCommand::kEraseReturnMarks));
    EXPECT_EQ(document.groups.size(), 1u);

    // Outside a cell (the paragraph's line break) and without a caret the erasers are disabled.
    view.SetCaretNode(At(0, 3));
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kEraseAllMarks).enabled);
    view.SetCaretNode(nullptr);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kEraseAllMarks).enabled);
    // With an anchor, the anchor itself must be a cell.
    view.PlaceCaret(At(0, 3), Cell(2));
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kEraseAllMarks).enabled);
    view.SetAnchorNode(At(0, 3));
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kEraseAllMarks).enabled);
}

TEST_F(KanbunCommandTest, NameFieldToggleIsTwoGroupsThatUndoBackToEachMode)
{
    Build({u"abc"});
    // Two pages with a name field; the second page's is edited.
    CEditNode* layer = document.root->GetNameFieldLayer();
    layer->AppendChild(new CEditKimeiran());
    auto* field = new CEditKimeiran();
    layer->AppendChild(field);
    PlaceCaret(0, 1);
    view.SetNameFieldEdit(field);
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kNameFieldEdit).enabled);

    ASSERT_TRUE(view.OnCommand(ViewCommand::kNameFieldEdit));
    EXPECT_EQ(view.GetViewMode(), ViewMode::kNameField);
    EXPECT_EQ(view.GetSavedCaret().m_caretNode, At(0, 1));
    view.SetCaretNode(nullptr);  // the caret goes into the name field
    field->AppendChild(new CEditChar(u'名'));
    ASSERT_TRUE(view.OnCommand(ViewCommand::kNameFieldEdit));
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetNameField(), nullptr);
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 1));
    EXPECT_EQ(document.groups.size(), 2u);
    // Leaving copied the edit to every page and to the template the paper saves.
    ASSERT_EQ(layer->GetChildCount(), 2);
    for (CEditNode* holder : {layer->GetEditChild(0), layer->GetEditChild(1), document.root->GetNameFieldTemplate()}) {
        ASSERT_NE(holder, nullptr);
        EXPECT_NE(holder, field);
        ASSERT_EQ(holder->GetChildCount(), 1);
        EXPECT_EQ(Utf8(std::u16string(holder->GetEditChild(0)->GetText().View())), "名");
    }

    view.OnEditUndo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kNameField);
    EXPECT_EQ(view.GetNameField(), field);
    EXPECT_EQ(layer->GetEditChild(1), field);
    EXPECT_EQ(layer->GetEditChild(0)->GetChildCount(), 0);
    view.OnEditUndo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetNameField(), nullptr);
    view.OnEditRedo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kNameField);
    EXPECT_EQ(view.GetNameField(), field);
}

TEST(KanbunFrameCommandTest, RunsTheDialogOnTheCellInVerticalWritingOnly)
{
    CreateGdiResources();
    SwitchGuard switches;
    VIEW_SETTINGS settings;
    TestDocument document;
    KanbunHost host;
    CEditViewController view{document, host, settings};
    document.view = &view;
    document.root->m_vertical = 0;
    auto* part = new CEditSentence();
    document.root->AppendChild(part);
    part->AppendChild(FilledCell(u'学', 0));
    part->AppendChild(FilledCell(u'而', 0));
    AddCR(part);
    view.OnInitialUpdate();
    auto* first = dynamic_cast<CEditKan*>(part->GetEditChild(0));
    auto* second = dynamic_cast<CEditKan*>(part->GetEditChild(1));
    view.SetCaretNode(first->GetBaseBox()->GetFirstInner());

    std::vector<CEditKan*> opened;
    view.m_kuntenFrame = [&](KUNTEN_FRAME_RUN& run) {
        opened.push_back(run.cell);
        EXPECT_EQ(run.baseHeight, std::abs(first->GetBaseBox()->GetFirstInner()->m_lf.lfHeight));
        EXPECT_EQ(host.calls.back(), "disable");
        // The dialog steps to the second cell and closes there, the palette shown.
        run.afterStep(second, false);
        run.cell = second;
        run.paletteShown = 1;
    };
    // Horizontal writing: disabled.
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kKuntenFrame).enabled);
    EXPECT_FALSE(view.OnCommand(ViewCommand::kKuntenFrame));
    EXPECT_TRUE(opened.empty());

    document.root->m_vertical = 1;
    view.OnInitialUpdate();
    view.SetCaretNode(first->GetBaseBox()->GetFirstInner());
    ASSERT_TRUE(view.OnUpdateCommand(ViewCommand::kKuntenFrame).enabled);
    document.modified = false;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kKuntenFrame));
    EXPECT_EQ(opened, (std::vector<CEditKan*>{first}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"hide bar", "disable", "enable", "show bar"}));
    EXPECT_EQ(CEditViewController::s_kuntenPaletteShown, 1);
    // The caret stands after the last cell the dialog worked on; the paper counts as changed.
    EXPECT_EQ(view.GetCaret().m_caretNode, part->GetEditChild(2));
    EXPECT_TRUE(document.modified);
    CEditViewController::s_kuntenPaletteShown = 0;
}
