// An embedded object in the view's window on a horizontal and a vertical paper: inserted,
// opened by a double click, changed by its server and closed, with the object's picture drawn
// at each step. Set QN_TEST_OUTPUT_DIR to keep the screenshots (the window's and, under an X
// server, the whole screen's with the server's own window).
#include "object_window_fixture.h"
#include "tests/support/embedding_server.h"

#include <QImage>
#include <QPixmap>

using namespace viewtest;

namespace {

// The colour inside the object's top-left corner in the window, away from its frame and number.
QRgb ObjectColour(CSorelView& view, CEditObject* object)
{
    RECT r = object->m_rcLayout;
    view.Controller().LogicalToDeviceRect(&r);
    const int left = std::min(r.left, r.right);
    const int top = std::min(r.top, r.bottom);
    const QImage shot = view.grab().toImage();
    return shot.pixel(left + std::abs(r.right - r.left) / 6, top + std::abs(r.bottom - r.top) / 6) & 0xFFFFFF;
}

class ObjectsWindowTest : public ::testing::TestWithParam<bool> {};

}  // namespace

TEST_P(ObjectsWindowTest, AnObjectIsInsertedOpenedChangedAndClosed)
{
    const bool vertical = GetParam();
    const QString tag = vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal");
    TestServerRegistration server(QN_EMBEDDING_TEST_SERVER, "Vumat.Document");
    server.Script("\nchange 6000 3000\n");
    ObjectWindow window("Vumat.Document");
    ASSERT_TRUE(window.Open(vertical));
    CSorelView& view = *window.view;
    CEditViewController& controller = window.Controller();
    CEditObject* object = window.InsertObject();
    ASSERT_NE(object, nullptr);
    // The server's picture fills the object: its pale yellow, not the paper's white.
    EXPECT_EQ(ObjectColour(view, object), qRgb(255, 250, 220) & 0xFFFFFFu);
    window.Keep(tag + "_1_inserted", true);

    // A double click on the object opens it in the server's window, which changes it.
    const QPoint inside = window.CentreOf(object);
    QTest::mouseClick(&view, Qt::LeftButton, {}, inside);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, inside);
    window.Keep(tag + "_2_opened", true);
    ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return object->GetClientItem()->GetStorage().size() > 0 &&
                                                             object->m_rcLayout.right - object->m_rcLayout.left ==
                                                                 (vertical ? 3000 : 6000); }));
    view.repaint();
    EXPECT_EQ(ObjectColour(view, object), qRgb(255, 250, 220) & 0xFFFFFFu);
    window.Keep(tag + "_3_changed", true);

    // Escape closes the server's window, which saves.
    ASSERT_TRUE(controller.OnCommand(ViewCommand::kCancelEditCntr));
    EXPECT_FALSE(object->GetClientItem()->IsOpen());
    view.repaint();
    window.Keep(tag + "_4_closed", true);
    const std::vector<uint8_t>& storage = object->GetClientItem()->GetStorage();
    EXPECT_EQ(std::string(storage.begin(), storage.end()), "n=2;cx=6000;cy=3000");
}

INSTANTIATE_TEST_SUITE_P(Papers, ObjectsWindowTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Vertical" : "Horizontal"; });
