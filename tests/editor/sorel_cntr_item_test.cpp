// The client item's notifications on an item whose extent the test sets, without a server.
#include "editor/sorel_cntr_item.h"

#include "nodes/edit_object.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "tests/nodes/node_fixture.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The paper as the item sees it: the hints it sends and the modified flag.
class RecordingContainer : public CContainerDocument {
public:
    void UpdateAllViews(int hint, CEditNode* node) override { hints.emplace_back(hint, node); }
    void SetModifiedFlag(bool value) override { modified = value; }
    bool DeviceToDocRect(RECT* rect, bool* isVertical) override
    {
        // Device pixels are document units here, halved.
        *rect = RECT{rect->left * 2, rect->top * 2, rect->right * 2, rect->bottom * 2};
        *isVertical = vertical;
        return true;
    }
    std::vector<std::pair<int, CEditNode*>> hints;
    bool modified = false;
    bool vertical = false;
};

class SorelCntrItemTest : public ::testing::Test {
protected:
    SorelCntrItemTest()
    {
        auto object = std::make_unique<CEditObject>();
        node = object.get();
        auto owned = std::make_unique<CSorelCntrItem>(&container);
        item = owned.get();
        object->SetClientItem(std::move(owned));
        node->m_rcLayout = RECT{100, 200, 1100, 700};
        part.AppendChild(object.release());
    }
    void Extent(int cx, int cy)
    {
        Embedding::OBJECT_RECORD record;
        record.className = "Vumat.Document";
        record.state.extent = SIZE{cx, cy};
        item->SetRecord(record);
    }

    nodetest::SwitchGuard switches;
    RecordingContainer container;
    CEditSentence part;
    CEditObject* node = nullptr;
    CSorelCntrItem* item = nullptr;
};

using Hints = std::vector<std::pair<int, CEditNode*>>;

}  // namespace

TEST_F(SorelCntrItemTest, ANewExtentResizesTheNodeAndMarksThePaper)
{
    for (const int vertical : {0, 1}) {
        SCOPED_TRACE(vertical);
        CurrentWritingVertical = vertical;
        node->m_rcLayout = RECT{100, 200, 1100, 700};
        container.hints.clear();
        container.modified = false;
        part.m_modified = 0;
        Extent(3000, 2000);
        item->OnChange(OLE_CHANGED, DVASPECT_CONTENT);
        // Width and height exchange on a vertical page, which is drawn turned.
        EXPECT_EQ(node->m_rcLayout.right, vertical ? 2100 : 3100);
        EXPECT_EQ(node->m_rcLayout.bottom, vertical ? 3200 : 2200);
        EXPECT_EQ(node->m_rcLayout.left, 100);
        EXPECT_TRUE(container.modified);
        EXPECT_EQ(part.m_modified, 1);
        EXPECT_EQ(container.hints, (Hints{{1, node}, {1, node}, {1, node}, {0, nullptr}}));
    }
}

TEST_F(SorelCntrItemTest, TheSameExtentAgainChangesNothing)
{
    Extent(1000, 500);
    item->OnChange(OLE_CHANGED, DVASPECT_CONTENT);
    EXPECT_EQ(node->m_rcLayout.right, 1100);
    EXPECT_FALSE(container.modified);
    EXPECT_EQ(container.hints, (Hints{{1, node}}));
}

TEST_F(SorelCntrItemTest, OtherNotificationsRepaintTheObjectOrThePaper)
{
    const struct {
        int notification;
        Hints hints;
    } cases[] = {
        {OLE_SAVED, {{0, nullptr}, {1, node}}},   {OLE_CLOSED, {{0, nullptr}, {1, node}}},
        {OLE_RENAMED, {{1, node}}},               {OLE_CHANGED_STATE, {{1, node}}},
        {OLE_CHANGED_ASPECT, {{1, node}}},        {9, {}},
    };
    for (const auto& c : cases) {
        container.hints.clear();
        item->OnChange(c.notification, 0);
        EXPECT_EQ(container.hints, c.hints) << c.notification;
    }
    EXPECT_FALSE(container.modified);
}

TEST_F(SorelCntrItemTest, AnItemWithoutANodeOnlyPassesTheNotificationOn)
{
    CSorelCntrItem loose(&container);
    Embedding::OBJECT_RECORD record;
    record.className = "Vumat.Document";
    record.state.extent = SIZE{10, 10};
    loose.SetRecord(record);
    for (int notification = OLE_CHANGED; notification <= OLE_CHANGED_ASPECT; ++notification)
        loose.OnChange(notification, 0);
    EXPECT_TRUE(container.hints.empty());
    EXPECT_FALSE(container.modified);
}

TEST_F(SorelCntrItemTest, SyncExtentAndAMovedPositionFollowTheRules)
{
    RECT rect{0, 0, 5000, 5000};
    EXPECT_FALSE(item->SyncExtent(&rect)) << "no extent yet";
    Extent(3000, 2000);
    EXPECT_TRUE(item->SyncExtent(&rect));
    EXPECT_EQ(rect.right, 3000);
    EXPECT_EQ(rect.bottom, 2000);
    EXPECT_FALSE(item->SyncExtent(&rect));

    container.vertical = true;
    EXPECT_TRUE(item->OnChangeItemPosition(RECT{1, 2, 3, 4}));
    // Turned back by a quarter: (top, right, bottom, left) of the document rectangle.
    EXPECT_EQ(node->m_rcLayout.left, 4);
    EXPECT_EQ(node->m_rcLayout.top, 6);
    EXPECT_EQ(node->m_rcLayout.right, 8);
    EXPECT_EQ(node->m_rcLayout.bottom, 2);
    EXPECT_TRUE(container.modified);
}
