// A fake installation for the update patch's tests: a system settings folder whose file names
// the install folder, installed program files of chosen versions, and a recorder of message boxes.
#pragma once

#include "patch/patch_file.h"
#include "platform/shell.h"

#include "tests/support/elf_bytes.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FakeInstallation : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_hadConfigDirs = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
        m_formerConfigDirs = qgetenv("XDG_CONFIG_DIRS");
        // The settings are found along the folder list: a relative or empty folder counts for nothing.
        qputenv("XDG_CONFIG_DIRS", ("system:" + m_dir.path() + "/empty:" + m_dir.path() + "/system").toUtf8());
        QDir().mkpath(m_dir.path() + "/empty");
        QDir().mkpath(m_dir.path() + "/install");
        m_install = (m_dir.path() + "/install").toStdString();
        SetInstallFolder(m_install);
        m_formerShell = SetShellHandler([this](SHELL_REQUEST& request) {
            boxes.push_back(request);
            return answer;
        });
    }
    void TearDown() override
    {
        SetShellHandler(m_formerShell);
        SetPatchFileSteps({});
        if (m_hadConfigDirs)
            qputenv("XDG_CONFIG_DIRS", m_formerConfigDirs);
        else
            qunsetenv("XDG_CONFIG_DIRS");
    }

    // The settings file as an installer writes it; lines replace its [Path] section's body.
    void WriteSettings(const std::string& lines)
    {
        QDir().mkpath(m_dir.path() + "/system/Orvellan");
        std::ofstream((m_dir.path() + "/system/Orvellan/Hobrin.ini").toStdString(), std::ios::trunc)
            << "[Path]\n" << lines;
    }
    void SetInstallFolder(const std::string& folder) { WriteSettings("EDITPATH=" + folder + "\n"); }

    std::string PathOf(const std::string& name) const { return m_install + "/" + name; }

    // An installed program file of the version, dated long ago so a rewrite shows.
    void Install(const std::string& name, const std::string& version) { InstallBytes(name, ElfWithVersion(version)); }
    void InstallBytes(const std::string& name, const std::string& bytes)
    {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        ::chmod(path.c_str(), 0755);
        const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), old, 0);
    }
    // The three files at their target versions.
    void InstallCurrent()
    {
        Install("Pennic", "2.10.0000");
        Install("Vumat", "1.30.0000");
        Install("Kiran", "1, 30, 0, 0");
    }

    struct FILE_STATE {
        std::string bytes;
        time_t modified = 0;
        bool operator==(const FILE_STATE&) const = default;
    };
    FILE_STATE StateOf(const std::string& name) const
    {
        struct stat status {};
        FILE_STATE state;
        if (::stat(PathOf(name).c_str(), &status) == 0)
            state.modified = status.st_mtim.tv_sec;
        state.bytes = ReadBytes(PathOf(name));
        return state;
    }
    std::vector<FILE_STATE> StatesOfAll() const { return {StateOf("Pennic"), StateOf("Vumat"), StateOf("Kiran")}; }
    // The names in the install folder, so a temporary file left behind shows.
    QStringList Listing() const { return QDir(QString::fromStdString(m_install)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name); }

    QTemporaryDir m_dir;
    std::string m_install;
    std::vector<SHELL_REQUEST> boxes;
    int answer = IDOK;

private:
    bool m_hadConfigDirs = false;
    QByteArray m_formerConfigDirs;
    ShellHandler m_formerShell;
};
