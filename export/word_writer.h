// Writing the open paper into a new Word document by automation: the page layout and the blocks
// of the paper (document writer), each node with its runs of characters, question numbers,
// points labels, pictures, objects, formulas and kanbun passages (node writer), and tables,
// boxed one-line cells and ruby (structure writers). Everything is done at Word's Selection
// through CWordDispatch. Formulas and kanbun passages go to Word as fragment files of the
// formula editor and the kanbun editor, written in a private temporary folder of the export and
// deleted once inserted; pictures and objects go through the clipboard, whose contents the user
// gets back when the export ends.
#pragma once

#include "export/automation_wrappers.h"
#include "export/export_temp_files.h"
#include "platform/clipboard.h"
#include "platform/win_types.h"

#include <string>
#include <vector>

class CEditNode;
class CEditPrint;
class CEditRuby;
class CEditTable;
class IConvertProgress;
struct XML_BUILD_CONTEXT;

// What each call of the node writer hands on, copied for every child.
struct EXPORT_NODE_CONTEXT {
    int indent = 0;          // left indent of the node's paragraphs, 1/100 mm
    int maskText = 0;        // each character written as a blank of its width (hidden answers)
    int breakAtLineEnd = 0;  // a line break in a table cell ends a Word paragraph
    int noCharBorder = 0;    // the character format leaves the character border alone
};

// The Word colour index of a colour (0 for one Word has no index for).
LONG WordColorIndex(COLORREF color);
// Word's underline for a line style and width; any width but 1 counts as thick.
LONG WordUnderline(int style, int width);
// A length in 1/100 mm as Word's points.
float HmmToWordPoints(int length);
// The Word font of the selection set from a character node's format; forceBlack gives colour
// index 1. A failing call ends the setting; nothing leaves.
void SetWordCharFormat(const CWordDispatch& selection, const CEditNode* node, const EXPORT_NODE_CONTEXT& context,
                       int forceBlack);

// One export's writing into one Word document.
class CWordDocumentWriter {
public:
    CWordDocumentWriter(CEditPrint& root, CWordDispatch& document);
    // Puts the user's clipboard back and removes the temporary folder.
    ~CWordDocumentWriter();
    CWordDocumentWriter(const CWordDocumentWriter&) = delete;
    CWordDocumentWriter& operator=(const CWordDocumentWriter&) = delete;

    // The page layout, the blocks and the name fields. A failing call outside the protected
    // steps ends the writing and leaves as the driver's exception; the document keeps what was
    // written.
    void WriteWordDocument(IConvertProgress& progress);
    // Writes a node and its subtree at the selection; 0 for a hidden node, else 1. Never throws.
    int WriteWordNode(CEditNode* node, EXPORT_NODE_CONTEXT context);
    // A table as a Word table, transposed in vertical writing. Never throws.
    void WriteWordTable(CEditTable* table, EXPORT_NODE_CONTEXT context);
    // A one-cell, one-line table as bordered text, any other as a table. Never throws.
    void WriteWordBox(CEditTable* table, EXPORT_NODE_CONTEXT context);
    // The ruby base typed, then the reading attached as a phonetic guide. Never throws.
    void WriteWordRuby(CEditRuby* ruby, EXPORT_NODE_CONTEXT context);

private:
    struct RUN;
    CWordDispatch Selection() const;
    void WriteChildren(CEditNode* container, const CWordDispatch& selection, EXPORT_NODE_CONTEXT context);
    void FlushRun(RUN& run, const CWordDispatch& selection, const EXPORT_NODE_CONTEXT& context);
    void TypeUnderlineLabel(const CWordDispatch& selection, const CEditNode* character);
    void WriteQuestionNumber(CEditNode* label, const CWordDispatch& selection, const EXPORT_NODE_CONTEXT& context,
                             int* indent);
    void WriteFormula(CEditNode* container, int index, const CWordDispatch& selection,
                      const EXPORT_NODE_CONTEXT& context, int indent);
    // Consumes the kanbun cells after index that share its box; returns how many followed.
    int WriteKanbun(CEditNode* container, int index, const CWordDispatch& selection,
                    const EXPORT_NODE_CONTEXT& context, int indent);
    void WritePicture(CEditNode* picture, const CWordDispatch& selection, const EXPORT_NODE_CONTEXT& context,
                      int indent);
    void WriteObject(CEditNode* object, const CWordDispatch& selection, const EXPORT_NODE_CONTEXT& context,
                     int indent);
    // The fragment of the nodes (children of container at the indexes) inserted as an object.
    void InsertFragment(CEditNode* container, const std::vector<int>& indexes, int width, int height,
                        bool formula, const CWordDispatch& selection);
    void PrepareClipboard();

    CEditPrint& m_root;
    CWordDispatch& m_document;
    bool m_vertical;
    CExportTempFolder m_temp;
    CClipboardContents m_clipboard;
};

// The writer the Word export driver calls: one CWordDocumentWriter for the document.
void ExportWordDocument(CEditPrint& root, CWordDispatch& document, XML_BUILD_CONTEXT& context,
                        IConvertProgress& progress);
