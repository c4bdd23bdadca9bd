// The formula editor's commands in its own window, serving a formula object of the problem
// editor's paper, both programs running: a scripted session builds (a+b)/√c from the maths bar,
// colours one letter red, copies the formula and pastes it twice; the paper's object then holds
// the three formulas and its picture shows them. Set QN_TEST_OUTPUT_DIR to keep the screenshots
// of both windows.
#include "object_window_fixture.h"
#include "tests/support/embedding_server.h"

using namespace viewtest;

namespace {

size_t Count(const std::string& text, const std::string& piece)
{
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST(VumatCommandsWindowTest, AFormulaBuiltFromTheBarColouredCopiedAndPastedReachesThePaper)
{
    // The formula editor's own settings stay in this test's folder.
    ScopedConfigHome config;
    // A fraction holding brackets round a+b over a square root of c; c red; the formula copied
    // (select all) and pasted twice at its end.
    qputenv("QN_VUMAT_TEST_KEYS", "{180}{159}a+b{Right}{Right}{184}c{shot:vumat_commands_1_built}"
                                  "{+Left}{32823}{Right}{32997}{57634}{End}{57637}{57637}{shot:vumat_commands_2_pasted}");
    TestServerRegistration server(QN_VUMAT_PROGRAM, "Vumat.Document");
    COleClientItem::SetTimeouts(30000, 10000);
    ObjectWindow window("Vumat.Document");
    ASSERT_TRUE(window.Open(false));
    CSorelView& view = *window.view;
    CEditObject* object = window.InsertObject();
    ASSERT_NE(object, nullptr);
    COleClientItem* item = object->GetClientItem();
    ASSERT_NE(item, nullptr);
    const int emptyWidth = object->m_rcLayout.right - object->m_rcLayout.left;

    // The paper follows the formula editor's every change: wait for the third square root.
    ASSERT_TRUE(TestServerRegistration::WaitFor(
        [&] { return Count(BytesText(item->GetStorage()), "<msqrt") >= 3; }, 30000))
        << BytesText(item->GetStorage());
    QTest::qWait(500);
    const std::string data = BytesText(item->GetStorage());
    EXPECT_EQ(Count(data, "<mfrac"), 3u) << data;
    EXPECT_EQ(Count(data, "<msqrt"), 3u) << data;
    // The red letter stays red in each copy.
    EXPECT_EQ(Count(data, "mathcolor=\"Red\""), 3u) << data;
    EXPECT_GT(object->m_rcLayout.right - object->m_rcLayout.left, 2 * emptyWidth);
    view.repaint();
    window.Keep("vumat_commands_3_paper");
    qunsetenv("QN_VUMAT_TEST_KEYS");
}
