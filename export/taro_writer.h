// Writing the open paper into a new Ichitaro document by automation, through the command library
// ("TaroLibrary") of the running Ichitaro: the document style and the blocks of the paper
// (document writer), each node with its runs of characters, labels, ruby, formulas, kanbun
// passages, pictures and objects (node writer), the input attributes of a run (character
// attributes) and tables drawn with ruled lines (table writers). Everything is typed at
// Ichitaro's insertion point through CTaroDispatch. Formulas and kanbun passages go as fragment
// files and pictures as JPEG files, each made in a private temporary folder of the export and
// deleted once Ichitaro has taken it; embedded objects go through the clipboard, whose contents
// the user gets back when the export ends.
#pragma once

#include "export/automation_wrappers.h"
#include "export/export_temp_files.h"
#include "export/word_writer.h"
#include "platform/clipboard.h"
#include "platform/win_types.h"

#include <optional>
#include <string>
#include <vector>

class CEditNode;
class CEditPrint;
class CEditRuby;
class CEditTable;
class IConvertProgress;
struct XML_BUILD_CONTEXT;

// --- pure rules of the Ichitaro export

// The paper name that DocumentStylePaper takes ("A4 単票・縦方向"), from the root's writing
// direction and stored paper sides (1/100 mm); none for a paper of no known class.
std::optional<std::u16string> IchitaroPaperName(int vertical, int paperHeight, int paperWidth);
// The colour name of a palette colour ("R255G0B0"); every colour outside the palette is black.
void IchitaroColorName(COLORREF color, std::string& name);
// The decoration code of an underline or a line-through from its style and width.
LONG IchitaroDecorationCode(int style, int width);
// A hanging indent (1/100 mm) counted in half-width columns of 10.5-pt text, rounded.
int IchitaroIndentColumn(int indent);
// The zoom percentage that gives a picture of `pixels` at `resolution` dots per inch the size
// `size` (1/100 mm): size / 2540 × 100 / (pixels / resolution), truncated; none when the pixels
// per resolution come to no whole inch (a division by zero).
std::optional<LONG> IchitaroPictureZoom(int size, int pixels, int resolution);

// The measure of a table ruled in Ichitaro: column widths in half-width columns, row heights in
// lines and the lines of all rows.
struct TARO_TABLE_MEASURE {
    std::vector<int> widths;
    std::vector<int> heights;
    int total = 0;
};
// Measures the table from its cells' first layout boxes; throws COleException(E_POINTER) for a
// table whose cells are not all there.
TARO_TABLE_MEASURE MeasureRuledTable(const CEditTable* table);

// Sets Ichitaro's input attributes (bold, italic, decoration, face, size) from one character
// node; forceBlack sends black whatever the node's colour. A refused call ends the setting and
// leaves nothing.
void SetIchitaroCharAttr(const CTaroDispatch& library, const CEditNode* node, const EXPORT_NODE_CONTEXT& context,
                         int forceBlack);

// A position in the Ichitaro document, as GetPage, GetRow and GetColumn give it.
struct CELLPOS {
    int page = 0;
    int line = 0;
    int column = 0;
};

// One export's writing into one Ichitaro document.
class CTaroDocumentWriter {
public:
    CTaroDocumentWriter(CEditPrint& root, const CTaroDispatch& library);
    // Puts the user's clipboard back and removes the temporary folder.
    ~CTaroDocumentWriter();
    CTaroDocumentWriter(const CTaroDocumentWriter&) = delete;
    CTaroDocumentWriter& operator=(const CTaroDocumentWriter&) = delete;

    // The document style, the blocks and the name fields. A refused call outside the guarded
    // steps ends the writing and leaves as the driver's exception; the document keeps what was
    // written.
    void WriteIchitaroDocument(IConvertProgress& progress);
    // Writes a node and its subtree at the insertion point; only its maskText may change in
    // context. Never throws: a failure ends the node.
    void WriteIchitaroNode(CEditNode* node, EXPORT_NODE_CONTEXT& context);
    // The base, then the reading set on it as ruby. Never throws.
    void WriteIchitaroRuby(CEditRuby* ruby, EXPORT_NODE_CONTEXT context);
    // A one-cell, one-line table as framed text, any other as a ruled table. Never throws.
    void WriteIchitaroTable(CEditTable* table, EXPORT_NODE_CONTEXT context);
    // The table drawn with ruled lines, its cells' text typed inside the boxes. Never throws.
    void WriteIchitaroRules(CEditTable* table, EXPORT_NODE_CONTEXT context);

private:
    struct RUN;
    void WriteChildren(CEditNode* container, EXPORT_NODE_CONTEXT& context);
    void FlushRun(RUN& run, const EXPORT_NODE_CONTEXT& context);
    void WriteLineBreak(const CEditNode* container, int index, int indent);
    void WriteUnderlineLabel(const CEditNode* character);
    void WriteQuestionNumber(CEditNode* label, const EXPORT_NODE_CONTEXT& context, int* indent);
    void InsertBlank(const EXPORT_NODE_CONTEXT& context);
    void WriteFormula(CEditNode* container, int index, int indent);
    // Writes the kanbun passage that starts at index; returns the index of the first child it
    // did not consume.
    int WriteKanbun(CEditNode* container, int index, int indent);
    void WritePicture(CEditNode* picture, int indent);
    void WriteObject(CEditNode* object);
    bool WritePictureFile(CEditNode* picture, const std::string& path) const;
    // Whether Ichitaro reports the line type 1 at the insertion point.
    bool LineTypeIsOne() const;
    CELLPOS Position() const;

    CEditPrint& m_root;
    const CTaroDispatch& m_library;
    CExportTempFolder m_temp;
    CClipboardContents m_clipboard;
};

// The writer the Ichitaro export driver calls: one CTaroDocumentWriter for the document.
void ExportIchitaroDocument(CEditPrint& root, CTaroDispatch& library, XML_BUILD_CONTEXT& context,
                            IConvertProgress& progress);
