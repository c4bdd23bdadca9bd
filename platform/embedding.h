// Embedded objects in a container document (the protocol and the side-file format are written
// down in embedding_protocol.h). COleClientItem keeps one object (class name, storage, picture,
// cached extent) and, while it is open, the link to its server: a separate process that edits
// the object in a window of its own. There is no in-place activation: an item is empty, loaded
// or open, never active. The registry of servers is the class registry that the programs'
// registration writes fill ("<class>\CLSID" and "CLSID\{…}\LocalServer32").
#pragma once

#include "platform/archive.h"
#include "platform/embedding_protocol.h"
#include "platform/win_types.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDC;

// Notifications an item receives (OLE_NOTIFICATION).
constexpr int OLE_CHANGED = 0;
constexpr int OLE_SAVED = 1;
constexpr int OLE_CLOSED = 2;
constexpr int OLE_RENAMED = 3;
constexpr int OLE_CHANGED_STATE = 4;
constexpr int OLE_CHANGED_ASPECT = 5;

// Close options.
constexpr int OLECLOSE_SAVEIFDIRTY = 0;
constexpr int OLECLOSE_NOSAVE = 1;
constexpr int OLECLOSE_PROMPTSAVE = 2;

// Verbs.
constexpr int OLEIVERB_PRIMARY = Embedding::kVerbPrimary;
constexpr int OLEIVERB_SHOW = Embedding::kVerbShow;
constexpr int OLEIVERB_OPEN = Embedding::kVerbOpen;
constexpr int OLEIVERB_HIDE = Embedding::kVerbHide;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;

// The document that holds items, as the items know it: the program's document derives from it.
class COleDocument {
public:
    virtual ~COleDocument() = default;
};

// Why creating or opening an object failed.
enum class EmbeddingFailure { None, NoServer, StartFailed, NoAnswer, LinkBroken, Foreign };

class CServerLink;

class COleClientItem : public CObject {
    DECLARE_SERIAL(COleClientItem)
public:
    enum ItemState { emptyState = 0, loadedState = 1, openState = 2, activeState = 3, activeUIState = 4 };

    explicit COleClientItem(COleDocument* document = nullptr);
    ~COleClientItem() override;
    COleClientItem(const COleClientItem&) = delete;
    COleClientItem& operator=(const COleClientItem&) = delete;

    COleDocument* GetDocument() const { return m_pDocument; }
    void SetDocument(COleDocument* document) { m_pDocument = document; }
    // The node that holds the item (not owned).
    CObject* GetOwner() const { return m_pOwner; }
    void SetOwner(CObject* owner) { m_pOwner = owner; }

    // The object.
    const std::string& GetObjectClassName() const { return m_record.className; }
    bool IsForeign() const { return m_record.foreign; }
    const std::vector<uint8_t>& GetStorage() const { return m_record.state.storage; }
    uint16_t GetPictureKind() const { return m_record.state.pictureKind; }
    const std::vector<uint8_t>& GetPicture() const { return m_record.state.picture; }
    DWORD GetDrawAspect() const { return m_record.aspect; }
    const Embedding::OBJECT_RECORD& GetRecord() const { return m_record; }
    // Takes a whole object (a read side file, a test's object); the extent counts as known when
    // it is not empty.
    void SetRecord(Embedding::OBJECT_RECORD record);
    // The extent of a foreign object, which its element gives.
    void SetCachedExtent(SIZE extent);
    // FALSE when the item has no extent yet.
    BOOL GetCachedExtent(SIZE* extent, DWORD aspect = DVASPECT_CONTENT) const;
    DWORD GetMiscStatus(DWORD /*aspect*/ = DVASPECT_CONTENT) const { return 0; }

    int GetItemState() const { return m_state; }
    // No server edits in place on this system.
    bool IsInPlaceActive() const { return false; }
    // Whether a server process is linked to the item.
    bool IsOpen() const;
    EmbeddingFailure GetLastFailure() const { return m_lastFailure; }

    // Starts the server of the class for a new object and waits for its first state. False, with
    // the item unchanged, when the class has no server or the server does not answer.
    bool CreateNewItem(const std::string& className);
    // Opens the object in its server (starting it with the object's storage when it is not
    // running, raising its window when it is). False when the object cannot be opened.
    bool DoVerb(int verb);
    // Ends the server; with OLECLOSE_SAVEIFDIRTY or OLECLOSE_PROMPTSAVE the server saves first.
    // Waits a bounded time, then ends the process.
    void Close(int option = OLECLOSE_SAVEIFDIRTY);
    // Ends the server without saving; the item stays usable (auto-delete is its owner's matter).
    void Delete() noexcept;

    // The item's archive stream: the tagged object record (an end is always known).
    void Serialize(CArchive& ar) override;
    // The side file: as Serialize, but a foreign object is written back as it came.
    void WriteSideFile(CArchive& ar) const;

    // Draws the cached picture into the rectangle (logical units of the context), or a frame
    // with the class name when there is no picture that can be drawn.
    void Draw(CDC* dc, const RECT& rect, DWORD aspect = DVASPECT_CONTENT) const;
    // The picture rendered at a pixel size; null image-bytes when it cannot be drawn. For the
    // clipboard: a PNG of the picture at its extent at 96 dpi.
    std::vector<uint8_t> RenderPng() const;
    // Puts the object's picture on the clipboard as a device-independent bitmap (what other
    // programs paste); an object whose picture cannot be drawn gives a frame of its size. False
    // for an extent no picture can have.
    bool CopyToClipboard() const;
    // A frame of the object's extent at 96 dots per inch, as a PNG file's bytes; empty for an
    // extent no picture can have.
    std::vector<uint8_t> RenderFramePng() const;

    // Notifications, as the server's frames arrive.
    virtual void OnChange(int notification, DWORD param);
    virtual BOOL OnChangeItemPosition(const RECT& position);
    virtual void OnGetItemPosition(RECT* position);
    virtual void OnActivate();
    virtual void OnDeactivateUI(BOOL undoable);
    // A server died or sent bad data; the last good state stays. The default tells the user.
    virtual void OnLinkLost();

    // The factory that makes items when objects are read: the program installs one that makes
    // its own item class; without one, plain items are made. Returns the former factory.
    using Factory = std::function<std::unique_ptr<COleClientItem>(COleDocument* document)>;
    static Factory SetFactory(Factory factory);
    static std::unique_ptr<COleClientItem> Create(COleDocument* document);

    // How long the container waits for a server's first frame and for its close (milliseconds).
    static void SetTimeouts(int firstFrameMs, int closeMs);

    // Called by the link.
    void OnFrame(const Embedding::FRAME& frame);
    void OnLinkEnded(bool broken);

private:
    bool StartServer(const std::string& className, bool isNew);
    bool WaitForFirstState();
    void TakeState(Embedding::OBJECT_STATE state);

    COleDocument* m_pDocument = nullptr;
    CObject* m_pOwner = nullptr;
    Embedding::OBJECT_RECORD m_record;
    bool m_extentKnown = false;
    int m_state = emptyState;
    std::unique_ptr<CServerLink> m_link;
    bool m_gotState = false;
    bool m_closed = false;
    bool m_closing = false;
    EmbeddingFailure m_lastFailure = EmbeddingFailure::None;
};

// The registry of servers.
namespace Embedding {
// The server program registered for the class: an absolute path to an executable file; empty
// when there is none (a server is never looked for on the search path).
std::string FindServerPath(const std::string& className);
// The classes that have a server, in name order: what the Insert Object dialog lists.
std::vector<std::string> InsertableClasses();
// The class name registered for a class identifier ("{…}"); empty when unknown.
std::string ClassNameForClassId(const std::string& clsid);
// The class identifier of the root storage of an OLE compound file, as "{…}"; nullopt when the
// bytes are not such a file or name no class.
std::optional<std::string> StorageClassId(std::span<const uint8_t> bytes);
// The user is told through this (ShellNotice by default); tests may replace it.
using LinkLostNotice = std::function<void(const std::string& className)>;
LinkLostNotice SetLinkLostNotice(LinkLostNotice notice);
}  // namespace Embedding
