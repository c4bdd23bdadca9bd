// Editing operations are transactions: when an allocation fails at any step of one, the tree,
// the caret and the undo group are left as they were, nothing leaks, and the failure reaches the
// caller. Each command of the table is run once for every allocation it makes, that allocation
// failing.
#include "allocation_failure.h"
#include "paper_fixture.h"

#include "base/gdi_cache.h"
#include "nodes/caret.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"

#include <functional>
#include <new>
#include <string>

using namespace nodetest;
using namespace papertest;

namespace {

class EditTransactionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateGdiResources(); }

    void Relayout()
    {
        LAYOUT_CONTEXT measure;
        root.Measure(&dc, &map, &measure);
        LAYOUT_CONTEXT layout;
        root.Layout(&layout, 0);
    }

    SwitchGuard switches;
    CRecordingDC dc;
    CDisplayMap map = IdentityMap();
    CEditPrint root;
    CCaret caret;
};

using Setup = std::function<void(CEditPrint& root, CCaret& caret)>;
using Run = std::function<BOOL(CCaret& caret, CUndoGroup* group)>;

struct Command {
    const char* name;
    Setup setup;
    Run run;
    std::u16string result;  // the paper after the command, when nothing fails
};

// One paragraph with the caret before the node at index.
Setup Text(std::u16string_view text, int index, int anchor = -1)
{
    return [text, index, anchor](CEditPrint& root, CCaret& caret) {
        auto* part = new CEditSentence();
        AddText(part, text);
        AddCR(part);
        root.AppendChild(part);
        caret.m_caretNode = part->GetEditChild(index);
        caret.m_anchorNode = anchor >= 0 ? part->GetEditChild(anchor) : nullptr;
    };
}

// "a[x|]b|": a floating frame holding one character, the caret before the frame's line break.
void FrameWithOneCharacter(CEditPrint& root, CCaret& caret)
{
    auto* part = new CEditSentence();
    AddText(part, u"ab");
    AddCR(part);
    root.AppendChild(part);
    auto* frame = new TestFrame(1, 300, 300);
    part->GetEditChild(1)->InsertBefore(frame);
    AddChar(frame, u'x');
    AddCR(frame);
    caret.m_caretNode = frame->GetEditChild(1);
}

BOOL TypeString(CCaret& caret, CUndoGroup* group)
{
    CStringW text(u"XY");
    return caret.m_caretNode->InsertString(&caret, &text, group);
}

BOOL TypeChars(CCaret& caret, CUndoGroup* group)
{
    CStringW text(u"XYZ");
    return caret.m_caretNode->InsertChars(&caret, &text, group);
}

BOOL Enter(CCaret& caret, CUndoGroup* group)
{
    return caret.m_caretNode->InsertLineBreak(&caret, group);
}

BOOL Backspace(CCaret& caret, CUndoGroup* group)
{
    return caret.m_caretNode->DeleteBackward(&caret, group);
}

BOOL Delete(CCaret& caret, CUndoGroup* group)
{
    return caret.m_caretNode->DeleteForward(&caret, group);
}

BOOL DeleteSelection(CCaret& caret, CUndoGroup* group)
{
    return CEditNode::DeleteSelection(&caret, group);
}

}  // namespace

TEST_F(EditTransactionTest, AFailedAllocationLeavesEverythingAsItWas)
{
    const Command commands[] = {
        {"string", Text(u"abc", 1), TypeString, u"aXYbc|"},
        {"characters", Text(u"abc", 1), TypeChars, u"aXYZbc|"},
        {"line break", Text(u"abc", 1), Enter, u"a|bc|"},
        {"backspace", Text(u"abc", 1), Backspace, u"bc|"},
        {"delete", Text(u"abc", 1), Delete, u"ac|"},
        {"backspace over a selection", Text(u"abcd", 3, 0), Backspace, u"d|"},
        {"delete selection", Text(u"abcd", 0, 3), DeleteSelection, u"d|"},
        {"backspace empties a frame", FrameWithOneCharacter, Backspace, u"ab|"},
    };
    for (const Command& command : commands) {
        for (const bool withGroup : {true, false}) {
            SCOPED_TRACE(std::string(command.name) + (withGroup ? " with a group" : " without a group"));
            // Once without a failure first, so that what the code sets up on first use is set up.
            int allocations = 0;
            for (long failAt = -1;; ++failAt) {
                root.DeleteAllChildren();
                caret.Reset();
                command.setup(root, caret);
                Relayout();
                auto group = std::make_unique<CUndoGroup>();
                // An earlier change of the same command stays recorded whatever happens.
                root.GetEditChild(0)->SetTextColor(0x0000FF, group.get());
                const std::u16string before = Dump(&root);
                const CCaret saved = caret;

                const long live = allocation::LiveBlocks();
                bool threw = false;
                BOOL result = FALSE;
                allocation::FailAfter(failAt);
                try {
                    result = command.run(caret, withGroup ? group.get() : nullptr);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
                allocation::Disarm();
                const bool failed = allocation::Failed();
                const long liveAfter = allocation::LiveBlocks();

                if (failAt < 0 || !failed) {
                    EXPECT_FALSE(threw);
                    EXPECT_TRUE(result);
                    EXPECT_EQ(Dump(&root), command.result);
                    if (failAt >= 0)
                        break;
                    continue;
                }
                ++allocations;
                SCOPED_TRACE("allocation " + std::to_string(failAt));
                EXPECT_TRUE(threw);
                EXPECT_EQ(Dump(&root), before);
                EXPECT_EQ(caret.m_caretNode, saved.m_caretNode);
                EXPECT_EQ(caret.m_anchorNode, saved.m_anchorNode);
                EXPECT_EQ(group->GetCount(), 1);
                EXPECT_EQ(liveAfter, live);
                ASSERT_LT(failAt, 1000);
            }
            EXPECT_GT(allocations, 0);
        }
    }
}
