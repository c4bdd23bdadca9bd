// The test object server registered for a test: a class registry of the test's own that lists
// the server under a class name, the server's script and start mode, and a wait that lets Qt
// deliver the server's frames.
#pragma once

#include "platform/embedding.h"
#include "platform/profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>

class TestServerRegistration {
public:
    static constexpr const char* kClsid = "{0B1D2E3F-4A5B-4C6D-8E9F-A0B1C2D3E4F5}";

    TestServerRegistration(const std::string& serverPath, const std::string& className = "Test.Object")
        : m_className(className)
    {
        CClassRegistry::UseFile(m_dir.filePath("classes.ini").toStdString());
        Register(className, serverPath);
        qunsetenv("QN_TEST_SERVER_SCRIPT");
        qunsetenv("QN_TEST_SERVER_START");
        qunsetenv("QN_TEST_SERVER_EXTENT");
        m_formerNotice = Embedding::SetLinkLostNotice([this](const std::string&) { ++linkLostNotices; });
        COleClientItem::SetTimeouts(5000, 3000);
    }
    ~TestServerRegistration()
    {
        Embedding::SetLinkLostNotice(m_formerNotice);
        COleClientItem::SetTimeouts(10000, 5000);
        qunsetenv("QN_TEST_SERVER_SCRIPT");
        qunsetenv("QN_TEST_SERVER_START");
        qunsetenv("QN_TEST_SERVER_EXTENT");
        CClassRegistry::UseFile("");
    }

    static void Register(const std::string& className, const std::string& program, const char* clsid = kClsid)
    {
        CClassRegistry& registry = CClassRegistry::Instance();
        registry.SetValue(className + "\\CLSID", "", clsid);
        registry.CreateKey(className + "\\Insertable");
        registry.SetValue(std::string("CLSID\\") + clsid + "\\LocalServer32", "", program);
        registry.SetValue(std::string("CLSID\\") + clsid + "\\ProgId", "", className);
    }

    // Line n: what the server does on the n-th DOVERB.
    void Script(const std::string& lines)
    {
        const QString path = m_dir.filePath("script.txt");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(lines.c_str());
        file.close();
        qputenv("QN_TEST_SERVER_SCRIPT", path.toLocal8Bit());
    }
    void StartMode(const char* mode) { qputenv("QN_TEST_SERVER_START", mode); }
    void NewExtent(const char* extent) { qputenv("QN_TEST_SERVER_EXTENT", extent); }

    const std::string& ClassName() const { return m_className; }
    QString Folder() const { return m_dir.path(); }

    // Lets Qt deliver what the server sends until the condition holds or the time is up.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    int linkLostNotices = 0;

private:
    QTemporaryDir m_dir;
    std::string m_className;
    Embedding::LinkLostNotice m_formerNotice;
};
