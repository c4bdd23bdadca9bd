#include "platform/embedding_server.h"

#include "platform/embedding.h"
#include "platform/gdi.h"
#include "platform/memory_file.h"
#include "platform/svg_picture.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <new>

// ---------------------------------------------------------------------------------------------
// The item and the document

COleServerItem::COleServerItem(COleServerDoc* document, BOOL autoDelete)
    : m_pDocument(document), m_autoDelete(autoDelete)
{
}

void COleServerItem::Serialize(CArchive&) {}

BOOL COleServerItem::OnGetExtent(DWORD, SIZE&) { return FALSE; }

COleServerDoc::COleServerDoc() = default;

COleServerDoc::~COleServerDoc()
{
    // An item that is not auto-deleted belongs to whoever made it.
    if (m_item && !m_item->IsAutoDelete())
        m_item.release();
}

BOOL COleServerDoc::OnNewDocument()
{
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

COleServerItem* COleServerDoc::GetEmbeddedItem()
{
    if (!m_item)
        m_item.reset(OnGetEmbeddedItem());
    return m_item.get();
}

void COleServerDoc::UpdateAllItems(intptr_t)
{
    if (m_link != nullptr)
        m_link->SendChanged();
}

void COleServerDoc::UpdateAllViews(intptr_t hint)
{
    if (m_viewUpdater)
        m_viewUpdater(hint);
}

Embedding::OBJECT_STATE COleServerDoc::CaptureState()
{
    Embedding::OBJECT_STATE state;
    // The extent first: a server may keep the extent it reports in its data.
    COleServerItem* item = GetEmbeddedItem();
    SIZE extent{};
    const bool hasExtent = item != nullptr && item->OnGetExtent(DVASPECT_CONTENT, extent) && extent.cx > 0 &&
                           extent.cy > 0 && extent.cx <= Embedding::kMaxExtent && extent.cy <= Embedding::kMaxExtent;
    {
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        Serialize(ar);
        ar.Close();
        state.storage = file.Detach();
    }
    if (state.storage.size() > Embedding::kMaxStorage)
        throw CArchiveException(CArchiveException::genericException);
    if (!hasExtent)
        return state;  // no extent: the container keeps its own, and its picture
    state.extent = extent;
    // The picture: the item draws at 96 dots per inch into a viewport of the extent's pixels.
    SIZE pixels{std::max(MulDiv(extent.cx, 96, 2540), 1), std::max(MulDiv(extent.cy, 96, 2540), 1)};
    std::vector<uint8_t> svg = RecordSvgPicture(pixels.cx, pixels.cy, [&](CDC* dc) {
        dc->SetMapMode(MM_ANISOTROPIC);
        dc->SetViewportOrg(0, 0);
        dc->SetViewportExt(pixels.cx, pixels.cy);
        dc->SetWindowExt(pixels.cx, pixels.cy);
        SIZE proposed = extent;
        item->OnDraw(dc, proposed);
    });
    if (!svg.empty() && svg.size() <= Embedding::kMaxPicture) {
        state.pictureKind = Embedding::kSvgPicture;
        state.picture = std::move(svg);
    }
    return state;
}

// ---------------------------------------------------------------------------------------------
// The link

int CEmbeddingServer::TakeStandardOutput()
{
    const int channel = dup(1);
    if (channel < 0 || dup2(2, 1) < 0)
        return -1;
    // A container that went away ends the writes with an error, not the process with a signal.
    std::signal(SIGPIPE, SIG_IGN);
    return channel;
}

CEmbeddingServer::CEmbeddingServer(COleServerDoc* document, int inputFd, int outputFd)
    : m_document(document), m_input(inputFd), m_output(outputFd)
{
    if (m_document != nullptr)
        m_document->SetServerLink(this);
}

CEmbeddingServer::~CEmbeddingServer()
{
    if (m_document != nullptr)
        m_document->SetServerLink(nullptr);
}

bool CEmbeddingServer::Write(const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_output, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_state = State::Broken;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

void CEmbeddingServer::Fail(std::string_view reason)
{
    if (m_state != State::Running)
        return;
    Write(Embedding::EncodeFailed(reason));
    m_state = State::Broken;
}

void CEmbeddingServer::SendState(uint16_t code)
{
    if (m_state != State::Running || m_document == nullptr)
        return;
    Embedding::OBJECT_STATE state;
    try {
        state = m_document->CaptureState();
    } catch (const CArchiveException&) {
        // The container keeps the data it has rather than a cut or empty stream.
        Fail("the object could not be stored");
        return;
    } catch (const std::bad_alloc&) {
        Fail("out of memory while storing the object");
        return;
    }
    if (Write(Embedding::EncodeState(code, state)))
        m_lastSentStorage = std::move(state.storage);
}

void CEmbeddingServer::SendChanged()
{
    // Before the first state the container is still waiting for the answer to its HELLO.
    if (m_started)
        SendState(Embedding::kChanged);
}

void CEmbeddingServer::SendSaved()
{
    if (m_started)
        SendState(Embedding::kSaved);
}

void CEmbeddingServer::SendClosed()
{
    if (m_state != State::Running)
        return;
    if (Write(Embedding::EncodeClosed()))
        m_state = State::Closed;
}

CEmbeddingServer::State CEmbeddingServer::Feed(std::span<const uint8_t> bytes)
{
    if (m_state != State::Running)
        return m_state;
    m_reader.Feed(bytes);
    Embedding::FRAME frame;
    while (m_state == State::Running) {
        const auto result = m_reader.Next(&frame);
        if (result == Embedding::CFrameReader::Result::NeedMore)
            break;
        if (result == Embedding::CFrameReader::Result::Broken) {
            m_state = State::Broken;
            break;
        }
        Handle(frame);
    }
    return m_state;
}

void CEmbeddingServer::Handle(const Embedding::FRAME& frame)
{
    switch (frame.code) {
    case Embedding::kHello: {
        const auto hello = Embedding::DecodeHello(frame.payload);
        if (!hello || m_helloSeen) {
            Fail("unexpected or malformed HELLO");
            return;
        }
        m_helloSeen = true;
        if (hello->isNew) {
            if (!m_document->OnNewDocument()) {
                Fail("the new object could not be made");
                return;
            }
            m_started = true;
            SendState(Embedding::kChanged);
        }
        return;
    }
    case Embedding::kLoad: {
        const auto storage = Embedding::DecodeLoad(frame.payload);
        if (!storage || !m_helloSeen || m_started) {
            Fail("unexpected or malformed LOAD");
            return;
        }
        try {
            m_document->DeleteContents();
            CMemFile file(*storage);
            CArchive ar(&file, CArchive::load);
            m_document->Serialize(ar);
        } catch (const CArchiveException&) {
            Fail("the object's data could not be read");
            return;
        } catch (const CFileException&) {
            Fail("the object's data could not be read");
            return;
        }
        m_document->SetModifiedFlag(FALSE);
        m_started = true;
        SendState(Embedding::kChanged);
        return;
    }
    case Embedding::kDoVerb: {
        const auto verb = Embedding::DecodeDoVerb(frame.payload);
        if (!verb || !m_started) {
            Fail("unexpected or malformed DOVERB");
            return;
        }
        if (m_onVerb)
            m_onVerb(*verb);
        return;
    }
    case Embedding::kClose: {
        const auto save = Embedding::DecodeClose(frame.payload);
        if (!save) {
            Fail("malformed CLOSE");
            return;
        }
        if (*save && m_started) {
            SendState(Embedding::kSaved);
            if (m_state != State::Running)
                return;
        }
        Write(Embedding::EncodeClosed());
        if (m_state == State::Running)
            m_state = State::Closed;
        return;
    }
    default:
        // A frame only a server sends has no place here.
        m_state = State::Broken;
        return;
    }
}

CEmbeddingServer::State CEmbeddingServer::Run()
{
    uint8_t buffer[65536];
    while (m_state == State::Running) {
        const ssize_t n = read(m_input, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // The container went away without closing: nothing more can be told.
            m_state = State::Broken;
            break;
        }
        Feed(std::span<const uint8_t>(buffer, size_t(n)));
    }
    return m_state;
}
