// CVumatDoc: the document of the formula editor, an object server's document that holds one
// formula. It owns the formula root and the undo history of the edits made to it, keeps the
// size the object last reported, and writes the formula into the object's data as an XSL-FO
// fragment in code page 932 (the bytes a ".qni" file holds) and reads it back.
#pragma once

#include "base/wide_string.h"
#include "formula/math_sentence.h"
#include "nodes/undo.h"
#include "nodes/undo_history.h"
#include "platform/embedding_server.h"
#include "platform/xml.h"

#include <memory>
#include <string>
#include <vector>

class CDisplayMap;
class CFoBlockContainer;
class CQNXMLNode;
class CUndoGroup;
struct XML_BUILD_CONTEXT;

class CVumatDoc : public COleServerDoc {
public:
    // The size a new object reports until it is measured, in 1/100 mm.
    static constexpr int kDefaultStoredSize = 5000;
    // The extent of an object is the formula's size plus this on each axis.
    static constexpr int kExtentMargin = 50;
    // Stored data beyond this many bytes is not read.
    static constexpr size_t kMaxObjectData = size_t(16) << 20;

    CVumatDoc();
    ~CVumatDoc() override;

    // The formula root, or null between clearing and loading.
    CEditMathSentence* GetRoot() const { return m_root.get(); }
    // Deletes the root with the whole formula; the history position goes back to -1.
    void DeleteRoot();

    // FORMULA_OBJECT_DATA: storing writes the formula as a fragment in code page 932; a store
    // that cannot be completed raises CArchiveException and writes nothing. Loading reads all
    // bytes, skips those before the first "<" and builds the formula; text that does not give
    // one leaves the document an empty formula.
    void Serialize(CArchive& ar) override;
    BOOL OnNewDocument() override;
    void DeleteContents() override;
    COleServerItem* OnGetEmbeddedItem() override;
    // Deactivation of the editing window: views and the container are brought up to date.
    void OnDeactivateUI(BOOL undoable);

    // The data as bytes, and the formula from bytes (what Serialize reads and writes).
    bool StoreObjectData(std::string* bytes);
    void LoadObjectData(const std::vector<uint8_t>& bytes);

    // The fragment of the container as bytes (the DOM's own Shift-JIS serialisation); false
    // when it cannot be made.
    static bool ExportMathFo(CFoBlockContainer* container, std::string* bytes);
    // Parses the text and builds the formula under root: 1, or 0 after a parse error (told to
    // the user) or a fragment that is no formula.
    int LoadXmlString(CEditMathSentence* root, const CStringW& text);
    int ReadFoDocument(CEditMathSentence* root, XmlDocument& document);

    // The conversions of one formula between the editing tree and XSL-FO element objects.
    static void BuildXmlTree(CEditNode* node, CQNXMLNode* output, XML_BUILD_CONTEXT* context);
    static void WriteFoBlockContainer(XmlDocument& document, CFoBlockContainer* container, XmlNode element,
                                      const CStringW& prefix, XML_BUILD_CONTEXT& context);
    static int BuildFromFo(CQNXMLNode* element, CEditNode* target);
    static void BuildFoInlines(CQNXMLNode* block, CEditNode* target);

    // Measures the root in the stored size (when the object keeps one) or on an A4 landscape
    // page, then places it at the origin: on the given context, or on a screen context.
    void LayoutRoot(CDC* dc = nullptr, CDisplayMap* map = nullptr);

    // The undo history, as the problem editor's document offers it.
    int PushUndo(std::unique_ptr<CUndoGroup> group) { return m_history.PushUndo(std::move(group)); }
    CUndoGroup* GetUndoRecord() { return m_history.GetUndoRecord(); }
    CUndoGroup* GetRedoRecord() { return m_history.GetRedoRecord(); }
    void ClearUndo() { m_history.ClearUndo(); }
    CUndoHistory& History() { return m_history; }

    // 1 while the object keeps an explicit size (written into its data; the view lays the
    // formula out in it).
    int32_t m_sizeStored = 0;
    int32_t m_storedWidth = kDefaultStoredSize;
    int32_t m_storedHeight = kDefaultStoredSize;
    int32_t m_zoomPercent = 100;

private:
    // A root made empty here: its first flag cleared, filled with the default content.
    void MakeEmptyRoot(int useMathsFont);

    std::unique_ptr<CEditMathSentence> m_root;
    CUndoHistory m_history;
};
