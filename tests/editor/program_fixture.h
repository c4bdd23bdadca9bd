// Starts the problem editor in the test as its entry point does, the way scripts/run starts it:
// the program's own start-up class, the repository's folder as the working folder, and settings
// read and written under a fresh configuration folder instead of the user's. The message boxes it
// shows are real ones; a watcher reads each as it opens and closes it, as a person would.
#pragma once

#include "editor/main_frame.h"
#include "editor/sorel_program.h"
#include "platform/profile.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

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

    QTemporaryDir m_config;
    QByteArray m_formerConfig;
    QString m_formerFolder;
    QTimer m_watcher;
    std::unique_ptr<CSorelProgram> m_program;
};
