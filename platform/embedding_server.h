// The server's side of the embedding channel (embedding_protocol.h): the document and item that
// an object server derives its own from, and the link that answers the container over the
// server's standard input and output. The document keeps the object's data; the item gives its
// extent and draws its picture; the link turns both into the frames the container takes.
#pragma once

#include "platform/archive.h"
#include "platform/embedding_protocol.h"
#include "platform/win_types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

class CDC;
class COleServerDoc;
class CEmbeddingServer;

class COleServerItem {
public:
    // The item of the document; the document owns it when autoDelete is set (else the caller).
    COleServerItem(COleServerDoc* document, BOOL autoDelete);
    virtual ~COleServerItem() = default;
    COleServerItem(const COleServerItem&) = delete;
    COleServerItem& operator=(const COleServerItem&) = delete;

    COleServerDoc* GetDocument() const { return m_pDocument; }
    BOOL IsAutoDelete() const { return m_autoDelete; }

    // The object's data; the base writes nothing.
    virtual void Serialize(CArchive& ar);
    // Draws the picture into the context, whose viewport is the picture in pixels.
    virtual BOOL OnDraw(CDC* dc, SIZE& size) = 0;
    // The extent for an aspect in 1/100 mm; FALSE when the item has none. The base knows none.
    virtual BOOL OnGetExtent(DWORD aspect, SIZE& size);

private:
    COleServerDoc* m_pDocument;
    BOOL m_autoDelete;
};

class COleServerDoc {
public:
    COleServerDoc();
    virtual ~COleServerDoc();
    COleServerDoc(const COleServerDoc&) = delete;
    COleServerDoc& operator=(const COleServerDoc&) = delete;

    // Framework steps the document overrides.
    virtual BOOL OnNewDocument();
    virtual void DeleteContents() {}
    // Stores or loads the object's data. A store that cannot be completed raises
    // CArchiveException, so that no cut stream ever reaches the container.
    virtual void Serialize(CArchive& ar) = 0;
    virtual BOOL IsModified() { return m_modified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_modified = modified; }
    // A new item for the embedded object.
    virtual COleServerItem* OnGetEmbeddedItem() = 0;

    // The embedded item, made on first need and kept.
    COleServerItem* GetEmbeddedItem();
    // Whether the item is this document's embedded item.
    bool IsEmbeddedItem(const COleServerItem* item) const { return item != nullptr && item == m_item.get(); }
    // The container fetches the object again: its extent, picture and data go out as CHANGED
    // while a container is linked; nothing happens otherwise.
    void UpdateAllItems(intptr_t hint = 0);
    // Views of the document, which the program's window connects to.
    void SetViewUpdater(std::function<void(intptr_t hint)> updater) { m_viewUpdater = std::move(updater); }
    void UpdateAllViews(intptr_t hint = 0);

    // The link that UpdateAllItems reports to (set by the link itself).
    void SetServerLink(CEmbeddingServer* link) { m_link = link; }

    // The object's current state as CHANGED and SAVED carry it: the data, the extent (0 × 0
    // when the item has none) and an SVG picture (none without an extent). Raises
    // CArchiveException when the data cannot be stored.
    Embedding::OBJECT_STATE CaptureState();

private:
    std::unique_ptr<COleServerItem> m_item;
    BOOL m_modified = FALSE;
    CEmbeddingServer* m_link = nullptr;
    std::function<void(intptr_t)> m_viewUpdater;
};

// The server's link to its container: frames in from one descriptor, out through another.
class CEmbeddingServer {
public:
    // Takes descriptor 1 for the channel and points descriptor 1 at standard error, so that no
    // library's print reaches the container as a frame. Returns the channel's descriptor, or -1.
    static int TakeStandardOutput();

    CEmbeddingServer(COleServerDoc* document, int inputFd, int outputFd);
    ~CEmbeddingServer();
    CEmbeddingServer(const CEmbeddingServer&) = delete;
    CEmbeddingServer& operator=(const CEmbeddingServer&) = delete;

    enum class State { Running, Closed, Broken };
    State GetState() const { return m_state; }

    // What the program does on DOVERB (show its window); nothing by default.
    void SetVerbHandler(std::function<void(int verb)> handler) { m_onVerb = std::move(handler); }

    // Takes bytes that arrived from the container and answers the whole frames among them.
    State Feed(std::span<const uint8_t> bytes);
    // Reads the input until the link ends (closed by the container, broken, or the input's end).
    State Run();
    // Sends the document's state as CHANGED (after an edit); a store that fails sends FAILED
    // and ends the link.
    void SendChanged();
    // Sends the state as SAVED: the container stores it as the object's saved data.
    void SendSaved();
    // The server ends the link itself (its window closed): CLOSED, after which it exits.
    void SendClosed();
    // Whether the container's HELLO arrived, and whether it has the object's first state.
    bool HelloSeen() const { return m_helloSeen; }
    bool Started() const { return m_started; }
    // The data of the last state the container received.
    const std::vector<uint8_t>& LastSentStorage() const { return m_lastSentStorage; }

private:
    void Handle(const Embedding::FRAME& frame);
    void SendState(uint16_t code);
    void Fail(std::string_view reason);
    bool Write(const std::vector<uint8_t>& bytes);

    COleServerDoc* m_document;
    int m_input;
    int m_output;
    Embedding::CFrameReader m_reader;
    State m_state = State::Running;
    bool m_helloSeen = false;
    bool m_started = false;
    std::function<void(int)> m_onVerb;
    std::vector<uint8_t> m_lastSentStorage;
};
