// Starts the problem editor in the test as its entry point does, the way scripts/run starts it:
// the program's own start-up class, the repository's folder as the working folder, and settings
// read and written under a fresh configuration folder instead of the user's. The message boxes it
// shows are real ones; a watcher reads each as it opens and closes it, as a person would. The
// process-wide state the program sets from its settings (default fonts, drawing switches) is put
// back afterwards, so that later tests in the same process see what they saw before.
#pragma once

#include "editor/main_frame.h"
#include "editor/sorel_program.h"
#include "editor/view_hookup.h"
#include "base/default_fonts.h"
#include "nodes/edit_switches.h"
#include "platform/profile.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The repository's folder, which scripts/run runs the program in.
inline std::string RepositoryFolder()
{
    return std::filesystem::canonical(std::filesystem::path(QN_TEST_DATA_DIR) / ".." / "..").string();
}

class ProgramRun : public ::testing::Test {
protected:
    ProgramRun() : m_formerConfig(qgetenv("XDG_CONFIG_HOME")), m_formerFolder(QDir::currentPath())
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        QDir::setCurrent(QString::fromStdString(RepositoryFolder()));
        CClassRegistry::UseFile("");  // found again under the fresh configuration folder
        QObject::connect(&m_watcher, &QTimer::timeout, [this] { CloseMessageBox(); });
        m_watcher.start(10);
    }
    ~ProgramRun() override
    {
        m_program.reset();
        CDefaultFontTable::Instance() = m_formerFonts;
        UseWideTextOut = m_formerSwitches[0];
        CurrentWritingVertical = m_formerSwitches[1];
        LineBreakMarksVisible = m_formerSwitches[2];
        InTextAnswersVisible = m_formerSwitches[3];
        m_watcher.stop();
        CClassRegistry::UseFile("");
        QDir::setCurrent(m_formerFolder);
        if (m_formerConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_formerConfig);
    }

    // The program started on the parameters; its Start answer.
    bool Start(const std::vector<std::string>& parameters)
    {
        m_program = std::make_unique<CSorelProgram>(parameters);
        return m_program->Start();
    }
    CSorelProgram& Program() { return *m_program; }
    std::string ConfigFolder() const { return m_config.path().toStdString(); }

    // A writable copy of a paper, named `name` in a folder of the test's own.
    std::string CopyOfFile(const std::string& source, const char* name = "paper.xml")
    {
        const std::string paper = m_papers.path().toStdString() + "/" + name;
        EXPECT_TRUE(QFile::copy(QString::fromStdString(source), QString::fromStdString(paper))) << source;
        QFile::setPermissions(QString::fromStdString(paper), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return paper;
    }
    std::string PaperFolder() const { return m_papers.path().toStdString(); }

    // The started program's frame shown at the size given, with its view focused; null when the
    // frame did not show.
    CSorelView* ShowFrame(int width = 1000, int height = 800)
    {
        CMainFrame& frame = *Program().Frame();
        frame.resize(width, height);
        frame.show();
        if (!QTest::qWaitForWindowExposed(&frame) || Program().View()->View() == nullptr)
            return nullptr;
        CSorelView* view = Program().View()->View();
        view->setFocus();
        return view;
    }

    // The texts of the message boxes shown so far.
    std::vector<std::u16string> messages;
    std::string MessagesShown() const
    {
        std::string text = "messages shown:";
        for (const std::u16string& message : messages)
            text += " \"" + QString::fromStdU16String(message).toStdString() + "\"";
        return text;
    }

private:
    void CloseMessageBox()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        messages.push_back(box->text().toStdU16String());
        box->reject();
    }

    const CDefaultFontTable m_formerFonts = CDefaultFontTable::Instance();
    const int m_formerSwitches[4] = {UseWideTextOut, CurrentWritingVertical, LineBreakMarksVisible,
                                     InTextAnswersVisible};
    QTemporaryDir m_config;
    QTemporaryDir m_papers;
    QByteArray m_formerConfig;
    QString m_formerFolder;
    QTimer m_watcher;
    std::unique_ptr<CSorelProgram> m_program;
};
