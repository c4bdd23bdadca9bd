// The formula editor's commands in its own window, serving a formula object of the problem
// editor's paper, both programs running: a scripted session builds (a+b)/√c from the maths bar,
// colours one letter red, copies the formula and pastes it twice; the paper's object then holds
// the three formulas and its picture shows them. Set QN_TEST_OUTPUT_DIR to keep the screenshots
// of both windows.
#include "editor/sorel_cntr_item.h"
#include "nodes/edit_object.h"
#include "printfile/print_reader.h"
#include "tests/printfile/printfile_fixture.h"
#include "tests/support/embedding_server.h"
#include "view/sorel_view.h"
#include "view_fixture.h"

#include <QDir>
#include <QTemporaryDir>
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
}

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

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
    printfiletest::RegisterPaperFaces();
    QTemporaryDir config;
    const QByteArray formerConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // A fraction holding brackets round a+b over a square root of c; c red; the formula copied
    // (select all) and pasted twice at its end.
    qputenv("QN_VUMAT_TEST_KEYS", "{180}{159}a+b{Right}{Right}{184}c{shot:vumat_commands_1_built}"
                                  "{+Left}{32823}{Right}{32997}{57634}{End}{57637}{57637}{shot:vumat_commands_2_pasted}");
    TestServerRegistration server(QN_VUMAT_PROGRAM, "Vumat.Document");
    COleClientItem::SetTimeouts(30000, 10000);
    auto former = COleClientItem::SetFactory([](COleDocument* document) -> std::unique_ptr<COleClientItem> {
        return std::make_unique<CSorelCntrItem>(dynamic_cast<CContainerDocument*>(document));
    });
    nodetest::SwitchGuard switches;
    TestDocument document;
    ASSERT_TRUE(LoadNewTemplate(document.root.get(), false));
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
        COleClientItem* item = object->GetClientItem();
        ASSERT_NE(item, nullptr);
        const int emptyWidth = object->m_rcLayout.right - object->m_rcLayout.left;

        // The paper follows the formula editor's every change: wait for the third square root.
        ASSERT_TRUE(TestServerRegistration::WaitFor(
            [&] { return Count(Text(item->GetStorage()), "<msqrt") >= 3; }, 30000))
            << Text(item->GetStorage());
        QTest::qWait(500);
        const std::string data = Text(item->GetStorage());
        EXPECT_EQ(Count(data, "<mfrac"), 3u) << data;
        EXPECT_EQ(Count(data, "<msqrt"), 3u) << data;
        // The red letter stays red in each copy.
        EXPECT_EQ(Count(data, "mathcolor=\"Red\""), 3u) << data;
        EXPECT_GT(object->m_rcLayout.right - object->m_rcLayout.left, 2 * emptyWidth);
        view.repaint();
        Keep(view, "vumat_commands_3_paper");
        document.groups.clear();
        document.root.reset();
    }
    COleClientItem::SetFactory(former);
    qunsetenv("QN_VUMAT_TEST_KEYS");
    if (formerConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", formerConfig);
}
