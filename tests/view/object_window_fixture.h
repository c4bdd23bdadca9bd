// The view standing in a window over a new paper, with a container document for embedded
// objects whose items are the problem editor's own, as the tests of objects in a window need it;
// screenshots go to QN_TEST_OUTPUT_DIR when it is set.
#pragma once

#include "editor/sorel_cntr_item.h"
#include "nodes/edit_object.h"
#include "printfile/print_reader.h"
#include "tests/printfile/printfile_fixture.h"
#include "view/sorel_view.h"
#include "view_fixture.h"

#include <QByteArray>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace viewtest {

// The container document of the view's window: updates go to the view, the modified flag to the
// test's document.
class WindowContainer : public CContainerDocument {
public:
    WindowContainer(CSorelView& view, TestDocument& document) : m_view(view), m_document(document) {}
    void UpdateAllViews(int hint, CEditNode* node) override { m_view.Controller().OnUpdate(hint, node); }
    void SetModifiedFlag(bool modified) override { m_document.modified = modified; }

private:
    CSorelView& m_view;
    TestDocument& m_document;
};

inline std::string BytesText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A settings folder of the test's own for the programs it starts, the former one restored after.
class ScopedConfigHome {
public:
    ScopedConfigHome() : m_former(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", m_folder.path().toLocal8Bit()); }
    ~ScopedConfigHome()
    {
        if (m_former.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_former);
    }

private:
    QTemporaryDir m_folder;
    QByteArray m_former;
};

class ObjectWindow {
public:
    // The insert-object dialog of the view answers `className`.
    explicit ObjectWindow(std::string className) : m_className(std::move(className))
    {
        printfiletest::RegisterPaperFaces();
        m_formerFactory = COleClientItem::SetFactory([](COleDocument* owner) -> std::unique_ptr<COleClientItem> {
            return std::make_unique<CSorelCntrItem>(dynamic_cast<CContainerDocument*>(owner));
        });
    }
    ~ObjectWindow()
    {
        document.groups.clear();
        document.root.reset();
        container.reset();
        view.reset();
        COleClientItem::SetFactory(m_formerFactory);
    }
    ObjectWindow(const ObjectWindow&) = delete;
    ObjectWindow& operator=(const ObjectWindow&) = delete;

    // The new paper in a shown 900 × 700 window, after the view's first update.
    ::testing::AssertionResult Open(bool vertical)
    {
        if (!LoadNewTemplate(document.root.get(), vertical))
            return ::testing::AssertionFailure() << "the new paper could not be read";
        view = std::make_unique<CSorelView>(document, settings);
        document.view = &view->Controller();
        container = std::make_unique<WindowContainer>(*view, document);
        Controller().m_pOleDocument = container.get();
        Controller().m_insertObjectDialog = [this](std::string* className) {
            *className = m_className;
            return true;
        };
        view->resize(900, 700);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            return ::testing::AssertionFailure() << "the view's window never showed";
        Controller().OnInitialUpdate();
        return ::testing::AssertionSuccess();
    }

    CEditViewController& Controller() { return view->Controller(); }

    // An object inserted at the caret by the insert-object command; null when none was.
    CEditObject* InsertObject()
    {
        if (!Controller().OnCommand(ViewCommand::kInsertObjectInline))
            return nullptr;
        return dynamic_cast<CEditObject*>(Controller().GetCaret().m_caretNode->GetEditParent()->GetEditChild(0));
    }

    // The window point at the middle of the object.
    QPoint CentreOf(CEditObject* object)
    {
        RECT r = object->m_rcLayout;
        Controller().LogicalToDeviceRect(&r);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // The view's picture as name.png, and under an X server the whole screen's too when asked.
    void Keep(const QString& name, bool withScreen = false)
    {
        const QByteArray folder = qgetenv("QN_TEST_OUTPUT_DIR");
        if (folder.isEmpty())
            return;
        QTest::qWait(300);
        const QDir into(QString::fromLocal8Bit(folder));
        view->grab().save(into.filePath(name + ".png"));
        if (withScreen && QGuiApplication::platformName() == QLatin1String("xcb"))
            if (QScreen* screen = QGuiApplication::primaryScreen())
                screen->grabWindow(0).save(into.filePath(name + "_screen.png"));
    }

    nodetest::SwitchGuard switches;
    TestDocument document;
    VIEW_SETTINGS settings;
    std::unique_ptr<CSorelView> view;
    std::unique_ptr<WindowContainer> container;

private:
    std::string m_className;
    COleClientItem::Factory m_formerFactory;
};

}  // namespace viewtest
