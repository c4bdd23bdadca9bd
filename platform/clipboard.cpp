#include "platform/clipboard.h"

#include "platform/image_files.h"
#include "platform/packed_dib.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

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

namespace {

// The charsets of text/plain read as code page 932.
bool IsJapaneseLegacyCharset(QString type)
{
    type = type.toLower().remove(QLatin1Char(' ')).remove(QLatin1Char('"'));
    if (!type.startsWith(QLatin1String("text/plain;")))
        return false;
    const qsizetype at = type.indexOf(QLatin1String("charset="));
    if (at < 0)
        return false;
    QString charset = type.mid(at + 8);
    charset = charset.left(charset.indexOf(QLatin1Char(';')) < 0 ? charset.size() : charset.indexOf(QLatin1Char(';')));
    static const char* const kNames[] = {"shift_jis", "shift-jis", "sjis", "x-sjis", "windows-31j", "cp932",
                                         "ms_kanji", "csshiftjis", "ms932"};
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [&charset](const char* name) { return charset == QLatin1String(name); });
}

}  // namespace

bool SetClipboardUnicodeText(std::u16string_view text)
{
    QClipboard* clipboard = SystemClipboard();
    if (clipboard == nullptr)
        return false;
    auto* data = new QMimeData;
    data->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    clipboard->setMimeData(data);
    return true;
}

bool GetClipboardUnicodeText(std::u16string& out)
{
    out.clear();
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr)
        return false;
    if (data->hasText()) {
        out = data->text().toStdU16String();
    } else {
        // Text tagged as UTF-8 under a charset parameter.
        const QStringList formats = data->formats();
        const auto utf8 = std::find_if(formats.begin(), formats.end(), [](const QString& type) {
            const QString t = type.toLower().remove(QLatin1Char(' ')).remove(QLatin1Char('"'));
            return t.startsWith(QLatin1String("text/plain;")) && t.contains(QLatin1String("charset=utf-8"));
        });
        if (utf8 == formats.end())
            return false;
        out = QString::fromUtf8(data->data(*utf8)).toStdU16String();
    }
    if (const size_t zero = out.find(u'\0'); zero != std::u16string::npos)
        out.resize(zero);
    return true;
}

bool GetClipboardCp932Text(std::string& out)
{
    out.clear();
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr)
        return false;
    for (const QString& type : data->formats()) {
        if (!IsJapaneseLegacyCharset(type))
            continue;
        const QByteArray bytes = data->data(type);
        out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        if (const size_t zero = out.find('\0'); zero != std::string::npos)
            out.resize(zero);
        return true;
    }
    return false;
}

bool SetClipboardDib(std::span<const BYTE> packedDib)
{
    QClipboard* clipboard = SystemClipboard();
    if (clipboard == nullptr || !IsValidPackedDib(packedDib))
        return false;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(packedDib.data());
    const size_t header = DibHeaderAndColorTableSize(info, packedDib.size());
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    if (header == 0 || !DecodeDib(info, packedDib.data() + header, packedDib.size() - header, &width, &height, &pixels))
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        const uint32_t* source = pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            line[x] = 0xFF000000u | source[x];
    }
    auto* data = new QMimeData;
    data->setImageData(image);
    clipboard->setMimeData(data);
    return true;
}

bool GetClipboardDib(std::vector<BYTE>& out)
{
    out.clear();
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr)
        return false;
    // The encoded picture when the clipboard has one, else Qt's own image in PNG form; either
    // way the picture layer decodes it under its limits.
    QByteArray encoded;
    for (const char* type : {"image/png", "image/bmp", "image/jpeg"}) {
        if (data->hasFormat(QLatin1String(type))) {
            encoded = data->data(QLatin1String(type));
            break;
        }
    }
    if (encoded.isEmpty() && data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (image.isNull() || !image.save(&buffer, "PNG"))
            return false;
    }
    if (encoded.isEmpty() || static_cast<size_t>(encoded.size()) > kMaxPictureBytes)
        return false;
    IMAGE_FILE_FACTS facts;
    HGLOBAL dib = DecodeImageToDib(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(encoded.constData()), static_cast<size_t>(encoded.size())),
        &facts);
    if (dib == nullptr)
        return false;
    const size_t size = GlobalSize(dib);
    if (const void* bytes = GlobalLock(dib)) {
        out.assign(static_cast<const BYTE*>(bytes), static_cast<const BYTE*>(bytes) + size);
        GlobalUnlock(dib);
    }
    GlobalFree(dib);
    if (!IsValidPackedDib(out)) {
        out.clear();
        return false;
    }
    return true;
}

struct CClipboardContents::SAVED {
    std::vector<std::pair<QString, QByteArray>> formats;
    QImage image;
};

CClipboardContents::CClipboardContents() = default;

CClipboardContents::~CClipboardContents() = default;

void CClipboardContents::Take()
{
    if (m_taken)
        return;
    m_taken = true;
    m_saved = std::make_unique<SAVED>();
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr)
        return;
    // Qt keeps an image as an object, not as bytes under its format.
    if (data->hasImage())
        m_saved->image = qvariant_cast<QImage>(data->imageData());
    for (const QString& type : data->formats())
        if (type != QLatin1String("application/x-qt-image"))
            m_saved->formats.emplace_back(type, data->data(type));
}

void CClipboardContents::Restore()
{
    QClipboard* clipboard = SystemClipboard();
    if (!m_taken || m_saved == nullptr || clipboard == nullptr)
        return;
    if (m_saved->formats.empty() && m_saved->image.isNull()) {
        clipboard->clear();
        return;
    }
    auto* data = new QMimeData;
    for (const auto& [type, bytes] : m_saved->formats)
        data->setData(type, bytes);
    if (!m_saved->image.isNull())
        data->setImageData(m_saved->image);
    clipboard->setMimeData(data);
}
