#include "platform/clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <map>
#include <mutex>

namespace {

constexpr UINT kFirstPrivateFormat = 0xC000;

struct FormatTable {
    std::mutex lock;
    std::map<std::string, UINT> ids;
    std::vector<std::string> mimeTypes;  // by id − kFirstPrivateFormat
};

FormatTable& Formats()
{
    static FormatTable table;
    return table;
}

// Name bytes outside letters, digits, '_', '-' and '.' are percent-encoded, so any name gives
// a valid MIME subtype.
std::string MimeTypeOf(const std::string& name)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string type = "application/x-qn-";
    for (unsigned char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == '-' || c == '.';
        if (plain) {
            type += static_cast<char>(c);
        } else {
            type += '%';
            type += kHex[c >> 4];
            type += kHex[c & 15];
        }
    }
    return type;
}

QClipboard* SystemClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr ? QGuiApplication::clipboard()
                                                                                  : nullptr;
}

}  // namespace

UINT RegisterClipboardFormat(const char* name)
{
    if (name == nullptr || *name == '\0')
        return 0;
    FormatTable& table = Formats();
    std::lock_guard guard(table.lock);
    const auto found = table.ids.find(name);
    if (found != table.ids.end())
        return found->second;
    const UINT id = kFirstPrivateFormat + static_cast<UINT>(table.mimeTypes.size());
    table.mimeTypes.push_back(MimeTypeOf(name));
    table.ids.emplace(name, id);
    return id;
}

std::string ClipboardFormatMimeType(UINT format)
{
    FormatTable& table = Formats();
    std::lock_guard guard(table.lock);
    if (format < kFirstPrivateFormat || format - kFirstPrivateFormat >= table.mimeTypes.size())
        return {};
    return table.mimeTypes[format - kFirstPrivateFormat];
}

bool SetClipboardData(UINT format, std::span<const BYTE> bytes)
{
    const std::string type = ClipboardFormatMimeType(format);
    QClipboard* clipboard = SystemClipboard();
    if (type.empty() || clipboard == nullptr)
        return false;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(type.c_str()),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    clipboard->setMimeData(data);  // the clipboard owns the data from here
    return true;
}

bool IsClipboardFormatAvailable(UINT format)
{
    const std::string type = ClipboardFormatMimeType(format);
    QClipboard* clipboard = SystemClipboard();
    if (type.empty() || clipboard == nullptr)
        return false;
    const QMimeData* data = clipboard->mimeData();
    return data != nullptr && data->hasFormat(QString::fromLatin1(type.c_str()));
}

bool GetClipboardData(UINT format, std::vector<BYTE>& out)
{
    out.clear();
    if (!IsClipboardFormatAvailable(format))
        return false;
    const QByteArray bytes =
        SystemClipboard()->mimeData()->data(QString::fromLatin1(ClipboardFormatMimeType(format).c_str()));
    out.assign(bytes.begin(), bytes.end());
    return true;
}
