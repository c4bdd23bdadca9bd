// The step onto a caret stop before a caret move: it ends on a stop, and also where a move
// leaves the caret in place or finds nowhere to go.
#include "nodes/caret_display.h"

#include "tests/nodes/node_fixture.h"

#include "nodes/caret.h"

#include <gtest/gtest.h>

namespace {

using namespace nodetest;

// A node the caret may not stand at whose move leaves the caret where it is.
class StuckNode : public CEditContainer {
public:
    StuckNode() { m_caretStop = 0; }
    CEditNode* MovePrev(CCaret*, int) override
    {
        ++moves;
        return this;
    }
    int moves = 0;
};

TEST(StepToCaretStop, EndsOnAStopAndWhereTheCaretStaysPut)
{
    CEditContainer parent;
    AddChars(&parent, u"ab");
    auto* stuck = new StuckNode();
    parent.AppendChild(stuck);

    CCaret caret;
    caret.m_caretNode = stuck;
    StepToCaretStop(&caret, &CEditNode::MovePrev);
    EXPECT_EQ(caret.m_caretNode, stuck);
    EXPECT_EQ(stuck->moves, 1);

    // A caret already on a stop does not move.
    caret.m_caretNode = parent.GetEditChild(1);
    StepToCaretStop(&caret, &CEditNode::MovePrev);
    EXPECT_EQ(caret.m_caretNode, parent.GetEditChild(1));
}

}  // namespace
