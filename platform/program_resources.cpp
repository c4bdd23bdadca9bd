#include "platform/program_resources.h"

#include <QByteArray>
#include <QFile>
#include <QString>

ProgramResourceStatus LoadProgramResource(const std::string& type, int id, std::string* bytes)
{
    bytes->clear();
    QFile file(QStringLiteral(":/%1/%2").arg(QString::fromStdString(type)).arg(id));
    if (!file.exists())
        return ProgramResourceStatus::NotFound;
    if (!file.open(QIODevice::ReadOnly))
        return ProgramResourceStatus::Unreadable;
    const QByteArray data = file.readAll();
    // A compressed resource that does not unpack to its full size reads short.
    if (data.size() != file.size())
        return ProgramResourceStatus::Unreadable;
    bytes->assign(data.constData(), size_t(data.size()));
    return ProgramResourceStatus::Loaded;
}
