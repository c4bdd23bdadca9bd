// The desktop's character map, which the Insert menu's "文字コード表" of both editors brings up:
// gucharmap or kcharselect, started once and left running; a second request while it runs does
// nothing. Tests replace how programs are found and started.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

// Starts a program without waiting for it; false when it cannot start. Tests replace it.
using ProcessStarter = std::function<bool(const QString& program, const QStringList& arguments, qint64* pid)>;
ProcessStarter SetProcessStarter(ProcessStarter starter);
// Finds a program on the search path; empty when absent. Tests replace it.
using ProgramFinder = std::function<QString(const QString& name)>;
ProgramFinder SetProgramFinder(ProgramFinder finder);

class CCharMapLauncher {
public:
    // Starts the character map unless the one started before still runs; a missing program or
    // a failed start is told in a message box with the caption.
    void Open(const std::u16string& caption);

private:
    qint64 m_pid = 0;
};
