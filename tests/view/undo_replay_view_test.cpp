// Undo and redo through the view: property and structural records, the view's name-field
// records, unknown codes, and a replay that stops part-way.
#include "view_fixture.h"

#include "base/default_fonts.h"
#include "math/formula_family.h"
#include "nodes/undo_replay.h"

using namespace viewtest;

namespace {

// A name field: a paragraph of the name-field kind.
class NameField : public CEditSentence {
public:
    NameField() : CEditSentence(EditKind::Code(EditKind::kKimeiran)) {}
};

}  // namespace

TEST_F(ViewTest, UndoAndRedoWithNothingToReplayChangeNothing)
{
    Build({u"ab"});
    const int relayouts = view.GetRelayoutCount();
    view.OnEditUndo();
    view.OnEditRedo();
    EXPECT_EQ(view.GetRelayoutCount(), relayouts);
    EXPECT_FALSE(document.modified);
}

TEST_F(ViewTest, PropertyRecordsGoBackAndForth)
{
    Build({u"ab"});
    CEditNode* node = At(0, 0);
    struct Case {
        int code;
        int oldValue;
        int newValue;
        int (*read)(const CEditNode&);
    };
    const Case cases[] = {
        {UndoCode::kBold, 400, 700, [](const CEditNode& n) { return static_cast<int>(n.m_lf.lfWeight); }},
        {UndoCode::kItalic, 0, 1, [](const CEditNode& n) { return static_cast<int>(n.m_lf.lfItalic); }},
        {UndoCode::kTextColor, 0, 0xFF, [](const CEditNode& n) { return static_cast<int>(n.m_color); }},
        {UndoCode::kUnderlineStyle, 0, 3, [](const CEditNode& n) { return static_cast<int>(n.CharacterRecord().m_underlineStyle); }},
        {UndoCode::kBorderWidth, 0, 50, [](const CEditNode& n) { return static_cast<int>(n.BorderRecord().m_borderWidth); }},
    };
    for (const Case& c : cases) {
        SetNodeProperty(*node, c.code, c.oldValue, nullptr);
        auto group = std::make_unique<CUndoGroup>();
        // Set twice in one command: undo goes back to the value before the command.
        SetNodeProperty(*node, c.code, c.newValue / 2, group.get());
        SetNodeProperty(*node, c.code, c.newValue, group.get());
        document.PushUndo(std::move(group));
        document.modified = false;
        view.OnEditUndo();
        EXPECT_EQ(c.read(*node), c.oldValue) << c.code;
        EXPECT_TRUE(document.modified);
        view.OnEditRedo();
        EXPECT_EQ(c.read(*node), c.newValue) << c.code;
    }
}

TEST_F(ViewTest, StructuralRecordsRestoreOrderAndMoveTheCaret)
{
    Build({u"abcd"});
    // Two characters deleted backwards, then undone: they come back in their order.
    PlaceCaret(0, 3);
    view.OnChar(8);
    view.OnChar(8);
    EXPECT_EQ(Text(0), u"ad|");
    view.OnEditUndo();
    EXPECT_EQ(Text(0), u"abd|");
    view.OnEditUndo();
    EXPECT_EQ(Text(0), u"abcd|");
    view.OnEditRedo();
    EXPECT_EQ(Text(0), u"abd|");
    // Redo goes through every view of the paper.
    EXPECT_GE(document.updates, 1);
    // Undo of an insertion leaves the caret on the node it was inserted before.
    PlaceCaret(0, 1);
    view.OnChar(u'Z');
    EXPECT_EQ(Text(0), u"aZbd|");
    view.OnEditUndo();
    EXPECT_EQ(Text(0), u"abd|");
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 1));
}

TEST_F(ViewTest, NameFieldModeRecords)
{
    Build({u"ab"});
    auto* field = new NameField();
    document.root->GetNameFieldLayer()->AppendChild(field);
    CEditNode* caretNode = At(0, 1);

    // Entering name-field editing (258): undo leaves mode 4, redo enters it again.
    auto entered = std::make_unique<CUndoGroup>();
    entered->RecordNode(258, field, caretNode, ViewMode::kText, 0);
    document.PushUndo(std::move(entered));
    view.SetViewMode(ViewMode::kNameField);
    view.SetNameFieldEdit(field);
    view.OnEditUndo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetNameField(), nullptr);
    view.OnEditRedo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kNameField);
    EXPECT_EQ(view.GetNameField(), field);
    EXPECT_EQ(view.GetSavedCaret().m_caretNode, caretNode);

    // Leaving it (257) from mode 4: undo returns to the field.
    auto left = std::make_unique<CUndoGroup>();
    left->RecordNode(257, field, caretNode, ViewMode::kNameField, 0);
    document.PushUndo(std::move(left));
    view.SetViewMode(ViewMode::kText);
    view.SetNameFieldEdit(nullptr);
    view.OnEditUndo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kNameField);
    EXPECT_EQ(view.GetNameField(), field);
    view.OnEditRedo();
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetNameField(), nullptr);
}

TEST_F(ViewTest, NameFieldLayerRecordsSetThePageFlag)
{
    Build({u"ab"});
    CEditNode* layer = document.root->GetNameFieldLayer();
    auto* field = new NameField();
    layer->AppendChild(field);
    document.root->SetPageFlagged(1, true);
    auto group = std::make_unique<CUndoGroup>();
    group->RecordNodeEx(0x10101, field, nullptr, 0, layer, 1, 1);
    document.PushUndo(std::move(group));
    view.OnEditUndo();
    EXPECT_EQ(layer->GetChildCount(), 0);
    EXPECT_FALSE(document.root->IsPageFlagged(1));
    view.OnEditRedo();
    EXPECT_EQ(layer->GetChildCount(), 1);
    EXPECT_TRUE(document.root->IsPageFlagged(1));

    // The field taken out of the layer (0x20101): undo puts it back and flags the page.
    field->Detach();
    document.root->SetPageFlagged(1, false);
    auto removal = std::make_unique<CUndoGroup>();
    CUndoAction* action = removal->RecordNodeEx(0x20101, field, nullptr, 0, layer, 1, 0);
    action->Keep(std::unique_ptr<CEditNode>(field));
    document.PushUndo(std::move(removal));
    view.OnEditUndo();
    EXPECT_EQ(layer->GetChildCount(), 1);
    EXPECT_TRUE(document.root->IsPageFlagged(1));
    view.OnEditRedo();
    EXPECT_EQ(layer->GetChildCount(), 0);
    EXPECT_FALSE(document.root->IsPageFlagged(1));
}

TEST_F(ViewTest, UnknownCodesAreSkippedAndTheRestStillApplies)
{
    Build({u"ab"});
    CEditNode* node = At(0, 0);
    SetNodeProperty(*node, UndoCode::kBold, 400, nullptr);
    auto group = std::make_unique<CUndoGroup>();
    SetNodeProperty(*node, UndoCode::kBold, 700, group.get());
    group->RecordInt(0x7777, node, 1, 2);
    document.PushUndo(std::move(group));
    const int relayouts = view.GetRelayoutCount();
    view.OnEditUndo();
    EXPECT_EQ(node->m_lf.lfWeight, 400);
    // The paper changed, so it is marked and laid out again.
    EXPECT_TRUE(document.modified);
    EXPECT_GT(view.GetRelayoutCount(), relayouts);
}

TEST_F(ViewTest, AReplayThatStopsPartWayLeavesGroupAndHistoryWhole)
{
    Build({u"ab"});
    CEditNode* node = At(0, 0);
    SetNodeProperty(*node, UndoCode::kBold, 400, nullptr);
    // Older group: italic on. Newer group: bold on, then a name-field record without its field.
    auto older = std::make_unique<CUndoGroup>();
    SetNodeProperty(*node, UndoCode::kItalic, 1, older.get());
    document.PushUndo(std::move(older));
    auto newer = std::make_unique<CUndoGroup>();
    newer->RecordNode(257, nullptr, nullptr, ViewMode::kNameField, 0);
    SetNodeProperty(*node, UndoCode::kBold, 700, newer.get());
    document.PushUndo(std::move(newer));
    document.modified = false;

    view.OnEditUndo();
    // The bold change that was taken back is made again: the paper is as the history says.
    EXPECT_EQ(node->m_lf.lfWeight, 700);
    EXPECT_EQ(node->m_lf.lfItalic, 1);
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(document.undone, 0u);
    // So the next undo acts on the same group again, never on the older one behind it.
    view.OnEditUndo();
    EXPECT_EQ(node->m_lf.lfItalic, 1);
    EXPECT_EQ(document.undone, 0u);
}

TEST_F(ViewTest, FormulaCharactersTakeTheMathsFonts)
{
    RegisterFormulaFamily();
    Build({u"ab"});
    auto* formula = new CEditContainer(EditKind::Code(EditKind::kMath));
    document.root->GetEditChild(0)->InsertChildAt(1, formula);
    AddChar(formula, u'q');
    view.OnUpdate(UpdateHint::kAll);
    const CDefaultFontTable& fonts = CDefaultFontTable::Instance();
    LOGFONTA maths{}, digits{}, operators{};
    fonts.GetMathFont(&maths);
    fonts.GetMathNumericFont(&digits);
    fonts.GetMathOperatorFont(&operators);
    struct Case {
        char16_t typed;
        char16_t stored;
        std::string face;
    };
    for (const Case& c : {Case{u'x', u'x', maths.lfFaceName}, Case{u'1', u'1', digits.lfFaceName},
                          Case{u'=', u'＝', operators.lfFaceName}}) {
        view.SetCaretNode(formula->GetEditChild(0));
        const LOGFONTA before = view.GetCaret().m_logFont;
        view.OnChar(c.typed);
        CEditNode* typed = formula->GetEditChild(0);
        ASSERT_NE(typed, nullptr);
        EXPECT_EQ(typed->GetText().GetAt(0), c.stored);
        EXPECT_EQ(std::string(typed->m_lf.lfFaceName), c.face);
        // An operator leaves the typing format as it was.
        if (c.typed == u'=') {
            EXPECT_EQ(std::string(view.GetCaret().m_logFont.lfFaceName), std::string(before.lfFaceName));
        }
    }
}
