// The kanbun cell: one base character of a classical Chinese passage with the reading aids that
// belong to it, each in a fixed sub-box around the base (leading bracket, base, right kana, left
// kana, punctuation, return marks, trailing bracket), or in the form with hyphen five sub-boxes
// and a short hyphen line that ties the cell to the next one. Also the characters and line breaks
// of the sub-boxes and the root of the reading-mark editor's own tree.
#pragma once

#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_families.h"

class CCaret;
class CEditKunten;
class CEditOkurigana;

// A character of a kanbun cell: a plain character that always starts in the vertical default
// text font, whatever the writing direction.
class CEditKanChar : public CEditChar {
    DECLARE_SERIAL(CEditKanChar)
public:
    CEditKanChar();
    explicit CEditKanChar(char16_t character);
    explicit CEditKanChar(const CStringW& text);

protected:
    explicit CEditKanChar(EDIT_NODE_KIND kind);
};

// The line break that ends every sub-box of a kanbun cell.
class CEditKanCR : public CEditKanChar, public CBlockLineRelatedProperties {
    DECLARE_SERIAL(CEditKanCR)
public:
    CEditKanCR();
    // The block-line record as a block of four ints, then the character's form.
    void Serialize(CArchive& ar) override;
};

// The hyphen modes of a cell.
namespace KanbunMode {
constexpr int kWithoutHyphen = 0;  // seven sub-boxes
constexpr int kWithHyphen = 1;     // five sub-boxes and the hyphen line
}  // namespace KanbunMode

// Sub-box indices of the two forms.
namespace KanbunBox {
constexpr int kLeadBracket = 0;
constexpr int kBase = 1;
constexpr int kRightKana = 2;
constexpr int kLeftKana = 3;
constexpr int kPunctuation = 4;        // seven-box form only
constexpr int kReturnMarks = 5;        // seven-box form
constexpr int kTrailBracket = 6;       // seven-box form only
constexpr int kReturnMarksHyphen = 4;  // five-box form
}  // namespace KanbunBox

class CEditKan : public CEditContainer, public IKanbunCell {
    DECLARE_SERIAL(CEditKan)
public:
    // The settings the builders give the reading-mark boxes.
    static constexpr int kBracketSpacing = 40;
    static constexpr int kMarkSpacing = 60;
    static constexpr int kReturnMarkMaxChars = 2;

    CEditKan();
    ~CEditKan() override;

    int GetHyphenMode() const override { return m_hyphenMode; }
    void SetHyphenMode(int mode) override { m_hyphenMode = mode; }

    // --- builders: each deletes the children and builds the sub-boxes of the seven-box form
    // (fiveBoxes 0) or the five-box form; none changes the hyphen mode.
    void BuildEmpty(int fiveBoxes);
    // The base box holds a copy of the source character.
    void BuildAround(const CEditChar* source, int fiveBoxes);
    // The base box holds one character of the whole text; a given font goes to it and to the
    // base box's line break.
    void BuildFromText(const CStringW& text, int fiveBoxes, const LOGFONTA* font);
    // Gives each reading-mark box the spacing and limit the builders give it, by its place in the
    // form of the current hyphen mode: for cells that were built by other means (a stored paper,
    // a change of form).
    void ApplyBuilderSettings();

    // 1: the caret may not stop inside any sub-box (the paper); 0: it may (the reading-mark
    // editor). A sub-box itself is never a stop.
    void LockSubBoxes(int lock);

    // --- sub-boxes; null when the current form has none (or the cell lacks it)
    CEditKunten* GetLeadBracketBox() const;
    CEditKunten* GetBaseBox() const;
    CEditOkurigana* GetRightKanaBox() const;
    CEditOkurigana* GetLeftKanaBox() const;
    CEditKunten* GetPunctuationBox() const;
    CEditKunten* GetTrailBracketBox() const;
    CEditKunten* GetReturnMarkBox() const;

    // The characters of a sub-box before its line break. 1 when any of them is in the gaiji face,
    // else 0; 0 and `out` untouched when the box does not exist.
    int GetLeadBracketText(CStringW& out) const;
    int GetTrailBracketText(CStringW& out) const;
    int GetPunctuationText(CStringW& out) const;
    int GetReturnMarkText(CStringW& out) const;
    // Replaces the characters of a sub-box, one node per character in the format of the box's
    // first node, in the given font's face or the vertical default face. Nothing when the box
    // does not exist. Records no undo: the reading-mark editor keeps its own history.
    void SetLeadBracketText(const CStringW& text, const LOGFONTA* font);
    void SetTrailBracketText(const CStringW& text, const LOGFONTA* font);
    void SetPunctuationText(const CStringW& text, const LOGFONTA* font);
    void SetReturnMarkText(const CStringW& text, const LOGFONTA* font);

    // Sizes the characters of every other sub-box from the base character: brackets at its size,
    // punctuation, return marks and kana at half (a circle mark at a third).
    void SetSatelliteSizes(CUndoGroup* group);
    // Switches between the two forms, recording the box insertions or removals and the mode change
    // in the group when one is given.
    void SetMode(int mode, CCaret* caret, CUndoGroup* group);

    CEditNode* HitTest(int x, int y, int* after) override;
    void Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    void Layout(LAYOUT_CONTEXT* context, int vertical) override;
    void Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context) override;
    // The first inner node of the leading-bracket box.
    CEditNode* GetFirstInner() override;
    // The hyphen mode, the hyphen anchor in the character's form, then the container part.
    void Serialize(CArchive& ar) override;

    CEditKanChar& GetHyphenAnchor() { return m_hyphenAnchor; }
    const RECT& GetHyphenRect() const { return m_hyphenRect; }

    int32_t m_hyphenMode = KanbunMode::kWithoutHyphen;

private:
    enum class BoxShape { Seven, Five };
    void BuildBoxes(BoxShape shape, CEditKanChar* baseCharacter, const LOGFONTA* baseBreakFont);
    // The sub-box at index as the class it must be; null otherwise.
    template <class Box>
    Box* BoxAt(int index) const;
    // The first inner node of the base box; null without one.
    CEditNode* BaseCharacter() const;
    void DrawRunLabelOfCell(CDC* dc, CDisplayMap* map);

    // Holds U+3000 where the hyphen starts; its height gives the hyphen's length.
    CEditKanChar m_hyphenAnchor;
    RECT m_hyphenRect{};
};

// The root of the reading-mark editor's tree: a guarded container whose first inner node is that
// of the cell being edited.
class CEditEditKan : public CEditEdit {
    DECLARE_SERIAL(CEditEditKan)
public:
    CEditEditKan() = default;
    CEditNode* GetFirstInner() override;
};

// Makes typing into a reading-mark box create kanbun characters and line breaks.
void RegisterKanbunFamily();
