// An embedded object in the view's window on a horizontal and a vertical paper: inserted,
// opened by a double click, changed by its server and closed, with the object's picture drawn
// at each step. Set QN_TEST_OUTPUT_DIR to keep the screenshots (the window's and, under an X
// server, the whole screen's with the server's own window).
#include "editor/sorel_cntr_item.h"
#include "nodes/edit_object.h"
#include "printfile/print_reader.h"
#include "tests/printfile/printfile_fixture.h"
#include "tests/support/embedding_server.h"
#include "view/sorel_view.h"
#include "view_fixture.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

using namespace viewtest;

namespace {

class WindowContainer : public CContainerDocument {
public:
    explicit WindowContainer(CSorelView& view, TestDocument& document) : m_view(view), m_document(document) {}
    void UpdateAllViews(int hint, CEditNode* node) override { m_view.Controller().OnUpdate(hint, node); }
    void SetModifiedFlag(bool modified) override { m_document.modified = modified; }

private:
    CSorelView& m_view;
    TestDocument& m_document;
};

void Keep(QWidget& view, const QString& name)
{
    const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR");
    if (folder.isEmpty())
        return;
    QTest::qWait(300);
    view.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png"));
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(QDir(QString::fromLocal8Bit(folder)).filePath(name + "_screen.png"));
    }
}

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

class ObjectsWindowTest : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() { printfiletest::RegisterPaperFaces(); }
};

}  // namespace

TEST_P(ObjectsWindowTest, AnObjectIsInsertedOpenedChangedAndClosed)
{
    const bool vertical = GetParam();
    const QString tag = vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal");
    TestServerRegistration server(QN_EMBEDDING_TEST_SERVER, "Vumat.Document");
    server.Script("\nchange 6000 3000\n");
    auto former = COleClientItem::SetFactory([](COleDocument* document) -> std::unique_ptr<COleClientItem> {
        return std::make_unique<CSorelCntrItem>(dynamic_cast<CContainerDocument*>(document));
    });
    nodetest::SwitchGuard switches;
    TestDocument document;
    ASSERT_TRUE(LoadNewTemplate(document.root.get(), vertical));
    VIEW_SETTINGS settings;
    {
        CSorelView view(document, settings);
        document.view = &view.Controller();
        WindowContainer container(view, document);
        CEditViewController& controller = view.Controller();
        controller.m_pOleDocument = &container;
        controller.m_insertObjectDialog = [](std::string* className) {
            *className = "Vumat.Document";
            return true;
        };
        view.resize(900, 700);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        controller.OnInitialUpdate();

        ASSERT_TRUE(controller.OnCommand(ViewCommand::kInsertObjectInline));
        auto* object = dynamic_cast<CEditObject*>(controller.GetCaret().m_caretNode->GetEditParent()->GetEditChild(0));
        ASSERT_NE(object, nullptr);
        // The server's picture fills the object: its pale yellow, not the paper's white.
        EXPECT_EQ(ObjectColour(view, object), qRgb(255, 250, 220) & 0xFFFFFFu);
        Keep(view, tag + "_1_inserted");

        // A double click on the object opens it in the server's window, which changes it.
        RECT r = object->m_rcLayout;
        controller.LogicalToDeviceRect(&r);
        const QPoint inside((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        QTest::mouseClick(&view, Qt::LeftButton, {}, inside);
        QTest::mouseDClick(&view, Qt::LeftButton, {}, inside);
        Keep(view, tag + "_2_opened");
        ASSERT_TRUE(TestServerRegistration::WaitFor([&] { return object->GetClientItem()->GetStorage().size() > 0 &&
                                                                 object->m_rcLayout.right - object->m_rcLayout.left ==
                                                                     (vertical ? 3000 : 6000); }));
        view.repaint();
        EXPECT_EQ(ObjectColour(view, object), qRgb(255, 250, 220) & 0xFFFFFFu);
        Keep(view, tag + "_3_changed");

        // Escape closes the server's window, which saves.
        ASSERT_TRUE(controller.OnCommand(ViewCommand::kCancelEditCntr));
        EXPECT_FALSE(object->GetClientItem()->IsOpen());
        view.repaint();
        Keep(view, tag + "_4_closed");
        const std::vector<uint8_t>& storage = object->GetClientItem()->GetStorage();
        EXPECT_EQ(std::string(storage.begin(), storage.end()), "n=2;cx=6000;cy=3000");
        document.groups.clear();
        document.root.reset();
    }
    COleClientItem::SetFactory(former);
}

INSTANTIATE_TEST_SUITE_P(Papers, ObjectsWindowTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Vertical" : "Horizontal"; });
