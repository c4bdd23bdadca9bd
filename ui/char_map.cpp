#include "ui/char_map.h"

#include "platform/shell.h"

#include <QProcess>
#include <QStandardPaths>

#include <csignal>

namespace {

ProcessStarter& Starter()
{
    static ProcessStarter starter = [](const QString& program, const QStringList& arguments, qint64* pid) {
        return QProcess::startDetached(program, arguments, QString(), pid);
    };
    return starter;
}

ProgramFinder& Finder()
{
    static ProgramFinder finder = [](const QString& name) { return QStandardPaths::findExecutable(name); };
    return finder;
}

}  // namespace

ProcessStarter SetProcessStarter(ProcessStarter starter)
{
    ProcessStarter previous = Starter();
    if (starter)
        Starter() = std::move(starter);
    return previous;
}

ProgramFinder SetProgramFinder(ProgramFinder finder)
{
    ProgramFinder previous = Finder();
    if (finder)
        Finder() = std::move(finder);
    return previous;
}

void CCharMapLauncher::Open(const std::u16string& caption)
{
    // A character map this command started and that still runs is left as it is.
    if (m_pid > 0 && ::kill(static_cast<pid_t>(m_pid), 0) == 0)
        return;
    m_pid = 0;
    for (const char* name : {"gucharmap", "kcharselect"}) {
        const QString program = Finder()(QString::fromLatin1(name));
        if (program.isEmpty())
            continue;
        qint64 pid = 0;
        if (Starter()(program, {}, &pid)) {
            m_pid = pid;
            return;
        }
        ShellMessageBox(u"文字コード表を起動できませんでした。", caption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShellMessageBox(u"文字コード表のプログラムがありません。gucharmap または kcharselect をインストールしてください。",
                    caption, MB_OK | MB_ICONINFORMATION);
}
