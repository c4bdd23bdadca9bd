// A test that starts the application with its real main frame: the frame made and shown by the
// application's start-up, the class registry and the settings file in a fresh folder, print
// files faked and shell requests answered from a queue.
#pragma once

#include "editor/main_frame.h"
#include "editor/sorel_app.h"
#include "fake_print_files.h"
#include "shell_answers.h"

#include "platform/profile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class FrameWindows : public CSorelAppWindows {
public:
    bool CreateMainFrame() override
    {
        frame = std::make_unique<CMainFrame>(*app);
        return frame->Create();
    }
    void ShowMainFrame(int show) override
    {
        if (show != SW_HIDE)
            frame->show();
    }
    void PostToMainFrame(unsigned message) override { frame->PostBatch(message); }
    void SetFrameTitle(const std::u16string& title) override
    {
        if (frame)
            frame->setWindowTitle(QString::fromStdU16String(title));
    }

    CSorelApp* app = nullptr;
    std::unique_ptr<CMainFrame> frame;
};

class MainFrameFixture : public ::testing::Test {
protected:
    MainFrameFixture()
    {
        CClassRegistry::UseFile(Path("classes.ini"));
        m_environment.programPath = Path("Tarsel");
        m_environment.profilePath = Path("Tarsel.ini");
    }
    ~MainFrameFixture() override
    {
        if (m_app)
            m_app->ExitInstance();
        m_windows.frame.reset();
        CClassRegistry::UseFile("");
    }
    std::string Path(const std::string& name) const { return m_dir.path().toStdString() + "/" + name; }
    CMainFrame& Start(const std::vector<std::string>& parameters = {})
    {
        m_app = std::make_unique<CSorelApp>(m_files, m_windows, m_environment);
        m_windows.app = m_app.get();
        EXPECT_TRUE(m_app->InitInstance(parameters));
        return *m_windows.frame;
    }

    QTemporaryDir m_dir;
    SOREL_APP_ENVIRONMENT m_environment;
    FakePrintFiles m_files;
    ShellAnswers m_shell;
    FrameWindows m_windows;
    std::unique_ptr<CSorelApp> m_app;
};
