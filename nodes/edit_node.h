// CEditNode: the base of every node of an editable paper. It adds to the element node a kind code,
// the layout record, the formatting records and the numbering of labelled underlines, and declares
// the operations through which the editor measures, lays out, draws, hit-tests and edits any node
// without knowing its class. Also the layout record itself and the context that every measuring,
// layout and drawing call hands down the tree.
#pragma once

#include "base/property_records.h"
#include "base/xml_node.h"
#include "nodes/edit_kind.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

class CCaret;
class CDefaultFontTable;
class CDisplayMap;
class CEditNode;
class CUndoGroup;

// Text metrics as nodes hold them: nodes measured with one font share one record. A node holds
// the number of its record in the process's table of the metrics met so far; number 0 is the
// record of zeros, so a zero-filled holder holds that record.
class CSharedMetrics {
public:
    const TEXTMETRICA& Get() const;
    const TEXTMETRICA* operator->() const { return &Get(); }
    CSharedMetrics& operator=(const TEXTMETRICA& metrics);
    bool operator==(const CSharedMetrics& other) const = default;

private:
    uint32_t m_index = 0;
};

// The layout record at the head of every node, layout box and line record. Its byte image is a
// stored format (written field by field by the node archive, 272 bytes); in memory the text
// metrics are held shared. Lengths are in 1/100 mm, rectangles in document coordinates (y down).
struct CEditProperties {
    CEditProperties();
    // Every field 0 except dirty, caret stop and page (1) and the font (the horizontal "Default"
    // text font); the text origin, the two spare ints and the hit rectangle are left as they are.
    void Reset();

    int32_t m_vertical;     // writing direction, meaningful on the root only
    int32_t m_hidden;       // 0 shown, 2 hidden by the system, other values hidden by the user
    int32_t m_dirty;        // 1: must be measured again
    int32_t m_caretStop;    // 1: the caret may stand at this node
    int32_t m_modified;     // modified flag of a question part
    int32_t m_width;
    int32_t m_height;
    int32_t m_ascent;       // top to baseline
    int32_t m_axis;         // top to the centre line
    RECT m_rcLayout;
    POINT m_ptText;         // text origin: x and baseline
    int32_t m_extra[2];     // no meaning for nodes; the matrix template's line records use them
    RECT m_rcHit;
    LOGFONTA m_lf;
    CSharedMetrics m_tm;    // metrics of m_lf at the last measuring
    CSharedMetrics m_tm2;   // always zero
    int32_t m_lineIndex;    // line within its box
    int32_t m_indexInLine;
    int32_t m_boxIndex;     // box within the parent
    int32_t m_page;
};

// Zero-filled by Reset; without padding, so that records compare bytewise.
static_assert(std::is_trivially_copyable_v<CEditProperties>);
static_assert(std::is_standard_layout_v<CEditProperties>);
static_assert(sizeof(CEditProperties) == 168);

// The box to draw when a page is drawn box by box.
struct DRAW_FILTER {
    int32_t reserved;
    int32_t boxIndex;
};

// What a parent hands each child for one measuring, layout or drawing call. A parent builds a
// fresh, zeroed one per child and fills only what the child needs. The members stand in the order
// of the numbered ints that the layout code refers to (int 0 to int 21).
struct LAYOUT_CONTEXT {
    int32_t reserved0 = 0;
    int32_t availableWidth = 0;   // 1: column width, or a paragraph's fixed width
    int32_t fullWidth = 0;        // 2: the available width again (page or column width)
    int32_t remainingHeight = 0;  // 3: height left on the page
    int32_t page = 0;             // 4: page number, 1-based
    int32_t columnWidth = 0;      // 5
    int32_t pageHeight = 0;       // 6
    int32_t column = 0;           // 7: column number, 1-based
    int32_t originX = 0;          // 8
    int32_t originY = 0;          // 9: top of the row; while measuring, height already used on the page
    int32_t rowAscent = 0;        // 10
    int32_t rowAxis = 0;          // 11
    int32_t reserved12 = 0;
    int32_t reserved13 = 0;
    int32_t lineSpacing = 0;      // 14
    int32_t letterSpacing = 0;    // 15: added to the width of each text run
    HFONT font;                   // 16: a font the child uses instead of its own (not owned)
    int32_t boxIndex = 0;         // 17: the box being laid out
    const DRAW_FILTER* drawFilter = nullptr;  // 18: draw only the children of this box
    int32_t centreOnAxis = 0;     // 19: formula rows put each character's axis on the row's
    CEditNode* lastDrawn = nullptr;  // 20: in: last node drawn on earlier pages; out: in this box
    int32_t reserved21 = 0;
};

class CEditNode : public CQNXMLNode,
                  public CEditProperties,
                  public CColorRelatedProperties,
                  public CInlineMarginProperties,
                  public CAreaAlignmentProperties,
                  public CAreaDimensionProperties,
                  public CNodeNumbering {
    DECLARE_SERIAL(CEditNode)
public:
    // Run-boundary bits.
    static constexpr int kRunStart = 1;
    static constexpr int kRunEnd = 2;

    // Kind 0 until the kind is read from a stream.
    CEditNode();
    explicit CEditNode(EDIT_NODE_KIND kind);
    ~CEditNode() override;

    // Nodes live in the node pool; in sanitizer builds each is a heap block of its own, so that the
    // checks see every node.
    static void* operator new(std::size_t size);
    static void operator delete(void* node, std::size_t size) noexcept;

    EDIT_NODE_KIND GetKind() const { return m_typeCode; }
    bool HasKindFlags(uint32_t flags) const { return EditKind::Has(m_typeCode, flags); }
    bool IsKind(uint32_t code) const { return EditKind::Is(m_typeCode, code); }

    // --- the operations every node answers
    // The node under the point (document units), or null; *after = 1 when the point lies after
    // the node's middle.
    virtual CEditNode* HitTest(int x, int y, int* after);
    // The first hit of the children, each asked in order; null when none answers.
    CEditNode* HitTestChildren(int x, int y, int* after);
    virtual void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context);
    virtual void Layout(LAYOUT_CONTEXT* context, int vertical);
    // Moves what the last layout placed by (dx, dy), as laying out again at an origin moved so
    // would; false when the node cannot, and its layout must run again.
    virtual bool MoveBy(int dx, int dy);
    virtual void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context);
    virtual void DrawSelection(CDC* dc, CDisplayMap* map, CCaret* caret);
    virtual void SetFontOfSelection(CCaret* caret, LOGFONTA* font);
    virtual BOOL InsertAnsiText(CCaret* caret, const char* text, CUndoGroup* group);
    virtual BOOL InsertString(CCaret* caret, CStringW* text, CUndoGroup* group);
    virtual BOOL InsertChars(CCaret* caret, CStringW* text, CUndoGroup* group);
    virtual BOOL DeleteBackward(CCaret* caret, CUndoGroup* group);
    virtual BOOL DeleteForward(CCaret* caret, CUndoGroup* group);
    virtual BOOL InsertLineBreak(CCaret* caret, CUndoGroup* group);
    virtual CEditNode* MovePrev(CCaret* caret, int extend);
    virtual CEditNode* MoveNext(CCaret* caret, int extend);
    virtual CEditNode* MoveUp(CCaret* caret, int extend);
    virtual CEditNode* MoveDown(CCaret* caret, int extend);
    virtual CEditNode* MoveEnd(CCaret* caret, int extend);
    virtual CEditNode* MoveHome(CCaret* caret, int extend);
    virtual CEditNode* GetFirstInner();
    virtual CEditNode* GetLastInner();
    // Children with the line-break bit.
    virtual int CountLineBreaks();
    // The nearest sibling before (after) this node with the line-break bit, or null.
    virtual CEditNode* PrevLineBreak();
    virtual CEditNode* NextLineBreak();
    virtual CEditNode* PrevPosition(int* after);
    virtual CEditNode* NextPosition(int* after);
    virtual CEditNode* LineStart();
    virtual CEditNode* LineEnd();
    virtual CEditNode* NodeAbove(CCaret* caret);
    virtual CEditNode* NodeBelow(CCaret* caret);
    virtual CEditNode* FirstCaretStop();
    virtual CEditNode* LastCaretStop();
    virtual void SetFontSizeRecursive(const SIZE* size, int setSelf, CUndoGroup* group);
    virtual void SetFaceNameRecursive(const char* face, int setSelf, int keepGaiji, CUndoGroup* group);
    virtual void SetSizeRecursive(const SIZE* size, int setSelf, CUndoGroup* group);
    virtual void ApplyDefaultFonts(CDefaultFontTable* table, CUndoGroup* group);
    virtual void ApplyDefaultSizes(CDefaultFontTable* table, CUndoGroup* group);
    // Stream form (node archive): the layout, font, colour, border, alignment, dimension and
    // character records, the numbering fields and the overhangs, then the element-node part.
    void Serialize(CArchive& ar) override;

    // --- tree and state queries
    // False when this node or any ancestor is hidden.
    bool IsVisible() const;
    bool IsCaretStop() const { return m_caretStop != 0 && IsVisible(); }
    CEditNode* GetRoot();
    // Question number, sub number and part kind of the enclosing question part (the nearest
    // plain paragraph, this node included); -1 outside one. Their bodies stand with the paragraph.
    int GetQuestionNumber();
    int GetSubQuestionNumber();
    int GetPartKind();
    // Sets the modified flag of the enclosing question part; nothing outside one.
    void MarkPartModified(int value);
    void SetCaretStopRecursive(int value);
    void SetDirtyRecursive(int value);
    // True when this node or a node below it must be measured again.
    bool HasDirtySubtree() const;
    // Marks the node for measuring and tells its ancestors that a node below them is dirty.
    void MarkDirty();
    // Whether a node below was marked by MarkDirty (or its children changed) since the hint was
    // last cleared; a node whose flag was set directly does not raise it.
    bool MayHaveDirtyBelow() const { return m_dirtyBelow; }
    void ClearDirtyBelow() { m_dirtyBelow = false; }

    // The text, marking the node for measuring again.
    int SetText(const CStringW& text);
    int SetText(const char16_t* text);
    int SetText(char16_t unit);

    // Equal font, decoration, colours, frame, script position and numbering type: what the
    // print-file writer merges into one run.
    bool SameFormat(const CEditNode* other) const;
    // Equal font, decoration, script position and text colour: characters for which it holds share
    // one created font while a row is measured or drawn.
    bool SameRunStyle(const CEditNode* other) const;
    // The font record into the LOGFONT and back.
    void FontPropertiesToLogFont();
    void LogFontToFontProperties();
    // Formatting from an fo:block or fo:inline element object, and into an fo:inline one.
    void CopyStyleFromElement(CQNXMLNode* element);
    void CopyStyleToElement(CQNXMLNode* element);

    // --- formatting setters. Each records the old and the new value in the group (when one is
    // given) before it changes the node; those that change what measuring depends on mark the
    // node dirty, the others (colours, hatch, decoration styles and widths) change only drawing.
    // Width and height; a positive height is stored negative.
    void SetFontSize(const SIZE* size, CUndoGroup* group);
    void SetBold(int bold, CUndoGroup* group);
    void SetItalic(int italic, CUndoGroup* group);
    // The face from the installed-font list (character set, precisions, quality, pitch and face
    // name); height, width, weight and italic stay. False, and nothing changed or recorded, for a
    // face that is not installed.
    BOOL SetFaceName(const char* face, CUndoGroup* group);
    void SetTextColor(COLORREF color, CUndoGroup* group);
    // 0xFFFFFF: no background.
    void SetBackColor(COLORREF color, CUndoGroup* group);
    void SetHatch(int hatch, CUndoGroup* group);
    void SetFlatBody(int flat, CUndoGroup* group);
    void SetLongBody(int narrow, CUndoGroup* group);
    void SetSubscript(int subscript, CUndoGroup* group);
    void SetSuperscript(int superscript, CUndoGroup* group);
    void SetLogFont(const LOGFONTA* font, CUndoGroup* group);
    void SetUnderlineStyle(int style, CUndoGroup* group);
    void SetUnderlineWidth(int width, CUndoGroup* group);
    void SetLineThroughStyle(int style, CUndoGroup* group);
    void SetLineThroughWidth(int width, CUndoGroup* group);
    void SetBorderStyle(int style, CUndoGroup* group);
    void SetBorderWidth(int width, CUndoGroup* group);
    // The before side: a kanbun cell's underline.
    void SetKanUnderlineStyle(int style, CUndoGroup* group);
    void SetKanUnderlineWidth(int width, CUndoGroup* group);
    // The after side: a container's or a formula's underline.
    void SetBoxUnderlineStyle(int style, CUndoGroup* group);
    void SetBoxUnderlineWidth(int width, CUndoGroup* group);
    // Numbering of labelled underlines: the label form, its size and face, a forced number
    // (0 or -1: automatic) and the label text of form 6.
    void SetBangoType(int type, CUndoGroup* group);
    void SetBangoFontSize(int size, CUndoGroup* group);
    void SetBangoFontFamily(const char* face, CUndoGroup* group);
    void SetBangoForce(int number, CUndoGroup* group);
    void SetBangoString(const CStringW& text, CUndoGroup* group);

    // --- the selection at a caret: the range of the caret node's siblings from the anchor to the
    // node before the caret (the anchor alone when both are one node), and its removal.
    static BOOL GetSelectionRange(CCaret* caret, int* first, int* last);
    static BOOL DeleteSelection(CCaret* caret, CUndoGroup* group);

    // The child at index as an editing node, or null.
    CEditNode* GetEditChild(int index) const { return FromNode(GetChildAt(index)); }
    // The editing children first to last, in order.
    std::vector<CEditNode*> GetEditChildren(int first, int last) const;
    CEditNode* GetEditParent() const;
    // The node as an editing node, or null. Every editing node marks itself in its base, which it
    // derives from first, so the cast needs no run-time type look-up.
    static CEditNode* FromNode(CQNXMLNode* node)
    {
        return node != nullptr && node->IsEditNode() ? static_cast<CEditNode*>(node) : nullptr;
    }
    static const CEditNode* FromNode(const CQNXMLNode* node)
    {
        return node != nullptr && node->IsEditNode() ? static_cast<const CEditNode*>(node) : nullptr;
    }

    // The font, border and character records, each shared among the nodes of equal value. The
    // Copy forms take the value as the record's Copy does (the face up to its terminator).
    const CFontProperties& FontRecord() const { return m_fontRecord.Get(); }
    CSharedRecord<CFontProperties>::Editor EditFontRecord() { return m_fontRecord.Edit(); }
    void SetFontRecord(const CFontProperties& record) { m_fontRecord.Set(record); }
    void CopyFontRecord(const CFontProperties& record);
    const CBorderPaddingBackgroundProperties& BorderRecord() const { return m_borderRecord.Get(); }
    CSharedRecord<CBorderPaddingBackgroundProperties>::Editor EditBorderRecord() { return m_borderRecord.Edit(); }
    void SetBorderRecord(const CBorderPaddingBackgroundProperties& record) { m_borderRecord.Set(record); }
    const CCharacterProperties& CharacterRecord() const { return m_characterRecord.Get(); }
    CSharedRecord<CCharacterProperties>::Editor EditCharacterRecord() { return m_characterRecord.Edit(); }
    void SetCharacterRecord(const CCharacterProperties& record) { m_characterRecord.Set(record); }
    // The font, colour, border and character records of an element whose class carries all four.
    template <typename Element>
    void CopyCommonRecords(const Element& element)
    {
        CopyFontRecord(element);
        CColorRelatedProperties::Copy(element);
        SetBorderRecord(element);
        SetCharacterRecord(element);
    }
    // Those of the four records that the element's class carries, whatever the class.
    void CopyCarriedRecords(CQNXMLNode* element);

    // Run number of a labelled run, set by the underline-run numbering.
    int32_t m_runNumber = 1;
    // kRunStart / kRunEnd, recomputed when the paragraph is measured.
    int32_t m_runBits = 0;
    // Italic overhang of formula characters, in 1/100 mm.
    int32_t m_leftOverhang = 0;
    int32_t m_rightOverhang = 0;

protected:
    // A node whose children changed must be measured again.
    void ChildrenChanged() override;

private:
    CSharedRecord<CFontProperties> m_fontRecord;
    CSharedRecord<CBorderPaddingBackgroundProperties> m_borderRecord;
    CSharedRecord<CCharacterProperties> m_characterRecord;
    bool m_dirtyBelow = false;
};

// Kind tests shared by every node source; each is false for null.
// The rectangle moved by (dx, dy).
inline void MoveRect(RECT* rect, int dx, int dy)
{
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
}

inline bool IsLineBreak(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kLineBreak);
}

inline bool IsCharacter(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kCharacter);
}

inline bool IsFormulaNode(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kFormula);
}

inline bool IsFormulaContainer(const CEditNode* node)
{
    return IsFormulaNode(node) && node->HasKindFlags(EditKind::kContainer);
}

inline bool IsQuestionNumberLabel(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kQuestionNumber);
}

inline bool IsFloatingFrame(const CEditNode* node)
{
    return node != nullptr && node->IsKind(EditKind::kFloat);
}
