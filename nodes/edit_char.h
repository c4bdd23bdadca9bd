// Characters and line breaks: the leaves that carry text. A character holds one character as a
// rule, or a run of them; a line break ends every paragraph line and carries the paragraph's
// alignment and spacing.
#pragma once

#include "nodes/edit_node.h"

#include <span>

class CEditChar : public CEditNode {
    DECLARE_SERIAL(CEditChar)
public:
    // Content state.
    static constexpr int kEmpty = 0;
    static constexpr int kText = 2;

    CEditChar();
    explicit CEditChar(char16_t character);
    explicit CEditChar(const CStringW& text);

    // Empty text, default formatting (the area-dimension and character records keep their
    // values), the "Default" text font of the current writing direction, dirty.
    void Reset();
    // An empty text resets the character; any other sets it. Always marks the node dirty.
    int SetText(const CStringW& text);
    int SetText(const char16_t* text) { return SetText(CStringW(text)); }
    int SetText(char16_t unit) { return SetText(CStringW(unit)); }

    // The other node's font and formatting records, not its area dimension.
    void CopyFormat(const CEditNode* other);
    // Text, state and format.
    void CopyFrom(const CEditChar* other);

    // The measuring font: the node's LOGFONT upright, with the width mode and the script size.
    void BuildLogFont(LOGFONTA* font) const;
    // The same, keeping the node's turn and turning it by 2700 for vertical writing.
    void BuildDeviceLogFont(int vertical, LOGFONTA* font) const;
    // Fonts made from those descriptions, the device one scaled by the display map.
    BOOL CreateFont(CFont* font) const;
    BOOL CreateDeviceFont(CDisplayMap* map, CFont* font) const;

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    // The text point, the layout rectangle and the hit rectangle its line gave it.
    bool MoveBy(int dx, int dy) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Stream form: the state, the LOGFONT, font, colour and border records, then the node's form.
    void Serialize(CArchive& ar) override;

    int32_t m_state = kEmpty;

    // Whether `next` may be drawn in one text call with the run of plain characters that `first`
    // starts: one character each, the font and colour of the run, on the same baseline after it.
    static bool JoinsTextRun(const CEditNode* first, const CEditNode* previous, const CEditNode* next);
    // Draws consecutive plain characters with the font selected in one call, each at its own
    // place, as their own drawing would put them one by one.
    static void DrawTextRun(CDC* dc, CDisplayMap* map, std::span<CEditNode* const> run);

protected:
    explicit CEditChar(EDIT_NODE_KIND kind);
};

class CEditCR : public CEditChar, public CBlockLineRelatedProperties {
    DECLARE_SERIAL(CEditCR)
public:
    CEditCR();

    // Records the old and new alignment when a group is given, then stores it. The node stays
    // clean: the alignment commands lay the paper out again themselves.
    void SetTextAlign(int align, CUndoGroup* group);

    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Stream form: the paragraph record, then the character's form.
    void Serialize(CArchive& ar) override;

    // The paragraph record from and into an fo:block element object.
    void CopyStyleFromElement(CQNXMLNode* element);
    void CopyStyleToElement(CQNXMLNode* element);
};

// The mark an empty line break shows on screen when line-break marks are on.
inline constexpr char16_t kLineBreakMark = u'\u2193';
inline constexpr COLORREF kLineBreakMarkColor = 0x808080;

// While a container measures its children, consecutive characters of one run style share one
// screen font: each character's measuring context gets the run's font, made anew when the style
// changes.
class CRunFont {
public:
    void Give(CEditNode* child, LAYOUT_CONTEXT* context);

private:
    CFont m_font;
    const CEditNode* m_owner = nullptr;
};
