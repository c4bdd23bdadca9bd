// Formula characters: one character (or a short string) of a formula slot, with the maths font,
// extra room around operators, italic overhangs and centring on the row's axis; the slot end that
// closes every slot and formula line; and the two big-operator signs.
#pragma once

#include "nodes/edit_char.h"

#include <initializer_list>
#include <memory>
#include <vector>

class CEditMathChar : public CEditChar {
    DECLARE_SERIAL(CEditMathChar)
public:
    CEditMathChar();
    explicit CEditMathChar(char16_t c);
    explicit CEditMathChar(const CStringW& text);

    // The character's reset, then the maths letter font, not stretchy, dirty.
    void Reset();

    // Font, colour, border, character and numbering records of a MathML element, and for an mo
    // its stretchy value.
    void CopyStyleFromElement(CQNXMLNode* element);
    void CopyStyleToElement(CQNXMLNode* element);

    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    // A formula character is always laid out again.
    bool MoveBy(int, int) override { return false; }
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // Typed text goes in one node per character, a surrogate pair staying one node.
    BOOL InsertChars(CCaret* caret, CStringW* text, CUndoGroup* group) override;
    void Serialize(CArchive& ar) override;

    // Whether a text counts as an operator for spacing: it holds one of "=+-/:<>".
    static bool IsSpacingOperator(const CStringW& text);

    int32_t m_stretchy = 0;

protected:
    explicit CEditMathChar(EDIT_NODE_KIND kind);
};

// The slot end: closes every slot of a formula container and every line of a formula.
class CEditMathCR : public CEditMathChar, public CBlockLineRelatedProperties {
    DECLARE_SERIAL(CEditMathCR)
public:
    CEditMathCR();
    void Serialize(CArchive& ar) override;
};

// The summation sign Σ, drawn from its glyph font.
class CEditSigma : public CEditMathChar {
    DECLARE_SERIAL(CEditSigma)
public:
    CEditSigma();
    void Serialize(CArchive& ar) override;
    // Twice the font height, centred on the row's axis, drawn the glyph shift left of its box.
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    LOGFONTA m_glyphFont{};
    int32_t m_glyphShift = 0;
};

// The integral sign ∫: its text stays "∫" for editing and export, its visible shape is an
// embedded glyph of the gaiji face.
class CEditIntegral : public CEditMathChar {
    DECLARE_SERIAL(CEditIntegral)
public:
    CEditIntegral();
    void Serialize(CArchive& ar) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;

    LOGFONTA m_glyphFont{};
    std::unique_ptr<CEditMathChar> m_glyph;
};

// Writes a big-operator sign with a created device font at a document point, left and top
// aligned, or right and top aligned for a summation sign into a picture; red inside an in-text
// answer on the wide-text path. The previous alignment and font are put back.
void DrawBigOperatorText(CDC* dc, CDisplayMap* map, CEditNode* owner, CFont* font, COLORREF color, POINT anchor,
                         const CStringW& text, bool rightAligned);
// Copies the glyph font's face, character set, precisions, quality and pitch into a LOGFONT.
void CopyGlyphFace(const LOGFONTA& glyphFont, LOGFONTA* font);

// Big-operator texts, as the MathML converters test them.
inline constexpr char16_t kIntegralSign = u'\u222B';
inline constexpr char16_t kSigmaSign = u'\u03A3';

// The characters of a text, a surrogate pair kept together as one; each piece is the text of one
// formula character node.
std::vector<CStringW> SplitFormulaCharacters(const CStringW& text);

// Typing into a formula: one formula character per character of the text, a surrogate pair
// staying one node, each inserted before the caret. Outside a formula, the node layer's typing.
BOOL InsertFormulaCharacters(CCaret* caret, CStringW* text, CUndoGroup* group);

// Reads one embedded formula character's stream into a new node, or writes it.
void SerializeEmbeddedChar(CArchive& ar, std::unique_ptr<CEditMathChar>& embedded);

// A glyph font in an archive: its size (60), then its bytes; a read refuses any other size.
void WriteArchivedLogFont(CArchive& ar, const LOGFONTA& font);
LOGFONTA ReadArchivedLogFont(CArchive& ar);

// Writes or reads the embedded characters a node puts ahead of its base part, the base part
// through serializeBase. A read takes the characters only once the base part has read whole.
template <typename SerializeBase>
void SerializeEmbeddedCharsThenBase(CArchive& ar, std::initializer_list<std::unique_ptr<CEditMathChar>*> embedded,
                                    SerializeBase&& serializeBase)
{
    if (ar.IsStoring()) {
        for (std::unique_ptr<CEditMathChar>* character : embedded)
            SerializeEmbeddedChar(ar, *character);
        serializeBase();
        return;
    }
    std::vector<std::unique_ptr<CEditMathChar>> read(embedded.size());
    for (std::unique_ptr<CEditMathChar>& character : read)
        SerializeEmbeddedChar(ar, character);
    serializeBase();
    auto character = read.begin();
    for (std::unique_ptr<CEditMathChar>* target : embedded)
        *target = std::move(*character++);
}
