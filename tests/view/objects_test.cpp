// Embedded objects in the editing view, with the test object server registered as the formula
// editor's class: inserting inline and in a frame, the paper following the server, closing.
#include "editor/sorel_cntr_item.h"
#include "nodes/edit_object.h"
#include "nodes/floating_frame.h"
#include "platform/clipboard.h"
#include "platform/packed_dib.h"
#include "platform/shell.h"
#include "tests/support/embedding_server.h"
#include "view_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace viewtest;

namespace {

// The paper as its objects' items reach it: hints go to the view, the flag to the document.
class ObjectContainer : public CContainerDocument {
public:
    ObjectContainer(TestDocument& document, CEditViewController& view) : m_document(document), m_view(view) {}
    void UpdateAllViews(int hint, CEditNode* node) override
    {
        ++updates;
        m_view.OnUpdate(hint, node);
    }
    void SetModifiedFlag(bool modified) override { m_document.modified = modified; }
    int updates = 0;

private:
    TestDocument& m_document;
    CEditViewController& m_view;
};

class ObjectsTest : public ViewTest {
protected:
    ObjectsTest()
    {
        m_formerFactory = COleClientItem::SetFactory([](COleDocument* document) -> std::unique_ptr<COleClientItem> {
            return std::make_unique<CSorelCntrItem>(dynamic_cast<CContainerDocument*>(document));
        });
        view.m_pOleDocument = &container;
        view.m_insertObjectDialog = [this](std::string* className) {
            ++dialogs;
            if (!dialogAnswer)
                return false;
            *className = "Vumat.Document";
            return true;
        };
        m_formerShell = SetShellHandler([this](SHELL_REQUEST& request) {
            messages.push_back(request.text);
            return IDOK;
        });
    }
    ~ObjectsTest() override
    {
        // Servers end before the paper goes.
        document.groups.clear();
        document.root.reset();
        SetShellHandler(m_formerShell);
        COleClientItem::SetFactory(m_formerFactory);
    }

    std::vector<CEditObject*> Objects(CEditNode* node = nullptr)
    {
        if (node == nullptr)
            node = document.root.get();
        std::vector<CEditObject*> found;
        if (auto* object = dynamic_cast<CEditObject*>(node))
            found.push_back(object);
        for (int i = 0; i < node->GetChildCount(); ++i) {
            auto below = Objects(node->GetEditChild(i));
            found.insert(found.end(), below.begin(), below.end());
        }
        return found;
    }

    static int Width(const CEditNode* node) { return node->m_rcLayout.right - node->m_rcLayout.left; }
    static int Height(const CEditNode* node) { return node->m_rcLayout.bottom - node->m_rcLayout.top; }

    TestServerRegistration server{QN_EMBEDDING_TEST_SERVER, "Vumat.Document"};
    ObjectContainer container{document, view};
    bool dialogAnswer = true;
    int dialogs = 0;
    std::vector<std::u16string> messages;

private:
    COleClientItem::Factory m_formerFactory;
    ShellHandler m_formerShell;
};

const std::u16string kMessage102 =
    u"ｵﾌﾞｼﾞｪｸﾄの作成に失敗しました。ｼｽﾃﾑ ﾚｼﾞｽﾄﾘにｵﾌﾞｼﾞｪｸﾄが登録されているか確認してください。";

}  // namespace

TEST_F(ObjectsTest, AnInlineObjectOpensAndThePaperFollowsItsServer)
{
    // The first verb is the insertion's own; the double clicks then change the object.
    server.Script("\nchange 4000 2500\nsame\n");
    Build({u"ab"});
    PlaceCaret(0, 0);
    const RECT caret = At(0, 0)->m_rcLayout;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertObjectInline));
    ASSERT_EQ(Objects().size(), 1u);
    CEditObject* object = Objects()[0];
    EXPECT_EQ(At(0, 0), object);
    EXPECT_EQ(Width(object), 3000) << "the server's extent";
    EXPECT_EQ(Height(object), 2000);
    EXPECT_EQ(object->m_rcLayout.left, caret.left);
    EXPECT_EQ(document.groups.size(), 1u);
    EXPECT_TRUE(document.modified);
    EXPECT_TRUE(view.IsSelected(object));
    EXPECT_TRUE(object->GetClientItem()->IsOpen());

    // A double click on the object: the server changes its extent and picture.
    document.modified = false;
    view.SetCaretNode(object);
    view.OnLButtonDblClk(0, POINT{object->m_rcLayout.left + 5, object->m_rcLayout.top + 5});
    ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return Width(object) == 4000; }));
    EXPECT_EQ(Height(object), 2500);
    EXPECT_TRUE(document.modified);
    const std::vector<uint8_t> picture = object->GetClientItem()->GetPicture();

    // The same extent again: repainted, but nothing changes and the flag stays clear.
    document.modified = false;
    const int before = container.updates;
    view.OnObjectDoubleClick(0);
    ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return container.updates > before; }));
    EXPECT_EQ(Width(object), 4000);
    EXPECT_FALSE(document.modified);
    EXPECT_EQ(object->GetClientItem()->GetPicture(), picture);

    // Escape closes the server, which saves.
    ASSERT_TRUE(view.OnCommand(ViewCommand::kCancelEditCntr));
    EXPECT_FALSE(object->GetClientItem()->IsOpen());
    EXPECT_TRUE(document.modified);
    const std::vector<uint8_t>& storage = object->GetClientItem()->GetStorage();
    EXPECT_EQ(std::string(storage.begin(), storage.end()), "n=2;cx=4000;cy=2500");
    EXPECT_TRUE(messages.empty());
}

TEST_F(ObjectsTest, OnAVerticalPageWidthAndHeightAreExchanged)
{
    server.Script("\nchange 4000 2500\n");
    Build({u"ab"}, 1);
    PlaceCaret(0, 0);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertObjectInline));
    CEditObject* object = Objects().at(0);
    EXPECT_EQ(Width(object), 5000) << "a new object keeps the 50 mm square in vertical writing";
    EXPECT_EQ(Height(object), 5000);
    view.SetCaretNode(object);
    view.OnObjectDoubleClick(0);
    ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return Height(object) == 4000; }));
    EXPECT_EQ(Width(object), 2500);
}

TEST_F(ObjectsTest, ACancelledFramedInsertLeavesTwoStepsThatTwoUndosTakeBack)
{
    Build({u"ab", u"cd"});
    PlaceCaret(0, 1);
    const std::string before = Describe(document.root->GetEditChild(0));
    dialogAnswer = false;
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertObject));
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(document.groups.size(), 2u);
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a | | c:b |") << "the line breaks stay, the frame goes";
    EXPECT_EQ(view.GetCaret().m_caretNode, At(0, 3));
    view.OnEditUndo();
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a | float[|] | c:b |");
    view.OnEditUndo();
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), before);
}

TEST_F(ObjectsTest, AFramedInsertPutsTheObjectInANewFrame)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertObject));
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), "c:a | float[node |] | c:b |");
    EXPECT_EQ(document.groups.size(), 2u);
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_EQ(Width(Objects()[0]), 3000);
}

TEST_F(ObjectsTest, AFigureWithoutAServerShowsMessage102AndChangesNothing)
{
    Build({u"ab"});
    PlaceCaret(0, 1);
    const std::string before = Describe(document.root->GetEditChild(0));
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertFigureInline));
    EXPECT_EQ(messages, std::vector<std::u16string>{kMessage102});
    EXPECT_EQ(Describe(document.root->GetEditChild(0)), before);
    EXPECT_TRUE(document.groups.empty());

    // In a frame the frame stays behind, as one step.
    messages.clear();
    ASSERT_TRUE(view.OnCommand(ViewCommand::kInsertFigure));
    EXPECT_EQ(messages, std::vector<std::u16string>{kMessage102});
    EXPECT_EQ(document.groups.size(), 1u);
}

TEST_F(ObjectsTest, AForeignObjectCannotBeOpenedHere)
{
    Build({u"ab"});
    auto object = std::make_unique<CEditObject>();
    auto item = std::make_unique<CSorelCntrItem>();
    Embedding::OBJECT_RECORD record;
    record.foreign = true;
    record.state.storage = {1, 2, 3};
    item->SetRecord(record);
    object->SetClientItem(std::move(item));
    object->m_rcLayout = RECT{0, 0, 1000, 1000};
    CEditObject* placed = object.get();
    document.root->GetEditChild(0)->InsertChildAt(0, object.release());
    view.Relayout();
    view.SetCaretNode(placed);
    view.OnObjectDoubleClick(0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(u"編集できません"), std::u16string::npos);
    EXPECT_FALSE(placed->GetClientItem()->IsOpen());
}

TEST_F(ObjectsTest, TheObjectCommandsAreEnabled)
{
    Build({u"ab"});
    for (int id : {ViewCommand::kInsertObjectInline, ViewCommand::kInsertObject, ViewCommand::kInsertFigureInline,
                   ViewCommand::kInsertFigure, ViewCommand::kCancelEditCntr}) {
        const CMD_UI_STATE state = view.OnUpdateCommand(id);
        EXPECT_TRUE(state.known && state.enabled) << id;
    }
}

TEST_F(ObjectsTest, ObjectCopyPutsTheObjectsPictureOnTheClipboard)
{
    Build({u"ab"});
    auto object = std::make_unique<CEditObject>();
    auto item = std::make_unique<CSorelCntrItem>();
    Embedding::OBJECT_RECORD record;
    record.className = "Vumat.Document";
    record.state.extent = SIZE{2540, 1270};  // 96 x 48 pixels
    record.state.pictureKind = Embedding::kSvgPicture;
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='2' height='1'><rect width='2' height='1' fill='red'/></svg>";
    record.state.picture.assign(svg.begin(), svg.end());
    item->SetRecord(record);
    object->SetClientItem(std::move(item));
    object->m_rcLayout = RECT{0, 0, 2540, 1270};
    document.root->GetEditChild(0)->InsertChildAt(1, object.release());
    view.Relayout();
    Select(0, 0, 2);  // "a" and the object
    ASSERT_TRUE(view.OnCommand(ViewCommand::kObjectCopy));
    std::vector<BYTE> dib;
    ASSERT_TRUE(GetClipboardDib(dib));
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 96);
    EXPECT_EQ(std::abs(header.biHeight), 48);
}
