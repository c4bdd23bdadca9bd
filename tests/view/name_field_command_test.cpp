// The name-field command of the document with the editing view around it: on a paper of three
// pages the choice rebuilds the layer from the template as one undo group, and the view's Undo
// and Redo put every name field and the page table back; surplus name fields are dropped; a
// failure in the middle of the rebuild leaves the layer and the flags as they were.
#include "tests/view/document_view_fixture.h"

#include "editor/name_field_command.h"
#include "nodes/page_furniture.h"
#include "platform/archive.h"
#include "platform/shell.h"

#include <QApplication>
#include <QMouseEvent>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace viewtest;

void DoubleClick(QWidget* widget, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

// Answers the dialog in place of a person: the action runs on the shown dialog, then OK or Cancel.
class NameFieldAnswer {
public:
    NameFieldAnswer(std::function<void(CNameFieldDlg&)> action, int result)
    {
        m_former = SetNameFieldRunner([this, action, result](CNameFieldDlg& dialog) {
            dialog.show();
            ++runs;
            rows = dialog.Grid()->GetRowCount();
            if (action)
                action(dialog);
            if (result == IDOK)
                dialog.Grid()->ReadChecks();
            return result;
        });
    }
    ~NameFieldAnswer() { SetNameFieldRunner(m_former); }
    NameFieldAnswer(const NameFieldAnswer&) = delete;
    NameFieldAnswer& operator=(const NameFieldAnswer&) = delete;
    int runs = 0;
    int rows = 0;

private:
    NameFieldRunner m_former;
};

class NameFieldCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    NameFieldCommandTest()
    {
        docHost.view = &view;
        auto nameField = std::make_unique<CEditKimeiran>();
        nameField->BuildDefaultTable();
        Root().SetNameFieldTemplate(std::move(nameField));
        Root().SetPaperSize(10000, 12000);
        Root().SetMargins(1000, 1000, 1000, 1000);
        m_part = new CEditSentence();
        Root().AppendChild(m_part);
    }

    CEditPrint& Root() { return *doc.GetRoot(); }
    // Lines added to the question until the paper, laid out by the view, fills three pages.
    void FillThreePages()
    {
        view.OnInitialUpdate();
        while (Root().GetPageCount() < 3) {
            AddChars(m_part, u"ab");
            AddCR(m_part);
            m_part->MarkDirty();
            view.Relayout();
        }
    }
    CEditNode* Layer() { return Root().GetNameFieldLayer(); }
    std::vector<CEditNode*> Fields()
    {
        std::vector<CEditNode*> fields;
        for (int i = 0; i < Layer()->GetChildCount(); ++i)
            fields.push_back(Layer()->GetEditChild(i));
        return fields;
    }
    std::string Flags(int pages = 3)
    {
        std::string flags;
        for (int page = 1; page <= pages; ++page)
            flags += Root().IsPageFlagged(page) ? '1' : '0';
        return flags;
    }
    // Fields of our own on the given pages, as a paper read from a file has them.
    std::vector<CEditNode*> PlaceFields(int count)
    {
        std::vector<CEditNode*> fields;
        for (int page = 1; page <= count; ++page) {
            auto* field = new NameField();
            Layer()->AppendChild(field);
            Root().SetPageFlagged(page, true);
            fields.push_back(field);
        }
        return fields;
    }
    void Run(std::function<void(CNameFieldDlg&)> action, int result = IDOK)
    {
        NameFieldAnswer answer(std::move(action), result);
        const int pages = Root().GetPageCount();
        doc.DoNameFieldDialog(nullptr);
        EXPECT_EQ(answer.runs, 1);
        EXPECT_EQ(answer.rows, pages);
    }
    static void UncheckAll(CNameFieldDlg& dialog)
    {
        // Every page is checked, so a double click on the 記名欄 heading unchecks them all.
        DoubleClick(dialog.Grid()->TopHeading(), QPoint(24, 10));
    }
    static std::function<void(CNameFieldDlg&)> FlipPage(int row)
    {
        return [row](CNameFieldDlg& dialog) { DoubleClick(dialog.Grid()->SideHeading(), QPoint(20, row * 113 + 50)); };
    }

    SwitchGuard switches;
    NoFiles files;
    ViewDocHost docHost;
    CSorelDoc doc{files, docHost};
    bool made = doc.OnNewDocument();
    DocumentForView forView{doc};
    TestHost host;
    VIEW_SETTINGS settings;
    CEditViewController view{forView, host, settings};
    CEditSentence* m_part = nullptr;
};

TEST_F(NameFieldCommandTest, UncheckingEveryPageIsOneStepThatUndoAndRedoReplay)
{
    ASSERT_TRUE(made);
    const std::vector<CEditNode*> fields = PlaceFields(3);
    FillThreePages();
    ASSERT_EQ(Root().GetPageCount(), 3);
    doc.SetModifiedFlag(false);

    Run(UncheckAll);
    EXPECT_TRUE(Fields().empty());
    EXPECT_EQ(Flags(), "000");
    EXPECT_TRUE(doc.IsModified());
    for (CEditNode* field : fields)
        EXPECT_EQ(field->GetParent(), nullptr);  // kept by the undo group

    view.OnEditUndo();
    EXPECT_EQ(Fields(), fields);
    EXPECT_EQ(Flags(), "111");
    view.OnEditRedo();
    EXPECT_TRUE(Fields().empty());
    EXPECT_EQ(Flags(), "000");
    view.OnEditUndo();
    EXPECT_EQ(Fields(), fields);

    // Cancel changes nothing and records nothing.
    Run(UncheckAll, IDCANCEL);
    EXPECT_EQ(Fields(), fields);
    view.OnEditRedo();
    EXPECT_TRUE(Fields().empty());
}

TEST_F(NameFieldCommandTest, OkWithoutAChangeRebuildsTheLayerAndAMixedChoicePutsFieldsOnItsPages)
{
    ASSERT_TRUE(made);
    const std::vector<CEditNode*> fields = PlaceFields(3);
    FillThreePages();
    ASSERT_EQ(Root().GetPageCount(), 3);

    // OK without a change: three fresh copies of the template, as one step.
    Run(nullptr);
    std::vector<CEditNode*> copies = Fields();
    ASSERT_EQ(copies.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(copies[i], fields[i]);
        EXPECT_TRUE(copies[i]->IsKind(EditKind::kKimeiran));
    }
    EXPECT_EQ(Flags(), "111");
    view.OnEditUndo();
    EXPECT_EQ(Fields(), fields);

    // Page 2 unchecked: fields on pages 1 and 3; Undo and Redo keep the page table with them.
    Run(FlipPage(1));
    EXPECT_EQ(Fields().size(), 2u);
    EXPECT_EQ(Flags(), "101");
    view.OnEditUndo();
    EXPECT_EQ(Fields(), fields);
    EXPECT_EQ(Flags(), "111");
    view.OnEditRedo();
    EXPECT_EQ(Fields().size(), 2u);
    EXPECT_EQ(Flags(), "101");

    // Then page 2 checked again from a layer of two: the new field goes between the others.
    Run(FlipPage(1));
    EXPECT_EQ(Fields().size(), 3u);
    EXPECT_EQ(Flags(), "111");
    view.OnEditUndo();
    EXPECT_EQ(Fields().size(), 2u);
    EXPECT_EQ(Flags(), "101");
    view.OnEditRedo();
    EXPECT_EQ(Flags(), "111");
}

TEST_F(NameFieldCommandTest, SurplusNameFieldsAreDroppedAndComeBackWithUndo)
{
    ASSERT_TRUE(made);
    FillThreePages();
    ASSERT_EQ(Root().GetPageCount(), 3);
    const std::vector<CEditNode*> fields = PlaceFields(5);

    Run(nullptr);
    EXPECT_EQ(Fields().size(), 3u);
    EXPECT_EQ(Flags(5), "11100");
    view.OnEditUndo();
    EXPECT_EQ(Fields(), fields);
    EXPECT_EQ(Flags(5), "11111");
}

TEST_F(NameFieldCommandTest, AFailureInTheMiddleLeavesTheLayerAndFlagsAsTheyWere)
{
    ASSERT_TRUE(made);
    const std::vector<CEditNode*> fields = PlaceFields(3);
    FillThreePages();
    const NameFieldCopier copy = TemplateCopier(Root());
    int copies = 0;
    const NameFieldCopier failing = [&]() -> std::unique_ptr<CEditNode> {
        if (++copies == 2)
            throw CArchiveException(CArchiveException::genericException);
        return copy();
    };
    CUndoGroup group;
    EXPECT_THROW(RebuildNameFieldLayer(Root(), {1, 0, 1}, failing, group), CArchiveException);
    EXPECT_EQ(group.GetCount(), 0);
    EXPECT_EQ(Fields(), fields);
    EXPECT_EQ(Flags(), "111");
}

}  // namespace
