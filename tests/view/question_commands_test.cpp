// The question structure commands (new, deleted and moved questions, text boxes, the field-sizing
// mode, floating-frame sides) and the number-label and points commands, driven on the controller.
#include "view_fixture.h"

#include "nodes/floating_frame.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"
#include "platform/shell.h"

using namespace viewtest;

namespace {

class QuestionTest : public ViewTest {
protected:
    QuestionTest()
    {
        previous = SetShellHandler([this](SHELL_REQUEST& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~QuestionTest() override { SetShellHandler(previous); }

    CEditPrint* Root() { return document.root.get(); }

    // An interleaved paper of `subs.size()` major questions, question q with subs[q - 1]
    // sub-questions; each part starts with a tag character: the question's letter (A, B, ...)
    // for its major parts, its lower-case letter for its sub-questions' parts.
    void BuildPaper(const std::vector<int>& subs, int vertical = 0)
    {
        Root()->m_vertical = vertical;
        for (size_t q = 0; q < subs.size(); ++q)
            Root()->InsertQuestion(nullptr, nullptr);
        for (size_t q = 0; q < subs.size(); ++q)
            for (int j = 0; j < subs[q]; ++j)
                Root()->InsertSubQuestion(static_cast<int>(q) + 1, nullptr, nullptr);
        for (int i = 0; i < Root()->GetChildCount(); ++i) {
            auto* part = dynamic_cast<CEditSentence*>(Root()->GetEditChild(i));
            if (part == nullptr || part->m_questionNumber < 1)
                continue;
            std::u16string tag(1, static_cast<char16_t>((part->m_subQuestionNumber == 0 ? u'A' : u'a') + part->m_questionNumber - 1));
            if (part->m_subQuestionNumber != 0)
                tag += static_cast<char16_t>(u'0' + part->m_subQuestionNumber);
            for (size_t k = 0; k < tag.size(); ++k) {
                auto* c = new CEditChar(tag[k]);
                c->m_lf.lfHeight = -kEm;
                part->InsertChildAt(static_cast<int>(k), c);
            }
        }
        view.OnInitialUpdate();
        UseIdentityScale();
    }

    CEditSentence* Part(int m, int s, int kind) { return s == 0 ? Root()->FindPart(m, kind) : Root()->FindSubPart(m, s, kind); }

    void CaretIn(CEditNode* part)
    {
        view.SetCaretNode(part->GetFirstInner());
        view.SetAnchorNode(nullptr);
    }

    // The caret's part as tag, numbers and kind: "C:3.0/2".
    std::string CaretPlace()
    {
        CEditNode* node = view.GetCaret().m_caretNode;
        if (node == nullptr)
            return "none";
        auto* part = dynamic_cast<CEditSentence*>(node->GetEditParent());
        if (part == nullptr)
            return "not in a part";
        return Describe(part);
    }

    static std::string Describe(const CEditSentence* part)
    {
        std::string tag;
        for (int i = 0; i < part->GetChildCount() && part->GetEditChild(i)->IsKind(EditKind::kChar); ++i)
            tag += static_cast<char>(part->GetEditChild(i)->GetText().View()[0]);
        return tag + ":" + std::to_string(part->m_questionNumber) + "." + std::to_string(part->m_subQuestionNumber) + "/" +
               std::to_string(part->m_partKind);
    }

    // The question texts of the paper in document order, by tag and numbers.
    std::string Texts()
    {
        std::string out;
        for (int i = 0; i < Root()->GetChildCount(); ++i) {
            CEditNode* child = Root()->GetEditChild(i);
            if (child->IsKind(EditKind::kGai)) {
                out += out.empty() ? "box" : " box";
                continue;
            }
            auto* part = dynamic_cast<CEditSentence*>(child);
            if (part == nullptr || part->m_partKind != PART_QUESTION)
                continue;
            if (!out.empty())
                out += ' ';
            out += Describe(part).substr(0, Describe(part).find('/'));
        }
        return out;
    }

    template <class T>
    int CountOf(CEditNode* node)
    {
        int count = dynamic_cast<T*>(node) != nullptr ? 1 : 0;
        for (int i = 0; i < node->GetChildCount(); ++i)
            count += CountOf<T>(node->GetEditChild(i));
        return count;
    }

    int answer = IDYES;
    std::vector<SHELL_REQUEST> requests;
    ShellHandler previous;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Deleting

TEST_F(QuestionTest, DeletingMajorQuestionAsksThenPutsCaretIntoSameKindOfPartOfNextQuestion)
{
    BuildPaper({0, 0, 0, 0, 0});
    CaretIn(Part(3, 0, PART_ANSWER_FIELD));

    answer = IDNO;
    EXPECT_TRUE(view.OnCommand(ViewCommand::kDeleteLargeQuestion));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, u"選択された問題を削除すると、この問題の小問も全て削除されます。\n\nよろしいですか？");
    EXPECT_EQ(requests[0].caption, u"削除確認");
    EXPECT_EQ(requests[0].style, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(Texts(), "A:1.0 B:2.0 C:3.0 D:4.0 E:5.0");
    EXPECT_FALSE(document.modified);

    answer = IDYES;
    const int relayouts = view.GetRelayoutCount();
    EXPECT_TRUE(view.OnCommand(ViewCommand::kDeleteLargeQuestion));
    EXPECT_EQ(Texts(), "A:1.0 B:2.0 D:3.0 E:4.0");
    EXPECT_EQ(CaretPlace(), "D:3.0/2");
    EXPECT_TRUE(document.modified);
    EXPECT_GT(view.GetRelayoutCount(), relayouts);

    // One Undo brings back the question and every number.
    ASSERT_EQ(document.groups.size(), 1u);
    view.OnEditUndo();
    EXPECT_EQ(Texts(), "A:1.0 B:2.0 C:3.0 D:4.0 E:5.0");
}

TEST_F(QuestionTest, DeletingLastMajorQuestionFallsBackToEarlierOne)
{
    BuildPaper({0, 0, 0});
    CaretIn(Part(3, 0, PART_ANSWER));
    view.OnCommand(ViewCommand::kDeleteLargeQuestion);
    EXPECT_EQ(CaretPlace(), "B:2.0/3");
}

TEST_F(QuestionTest, TheOnlyMajorQuestionIsNeitherDeletedNorAskedAbout)
{
    BuildPaper({2});
    CaretIn(Part(1, 0, PART_QUESTION));
    view.OnCommand(ViewCommand::kDeleteLargeQuestion);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(Texts(), "A:1.0 a1:1.1 a2:1.2");
    EXPECT_TRUE(document.groups.empty());
}

TEST_F(QuestionTest, DeletingSubQuestions)
{
    BuildPaper({3, 0});
    // Delete-major is disabled in a sub-question, delete-minor in a major question.
    CaretIn(Part(1, 0, PART_ANSWER));
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kDeleteLargeQuestion).enabled);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kDeleteSmallQuestion).enabled);

    // The middle one: the caret goes into the same kind of part of the one now numbered 2.
    CaretIn(Part(1, 2, PART_ANSWER));
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kDeleteLargeQuestion).enabled);
    EXPECT_TRUE(view.OnCommand(ViewCommand::kDeleteSmallQuestion));
    EXPECT_EQ(requests.back().text, u"選択された小問を削除します。\n\nよろしいですか？");
    EXPECT_EQ(requests.back().caption, u"削除確認");
    EXPECT_EQ(Texts(), "A:1.0 a1:1.1 a3:1.2 B:2.0");
    EXPECT_EQ(CaretPlace(), "a3:1.2/3");

    // The last ones: no lower limit; the caret ends in the major question's part of its kind.
    view.OnCommand(ViewCommand::kDeleteSmallQuestion);
    EXPECT_EQ(CaretPlace(), "a1:1.1/3");
    view.OnCommand(ViewCommand::kDeleteSmallQuestion);
    EXPECT_EQ(Texts(), "A:1.0 B:2.0");
    EXPECT_EQ(CaretPlace(), "A:1.0/3");
    EXPECT_TRUE(document.modified);
}

TEST_F(QuestionTest, CaretGoesToFirstQuestionPartWhenNoPartIsFound)
{
    BuildPaper({0, 1});
    // Question 2 has no answer of its own, so deleting its sub-question's answer finds none.
    CEditSentence* answerPart = Part(2, 0, PART_ANSWER);
    Root()->RemoveChild(answerPart);
    delete answerPart;
    CaretIn(Part(2, 1, PART_ANSWER));
    const int relayouts = view.GetRelayoutCount();
    view.OnCommand(ViewCommand::kDeleteSmallQuestion);
    EXPECT_EQ(Texts(), "A:1.0 B:2.0");
    EXPECT_EQ(CaretPlace(), "A:1.0/1");
    EXPECT_EQ(view.GetCaret().m_caretNode, Part(1, 0, PART_QUESTION)->GetFirstInner());
    EXPECT_TRUE(document.modified);
    EXPECT_GT(view.GetRelayoutCount(), relayouts);
}

// ---------------------------------------------------------------------------------------------
// New questions and moves

TEST_F(QuestionTest, NewQuestionsAreNumberedAndUndoable)
{
    BuildPaper({0});
    CaretIn(Part(1, 0, PART_QUESTION));
    CEditNode* caretNode = view.GetCaret().m_caretNode;
    view.OnCommand(ViewCommand::kNewLargeQuestion);
    view.OnCommand(ViewCommand::kNewSmallQuestion);
    EXPECT_EQ(Root()->CountQuestions(), 2);
    EXPECT_EQ(Root()->CountSubQuestions(1), 1);
    EXPECT_EQ(view.GetCaret().m_caretNode, caretNode);
    EXPECT_TRUE(document.modified);
    view.OnEditUndo();
    view.OnEditUndo();
    EXPECT_EQ(Texts(), "A:1.0");
}

TEST_F(QuestionTest, MovesAtTheEndsDoNothing)
{
    BuildPaper({0, 0, 2});
    const struct {
        int m, s, command;
    } cases[] = {
        {1, 0, ViewCommand::kQuestionUp},
        {3, 0, ViewCommand::kQuestionDown},
        {3, 1, ViewCommand::kQuestionUp},
        {3, 2, ViewCommand::kQuestionDown},
    };
    for (const auto& c : cases) {
        CaretIn(Part(c.m, c.s, PART_ANSWER));
        EXPECT_TRUE(view.OnCommand(c.command));
        EXPECT_EQ(Texts(), "A:1.0 B:2.0 C:3.0 c1:3.1 c2:3.2") << c.m << "." << c.s;
    }
    EXPECT_TRUE(document.groups.empty());
    EXPECT_FALSE(document.modified);
}

TEST_F(QuestionTest, MovesExchangeQuestionsAndUndoPutsThemBack)
{
    BuildPaper({0, 2, 0});
    CaretIn(Part(2, 0, PART_ANSWER_FIELD));
    CEditNode* caretNode = view.GetCaret().m_caretNode;
    view.OnCommand(ViewCommand::kQuestionUp);
    EXPECT_EQ(Texts(), "B:1.0 b1:1.1 b2:1.2 A:2.0 C:3.0");
    EXPECT_EQ(view.GetCaret().m_caretNode, caretNode);
    EXPECT_TRUE(document.modified);

    CaretIn(Part(1, 1, PART_QUESTION));
    view.OnCommand(ViewCommand::kQuestionDown);
    EXPECT_EQ(Texts(), "B:1.0 b2:1.1 b1:1.2 A:2.0 C:3.0");
    ASSERT_EQ(document.groups.size(), 2u);

    view.OnEditUndo();
    EXPECT_EQ(Texts(), "B:1.0 b1:1.1 b2:1.2 A:2.0 C:3.0");
    view.OnEditUndo();
    EXPECT_EQ(Texts(), "A:1.0 B:2.0 b1:2.1 b2:2.2 C:3.0");
    view.OnEditRedo();
    view.OnEditRedo();
    EXPECT_EQ(Texts(), "B:1.0 b2:1.1 b1:1.2 A:2.0 C:3.0");
}

// ---------------------------------------------------------------------------------------------
// Text boxes, field sizing and floating frames

TEST_F(QuestionTest, TextBoxGoesBeforeTheQuestionTextAndIsDeleted)
{
    BuildPaper({0, 0});
    CaretIn(Part(2, 0, PART_EXPLANATION));
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kFieldDelete).enabled);
    view.OnCommand(ViewCommand::kInsertTextBox);
    EXPECT_EQ(Texts(), "A:1.0 box B:2.0");
    CEditNode* box = Root()->GetEditChild(4);
    ASSERT_TRUE(box->IsKind(EditKind::kGai));
    EXPECT_EQ(view.GetCaret().m_caretNode, box->GetFirstInner());
    EXPECT_TRUE(view.OnUpdateCommand(ViewCommand::kFieldDelete).enabled);
    EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kInsertTextBox).enabled);

    // Deleted: the caret goes into the block after it.
    view.OnCommand(ViewCommand::kFieldDelete);
    EXPECT_EQ(Texts(), "A:1.0 B:2.0");
    EXPECT_EQ(CaretPlace(), "B:2.0/1");
    view.OnEditUndo();
    EXPECT_EQ(Texts(), "A:1.0 box B:2.0");
}

TEST_F(QuestionTest, DeletingTheLastTextBoxPutsTheCaretIntoTheBlockBefore)
{
    BuildPaper({0});
    auto* box = new CEditGai();
    box->AddLineBreak();
    Root()->AppendChild(box);
    view.SetCaretNode(box->GetFirstInner());
    view.OnCommand(ViewCommand::kFieldDelete);
    EXPECT_EQ(Texts(), "A:1.0");
    EXPECT_EQ(CaretPlace(), "A:1.0/4");
    EXPECT_TRUE(document.modified);
}

TEST_F(QuestionTest, FieldSizeModeTogglesBack)
{
    BuildPaper({0});
    CaretIn(Part(1, 0, PART_ANSWER_FIELD));
    CEditNode* field = Part(1, 0, PART_ANSWER_FIELD);
    view.OnCommand(ViewCommand::kFieldSize);
    EXPECT_EQ(view.GetViewMode(), ViewMode::kFieldSize);
    EXPECT_EQ(view.GetCurrentField(), field);
    EXPECT_EQ(view.GetSelectedFields(), std::vector<CEditNode*>{field});
    EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kFieldSize).check, 1);
    view.OnCommand(ViewCommand::kFieldSize);
    EXPECT_EQ(view.GetViewMode(), ViewMode::kText);
    EXPECT_EQ(view.GetCurrentField(), nullptr);
    EXPECT_TRUE(view.GetSelectedFields().empty());
}

TEST_F(QuestionTest, FloatingFrameSides)
{
    for (int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        document.groups.clear();
        document.root = std::make_unique<CEditPrint>();
        document.modified = false;
        BuildPaper({0}, vertical);
        CEditSentence* part = Part(1, 0, PART_QUESTION);
        auto* frame = new CEditFloat();
        frame->SetFloatSide(2);
        frame->AppendChild(new CEditCR());
        part->InsertChildAt(0, frame);
        view.SetCaretNode(frame->GetEditChild(0));
        view.SetAnchorNode(nullptr);

        const CMD_UI_STATE left = view.OnUpdateCommand(ViewCommand::kFieldLeft);
        EXPECT_TRUE(left.enabled);
        EXPECT_EQ(left.text, vertical ? u"上に" : u"左に");
        EXPECT_EQ(view.OnUpdateCommand(ViewCommand::kFieldRight).text, vertical ? u"下に" : u"右に");

        view.OnCommand(ViewCommand::kFieldRight);
        EXPECT_FALSE(document.modified);  // already right
        view.OnCommand(ViewCommand::kFieldLeft);
        EXPECT_EQ(frame->GetFloatSide(), 1);
        EXPECT_TRUE(document.modified);
        EXPECT_TRUE(document.groups.empty());
        view.SetCaretNode(nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Number labels

TEST_F(QuestionTest, NumberLabelsTakeTheDirectionsDefaultThenTheFirstLabelsStyle)
{
    for (int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        document.groups.clear();
        document.root = std::make_unique<CEditPrint>();
        BuildPaper({1}, vertical);
        CaretIn(Part(1, 1, PART_QUESTION));
        EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kInsertLargeNumber).enabled);
        EXPECT_TRUE(view.OnCommand(ViewCommand::kInsertSmallNumber));
        auto* minor = dynamic_cast<CEditMonno*>(Part(1, 1, PART_QUESTION)->GetEditChild(0));
        ASSERT_NE(minor, nullptr);
        EXPECT_EQ(minor->GetStyle(), vertical ? 3 : 1);

        CaretIn(Part(1, 0, PART_QUESTION));
        EXPECT_FALSE(view.OnUpdateCommand(ViewCommand::kInsertSmallNumber).enabled);
        CEditNode* before = view.GetCaret().m_caretNode;
        EXPECT_TRUE(view.OnCommand(ViewCommand::kInsertLargeNumber));
        auto* major = dynamic_cast<CEditDmonno*>(Part(1, 0, PART_QUESTION)->GetEditChild(0));
        ASSERT_NE(major, nullptr);
        EXPECT_EQ(major->GetStyle(), vertical ? 2 : 0);
        EXPECT_EQ(view.GetCaret().m_caretNode, before);

        Root()->SetAllDmonnoStyle(5);
        view.OnCommand(ViewCommand::kInsertLargeNumber);
        EXPECT_EQ(dynamic_cast<CEditDmonno*>(Part(1, 0, PART_QUESTION)->GetEditChild(1))->GetStyle(), 5);
        EXPECT_EQ(document.groups.size(), 3u);
        view.SetCaretNode(nullptr);
    }
}

TEST_F(QuestionTest, NumberFormatRestylesEveryLabelAndMarksThePaper)
{
    BuildPaper({1, 0});
    CaretIn(Part(2, 0, PART_QUESTION));
    view.OnCommand(ViewCommand::kInsertLargeNumber);
    document.modified = false;

    QUESTION_NUMBER_FORMAT seen;
    bool accept = false;
    view.m_questionNumberDialog = [&](QUESTION_NUMBER_FORMAT* format) {
        seen = *format;
        format->majorStyle = 7;
        format->minorStyle = 9;
        return accept;
    };
    view.OnCommand(ViewCommand::kQuestionNumberFormat);
    EXPECT_EQ(seen.majorStyle, 0);
    EXPECT_EQ(seen.minorStyle, 1);
    EXPECT_EQ(Root()->GetFirstDmonnoStyle(), 0);
    EXPECT_FALSE(document.modified);

    accept = true;
    view.OnCommand(ViewCommand::kQuestionNumberFormat);
    EXPECT_EQ(Root()->GetFirstDmonnoStyle(), 7);
    EXPECT_TRUE(document.modified);
}

// ---------------------------------------------------------------------------------------------
// Points

TEST_F(QuestionTest, DefaultPointsRows)
{
    BuildPaper({3, 0});
    std::vector<HAITEN_ROW> rows = view.BuildPointsRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ((std::vector<int>{rows[0].question, rows[0].subQuestion, rows[0].perItem, rows[0].count, rows[0].total,
                                rows[0].subQuestions}),
              (std::vector<int>{1, 0, 3, 3, 10, 3}));
    for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(rows[j].subQuestion, j);
        EXPECT_EQ(rows[j].perItem, 0);
        EXPECT_EQ(rows[j].count, 1);
        EXPECT_EQ(rows[j].total, 0);  // the major total is not stored yet
    }
    EXPECT_EQ((std::vector<int>{rows[4].question, rows[4].perItem, rows[4].count, rows[4].total}),
              (std::vector<int>{2, 10, 1, 10}));

    Part(1, 0, PART_QUESTION)->m_haiten.p3 = 10;
    rows = view.BuildPointsRows();
    EXPECT_EQ(rows[1].total, 3);
    EXPECT_EQ(rows[3].total, 3);
}

TEST_F(QuestionTest, PointsAreWrittenIntoRecordsAndLabels)
{
    BuildPaper({2});
    POINTS_DIALOG_VALUES seen;
    view.m_pointsDialog = [&](POINTS_DIALOG_VALUES* values) {
        seen = *values;
        values->bracketStyle = 1;
        values->rows[0].form = 4;
        values->rows[0].shown = 1;
        values->rows[0].total = 10;
        values->rows[1].form = 4;
        values->rows[1].shown = 1;
        values->rows[1].total = 6;
        values->rows[2].form = 4;
        values->rows[2].shown = 0;
        values->rows[2].total = 4;
        return true;
    };
    view.OnCommand(ViewCommand::kSetPoints);
    EXPECT_EQ(seen.bracketStyle, 0);
    EXPECT_EQ(seen.showPoints, 0);
    EXPECT_TRUE(document.modified);

    CEditSentence* major = Part(1, 0, PART_QUESTION);
    EXPECT_EQ(major->m_haiten.style, 4);
    EXPECT_EQ(major->m_haiten.p3, 10);
    EXPECT_EQ(major->m_haiten.fence, CStringW(u"［"));
    // The label stands just before the part's first line break and copies its record.
    auto* label = dynamic_cast<CEditHaiten*>(major->GetEditChild(major->GetChildCount() - 2));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->m_info.p3, 10);
    EXPECT_EQ(label->m_hidden, 0);
    EXPECT_EQ(label->m_caretStop, 1);
    // With the total form the sub-questions keep their own visibility.
    CEditSentence* first = Part(1, 1, PART_QUESTION);
    CEditSentence* second = Part(1, 2, PART_QUESTION);
    EXPECT_EQ(first->m_haiten.visibility, 1);
    EXPECT_EQ(first->m_haiten.p3, 6);
    EXPECT_EQ(first->m_haiten.p1, 6);
    EXPECT_EQ(first->m_haiten.reserved, 1);
    EXPECT_EQ(second->m_haiten.visibility, 0);
    EXPECT_EQ(second->m_haiten.reserved, 2);
    auto* hidden = dynamic_cast<CEditHaiten*>(second->FindDescendantOfType(EditKind::Code(EditKind::kHaiten)));
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->m_hidden, 2);
    EXPECT_EQ(hidden->m_caretStop, 0);
    EXPECT_EQ(CountOf<CEditHaiten>(Root()), 3);
    ASSERT_EQ(document.groups.size(), 1u);
    EXPECT_EQ(document.groups[0]->GetCount(), 3);

    // Run again with another form: the labels are reused, and the sub-questions hidden.
    view.m_pointsDialog = [&](POINTS_DIALOG_VALUES* values) {
        seen = *values;
        values->rows[0].form = 2;
        values->rows[1].form = 2;
        values->rows[2].form = 2;
        return true;
    };
    view.OnCommand(ViewCommand::kSetPoints);
    EXPECT_EQ(seen.bracketStyle, 1);
    EXPECT_EQ(seen.showPoints, 1);
    EXPECT_EQ(seen.rows[1].total, 6);
    EXPECT_EQ(CountOf<CEditHaiten>(Root()), 3);
    EXPECT_EQ(first->m_haiten.visibility, 0);
    EXPECT_EQ(document.groups.size(), 1u);

    // Undoing the first run takes the labels out again.
    view.OnEditUndo();
    EXPECT_EQ(CountOf<CEditHaiten>(Root()), 0);
}

TEST_F(QuestionTest, CancelledPointsDialogChangesNothing)
{
    BuildPaper({1});
    view.m_pointsDialog = [](POINTS_DIALOG_VALUES* values) {
        values->rows[0].total = 99;
        return false;
    };
    view.OnCommand(ViewCommand::kSetPoints);
    EXPECT_EQ(Part(1, 0, PART_QUESTION)->m_haiten.p3, 0);
    EXPECT_EQ(CountOf<CEditHaiten>(Root()), 0);
    EXPECT_FALSE(document.modified);
    EXPECT_TRUE(document.groups.empty());
}
