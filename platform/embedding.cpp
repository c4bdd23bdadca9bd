#include "platform/embedding.h"

#include "platform/clipboard.h"
#include "platform/gdi.h"
#include "platform/global_memory.h"
#include "platform/image_files.h"
#include "platform/gdi_objects.h"
#include "platform/packed_dib.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/utf8.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>

#include <algorithm>
#include <cstring>

IMPLEMENT_SERIAL(COleClientItem, CObject, 0)

namespace {

int g_firstFrameTimeout = 10000;
int g_closeTimeout = 5000;
// Pictures are drawn at most this many pixels a side.
constexpr int kMaxDrawSide = 8192;

COleClientItem::Factory& FactorySlot()
{
    static COleClientItem::Factory factory;
    return factory;
}

Embedding::LinkLostNotice& NoticeSlot()
{
    static Embedding::LinkLostNotice notice;
    return notice;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The link to one server process

class CServerLink {
public:
    CServerLink(COleClientItem* item, const std::string& program) : m_item(item)
    {
        m_process.setProgram(QString::fromStdString(program));
        m_process.setArguments({QStringLiteral("-Embedding")});
        // The server's own messages go where the container's go.
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { Pump(); });
        QObject::connect(&m_process, &QProcess::finished, [this](int, QProcess::ExitStatus) { Ended(); });
        QObject::connect(&m_process, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error == QProcess::Crashed || error == QProcess::ReadError || error == QProcess::WriteError)
                Ended();
        });
    }

    ~CServerLink()
    {
        m_process.disconnect();
        Kill();
    }

    bool Start()
    {
        m_process.start(QIODevice::ReadWrite);
        return m_process.waitForStarted(g_firstFrameTimeout);
    }

    void Send(const std::vector<uint8_t>& frame)
    {
        if (m_ended || m_process.state() != QProcess::Running)
            return;
        m_process.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
    }

    // Processes events of the process until done() holds or the time is up; false on time-out.
    template <typename Done>
    bool WaitUntil(Done done, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done()) {
            if (m_ended || deadline.hasExpired())
                return done();
            m_process.waitForBytesWritten(0);
            if (!m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
                if (m_process.state() != QProcess::Running)
                    Ended();
            }
        }
        return true;
    }

    bool HasEnded() const { return m_ended; }

    // Ends the process by its own id.
    void Kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

private:
    void Pump()
    {
        const QByteArray bytes = m_process.readAllStandardOutput();
        m_reader.Feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                               static_cast<size_t>(bytes.size())));
        Embedding::FRAME frame;
        for (;;) {
            const auto result = m_reader.Next(&frame);
            if (result == Embedding::CFrameReader::Result::NeedMore || m_ended)
                return;
            if (result == Embedding::CFrameReader::Result::Broken) {
                Break();
                return;
            }
            if (!Deliver(frame))
                return;
        }
    }

    // False when the frame ended the link.
    bool Deliver(const Embedding::FRAME& frame)
    {
        // A frame the container does not take from a server breaks the link too.
        switch (frame.code) {
        case Embedding::kChanged:
        case Embedding::kSaved:
            if (!Embedding::DecodeState(frame.payload)) {
                Break();
                return false;
            }
            break;
        case Embedding::kClosed:
            if (!frame.payload.empty()) {
                Break();
                return false;
            }
            break;
        case Embedding::kFailed:
            if (!Embedding::DecodeFailed(frame.payload)) {
                Break();
                return false;
            }
            break;
        default: Break(); return false;
        }
        m_item->OnFrame(frame);
        return !m_ended;
    }

    void Break()
    {
        if (m_ended)
            return;
        m_broken = true;
        Kill();
        Ended();
    }

    void Ended()
    {
        if (m_ended)
            return;
        // What is still buffered is read first: the last frames before an exit count.
        if (!m_broken && m_process.bytesAvailable() > 0)
            Pump();
        if (m_ended)
            return;
        m_ended = true;
        m_item->OnLinkEnded(m_broken || !m_closedCleanly);
    }

public:
    bool m_closedCleanly = false;

private:
    COleClientItem* m_item;
    QProcess m_process;
    Embedding::CFrameReader m_reader;
    bool m_ended = false;
    bool m_broken = false;
};

// ---------------------------------------------------------------------------------------------
// The item

COleClientItem::COleClientItem(COleDocument* document) : m_pDocument(document) {}

COleClientItem::~COleClientItem()
{
    // The process goes without its notifications reaching a half-destroyed item.
    m_link.reset();
}

void COleClientItem::SetRecord(Embedding::OBJECT_RECORD record)
{
    m_record = std::move(record);
    m_extentKnown = m_record.state.extent.cx > 0 || m_record.state.extent.cy > 0;
    if (m_state == emptyState)
        m_state = loadedState;
}

void COleClientItem::SetCachedExtent(SIZE extent)
{
    m_record.state.extent = extent;
    m_extentKnown = true;
}

BOOL COleClientItem::GetCachedExtent(SIZE* extent, DWORD) const
{
    if (!m_extentKnown || extent == nullptr)
        return FALSE;
    *extent = m_record.state.extent;
    return TRUE;
}

bool COleClientItem::IsOpen() const { return m_link != nullptr && !m_link->HasEnded(); }

bool COleClientItem::StartServer(const std::string& className, bool isNew)
{
    const std::string program = Embedding::FindServerPath(className);
    if (program.empty()) {
        m_lastFailure = EmbeddingFailure::NoServer;
        return false;
    }
    m_link = std::make_unique<CServerLink>(this, program);
    m_gotState = false;
    m_closed = false;
    if (!m_link->Start()) {
        m_link.reset();
        m_lastFailure = EmbeddingFailure::StartFailed;
        return false;
    }
    Embedding::HELLO_MESSAGE hello;
    hello.className = className;
    hello.isNew = isNew;
    m_link->Send(Embedding::EncodeHello(hello));
    if (!isNew)
        m_link->Send(Embedding::EncodeLoad(m_record.state.storage));
    return true;
}

bool COleClientItem::WaitForFirstState()
{
    if (m_link->WaitUntil([this] { return m_gotState; }, g_firstFrameTimeout))
        return true;
    // No answer in time (or the server ended first): the process is ended by its id.
    m_lastFailure = m_link->HasEnded() ? EmbeddingFailure::LinkBroken : EmbeddingFailure::NoAnswer;
    m_link.reset();
    return false;
}

bool COleClientItem::CreateNewItem(const std::string& className)
{
    m_lastFailure = EmbeddingFailure::None;
    if (!Embedding::IsValidClassName(className)) {
        m_lastFailure = EmbeddingFailure::NoServer;
        return false;
    }
    const Embedding::OBJECT_RECORD before = m_record;
    m_record = Embedding::OBJECT_RECORD{};
    m_record.className = className;
    if (!StartServer(className, true) || !WaitForFirstState()) {
        m_record = before;
        return false;
    }
    m_state = openState;
    return true;
}

bool COleClientItem::DoVerb(int verb)
{
    m_lastFailure = EmbeddingFailure::None;
    if (m_record.foreign) {
        m_lastFailure = EmbeddingFailure::Foreign;
        return false;
    }
    if (verb == OLEIVERB_HIDE)
        return true;  // the server's window is its own; nothing hides it from here
    if (IsOpen()) {
        m_link->Send(Embedding::EncodeDoVerb(verb));
        return true;
    }
    OnActivate();
    if (!StartServer(m_record.className, false) || !WaitForFirstState())
        return false;
    m_state = openState;
    m_link->Send(Embedding::EncodeDoVerb(verb));
    OnChange(OLE_CHANGED_STATE, static_cast<DWORD>(m_state));
    return true;
}

void COleClientItem::Close(int option)
{
    if (!IsOpen()) {
        m_link.reset();
        return;
    }
    const bool wasOpen = m_state == openState;
    m_closing = true;
    m_link->Send(Embedding::EncodeClose(option != OLECLOSE_NOSAVE));
    m_link->WaitUntil([this] { return m_closed; }, g_closeTimeout);
    if (m_link && !m_link->HasEnded()) {
        m_link->m_closedCleanly = m_closed;
        m_link->Kill();
    }
    m_link.reset();
    m_closing = false;
    if (wasOpen) {
        m_state = loadedState;
        OnChange(OLE_CLOSED, 0);
    }
}

void COleClientItem::Delete() noexcept
{
    m_link.reset();
    if (m_state == openState)
        m_state = loadedState;
}

void COleClientItem::TakeState(Embedding::OBJECT_STATE state)
{
    // A picture that cannot be drawn is not taken, and a server without a picture sends none:
    // the former one stays with the new data. So does the former extent when none is sent.
    if (state.pictureKind == Embedding::kNoPicture || !Embedding::IsDrawablePicture(state.pictureKind, state.picture)) {
        state.pictureKind = m_record.state.pictureKind;
        state.picture = m_record.state.picture;
    }
    const bool hasExtent = state.extent.cx > 0 || state.extent.cy > 0;
    if (!hasExtent)
        state.extent = m_record.state.extent;
    m_record.state = std::move(state);
    m_extentKnown = m_extentKnown || hasExtent;
}

void COleClientItem::OnFrame(const Embedding::FRAME& frame)
{
    switch (frame.code) {
    case Embedding::kChanged:
    case Embedding::kSaved: {
        auto state = Embedding::DecodeState(frame.payload);
        if (!state)
            return;
        TakeState(std::move(*state));
        const bool first = !m_gotState;
        m_gotState = true;
        // The first state answers the start; the creator reads it, nothing has changed yet.
        if (!first)
            OnChange(frame.code == Embedding::kSaved ? OLE_SAVED : OLE_CHANGED, DVASPECT_CONTENT);
        return;
    }
    case Embedding::kClosed:
        m_closed = true;
        if (m_link)
            m_link->m_closedCleanly = true;
        return;
    case Embedding::kFailed:
        m_lastFailure = EmbeddingFailure::LinkBroken;
        return;
    default: return;
    }
}

void COleClientItem::OnLinkEnded(bool broken)
{
    const bool wasOpen = m_state == openState;
    if (m_state == openState)
        m_state = loadedState;
    if (broken && m_gotState) {
        m_lastFailure = EmbeddingFailure::LinkBroken;
        OnLinkLost();
    }
    // A close that the container asked for notifies in Close itself.
    if (wasOpen && !m_closing)
        OnChange(OLE_CLOSED, 0);
}

void COleClientItem::OnLinkLost()
{
    if (auto& notice = NoticeSlot())
        notice(m_record.className);
    else
        ShellNotice(u"オブジェクトのサーバーとの接続が切れました。最後に受け取った内容を残します。", u"", MB_OK | MB_ICONEXCLAMATION);
}

void COleClientItem::OnChange(int, DWORD) {}
BOOL COleClientItem::OnChangeItemPosition(const RECT&) { return TRUE; }
void COleClientItem::OnGetItemPosition(RECT*) {}
void COleClientItem::OnActivate() {}
void COleClientItem::OnDeactivateUI(BOOL) {}

void COleClientItem::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        Embedding::WriteTaggedObjectRecord(ar, m_record);
        return;
    }
    Embedding::OBJECT_RECORD record;
    Embedding::ReadObjectRecord(ar, &record);
    if (record.foreign && record.className.empty()) {
        if (auto clsid = Embedding::StorageClassId(record.state.storage))
            record.className = Embedding::ClassNameForClassId(*clsid);
        if (!Embedding::IsValidClassName(record.className))
            record.className.clear();
    }
    m_link.reset();
    m_state = emptyState;
    SetRecord(std::move(record));
}

void COleClientItem::WriteSideFile(CArchive& ar) const { Embedding::WriteObjectRecord(ar, m_record); }

namespace {

QImage RenderPicture(uint16_t kind, const std::vector<uint8_t>& bytes, int width, int height)
{
    if (width <= 0 || height <= 0 || width > kMaxDrawSide || height > kMaxDrawSide ||
        !Embedding::IsDrawablePicture(kind, bytes))
        return {};
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    if (kind == Embedding::kSvgPicture) {
        QSvgRenderer renderer(data);
        renderer.render(&painter, QRectF(0, 0, width, height));
    } else {
        QImage picture;
        if (!picture.loadFromData(data, "PNG"))
            return {};
        painter.drawImage(QRect(0, 0, width, height), picture);
    }
    painter.end();
    return image;
}

}  // namespace

void COleClientItem::Draw(CDC* dc, const RECT& rect, DWORD) const
{
    if (dc == nullptr)
        return;
    RECT device = rect;
    dc->LPtoDP(&device);
    const int width = std::abs(device.right - device.left);
    const int height = std::abs(device.bottom - device.top);
    const QImage image = RenderPicture(m_record.state.pictureKind, m_record.state.picture, width, height);
    if (!image.isNull()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc->StretchDIBits(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, width, height,
                          image.constBits(), &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    // No picture: a frame of the object's size with its class name.
    const HGDIOBJ previousBrush = dc->SelectStockObject(NULL_BRUSH);
    const HGDIOBJ previousPen = dc->SelectStockObject(BLACK_PEN);
    dc->Rectangle(&rect);
    dc->SelectObject(previousPen);
    dc->SelectObject(previousBrush);
    if (!m_record.className.empty()) {
        const std::u16string name(m_record.className.begin(), m_record.className.end());
        const int mode = dc->SetBkMode(TRANSPARENT);
        dc->ExtTextOutW(std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), ETO_CLIPPED, &rect,
                        name.data(), static_cast<UINT>(name.size()), nullptr);
        dc->SetBkMode(mode);
    }
}

bool COleClientItem::CopyToClipboard() const
{
    std::vector<uint8_t> png = RenderPng();
    if (png.empty())
        png = RenderFramePng();
    if (png.empty())
        return false;
    IMAGE_FILE_FACTS facts;
    HGLOBAL dib = DecodeImageToDib(png, &facts);
    if (dib == nullptr)
        return false;
    bool copied = false;
    if (const void* bytes = GlobalLock(dib)) {
        copied = SetClipboardDib(std::span<const BYTE>(static_cast<const BYTE*>(bytes), GlobalSize(dib)));
        GlobalUnlock(dib);
    }
    GlobalFree(dib);
    return copied;
}

std::vector<uint8_t> COleClientItem::RenderPng() const
{
    const int width = MulDiv(m_record.state.extent.cx, 96, 2540);
    const int height = MulDiv(m_record.state.extent.cy, 96, 2540);
    const QImage image = RenderPicture(m_record.state.pictureKind, m_record.state.picture, width, height);
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> COleClientItem::RenderFramePng() const
{
    const int width = MulDiv(m_record.state.extent.cx, 96, 2540);
    const int height = MulDiv(m_record.state.extent.cy, 96, 2540);
    if (width <= 0 || height <= 0 || width > kMaxDrawSide || height > kMaxDrawSide)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(Qt::black));
    painter.drawRect(0, 0, width - 1, height - 1);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

COleClientItem::Factory COleClientItem::SetFactory(Factory factory)
{
    Factory former = std::move(FactorySlot());
    FactorySlot() = std::move(factory);
    return former;
}

std::unique_ptr<COleClientItem> COleClientItem::Create(COleDocument* document)
{
    if (const Factory& factory = FactorySlot())
        return factory(document);
    return std::make_unique<COleClientItem>(document);
}

void COleClientItem::SetTimeouts(int firstFrameMs, int closeMs)
{
    g_firstFrameTimeout = firstFrameMs;
    g_closeTimeout = closeMs;
}

// ---------------------------------------------------------------------------------------------
// The registry of servers

namespace Embedding {

std::string FindServerPath(const std::string& className)
{
    if (!IsValidClassName(className))
        return {};
    const CClassRegistry& registry = CClassRegistry::Instance();
    std::string clsid;
    std::string program;
    if (!registry.QueryValue(className + "\\CLSID", "", &clsid) || clsid.empty() ||
        !registry.QueryValue("CLSID\\" + clsid + "\\LocalServer32", "", &program))
        return {};
    const QFileInfo file(QString::fromStdString(program));
    if (!file.isAbsolute() || !file.isFile() || !file.isExecutable())
        return {};
    return program;
}

std::vector<std::string> InsertableClasses()
{
    std::vector<std::string> classes;
    const CClassRegistry& registry = CClassRegistry::Instance();
    for (const std::string& key : registry.SubKeys("")) {
        if (IsValidClassName(key) && registry.KeyExists(key + "\\Insertable") && !FindServerPath(key).empty())
            classes.push_back(key);
    }
    std::sort(classes.begin(), classes.end());
    return classes;
}

std::string ClassNameForClassId(const std::string& clsid)
{
    std::string name;
    if (!CClassRegistry::Instance().QueryValue("CLSID\\" + clsid + "\\ProgId", "", &name) || !IsValidClassName(name))
        return {};
    return name;
}

std::optional<std::string> StorageClassId(std::span<const uint8_t> bytes)
{
    static constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes.size() < 512 || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0)
        return std::nullopt;
    auto u16 = [&](size_t at) { return uint32_t(bytes[at] | (bytes[at + 1] << 8)); };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    const uint32_t shift = u16(0x1E);
    if (shift != 9 && shift != 12)
        return std::nullopt;
    const uint64_t sector = u32(0x30);
    const uint64_t offset = (sector + 1) << shift;
    if (sector >= 0xFFFFFFFA || offset + 0x60 > bytes.size())
        return std::nullopt;
    const uint8_t* id = bytes.data() + offset + 0x50;
    if (std::all_of(id, id + 16, [](uint8_t b) { return b == 0; }))
        return std::nullopt;
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  unsigned(id[0] | id[1] << 8 | id[2] << 16 | unsigned(id[3]) << 24), unsigned(id[4] | id[5] << 8),
                  unsigned(id[6] | id[7] << 8), id[8], id[9], id[10], id[11], id[12], id[13], id[14], id[15]);
    return std::string(text);
}

LinkLostNotice SetLinkLostNotice(LinkLostNotice notice)
{
    LinkLostNotice former = std::move(NoticeSlot());
    NoticeSlot() = std::move(notice);
    return former;
}

}  // namespace Embedding
