// The application-wide default fonts: what new text receives and what applying the default fonts
// gives existing text, by writing direction and character class. One table per program; the
// settings code reads the user's values over the built-in ones at start-up.
#pragma once

#include "platform/win_types.h"

#include <cstdint>

struct DEFAULT_FONT {
    LOGFONTA font;   // lfHeight negative, a character height in 1/100 mm
    int32_t italic;  // 1 italic, 0 upright
    int32_t height;  // the size in 1/100 mm, positive
};

// The names under which the settings code stores an entry's font, italic flag and height;
// the vertical entries have no height name, as they use the horizontal entry's height.
struct DEFAULT_FONT_VALUE_NAMES {
    const char* font;
    const char* italic;
    const char* height;
};

class CDefaultFontTable {
public:
    enum Entry {
        Default = 0,          // text that is not ASCII, horizontal
        Hankaku,              // ASCII other than digits, horizontal
        Numeric,              // ASCII digits, horizontal
        AtDefault,            // text, vertical
        AtHankaku,            // half-width, vertical
        AtNumeric,            // digits, vertical
        Math,                 // formula letters and quote marks
        MathNumeric,          // formula digits and other ASCII
        MathOperator,         // formula operators and characters that are not ASCII
        EntryCount
    };
    static const DEFAULT_FONT_VALUE_NAMES kValueNames[EntryCount];

    // The built-in defaults: 10.5 pt; "ＭＳ Ｐ明朝" for text and operators, "@ＭＳ 明朝" turned
    // by 2700 for vertical text, "Times New Roman" for ASCII (italic for letters).
    CDefaultFontTable();

    // The program's table.
    static CDefaultFontTable& Instance();

    const DEFAULT_FONT& GetEntry(Entry entry) const { return m_entries[entry]; }

    // A non-zero vertical flag selects the vertical entry. Fonts are copied whole; a face name
    // set in is cut to fit on a code page 932 character boundary. Heights are the horizontal
    // entries' in both writing directions.
    void GetDefaultFont(LOGFONTA* font, int vertical) const { *font = m_entries[Pick(Default, vertical)].font; }
    void SetDefaultFont(const LOGFONTA* font, int vertical) { SetFont(Pick(Default, vertical), font); }
    int GetDefaultItalic(int vertical) const { return m_entries[Pick(Default, vertical)].italic; }
    void SetDefaultItalic(int value, int vertical) { m_entries[Pick(Default, vertical)].italic = value; }
    int GetDefaultHeight() const { return m_entries[Default].height; }
    void SetDefaultHeight(int value) { m_entries[Default].height = value; }

    void GetHankakuFont(LOGFONTA* font, int vertical) const { *font = m_entries[Pick(Hankaku, vertical)].font; }
    void SetHankakuFont(const LOGFONTA* font, int vertical) { SetFont(Pick(Hankaku, vertical), font); }
    int GetHankakuItalic(int vertical) const { return m_entries[Pick(Hankaku, vertical)].italic; }
    void SetHankakuItalic(int value, int vertical) { m_entries[Pick(Hankaku, vertical)].italic = value; }
    int GetHankakuHeight() const { return m_entries[Hankaku].height; }
    void SetHankakuHeight(int value) { m_entries[Hankaku].height = value; }

    void GetNumericFont(LOGFONTA* font, int vertical) const { *font = m_entries[Pick(Numeric, vertical)].font; }
    void SetNumericFont(const LOGFONTA* font, int vertical) { SetFont(Pick(Numeric, vertical), font); }
    int GetNumericItalic(int vertical) const { return m_entries[Pick(Numeric, vertical)].italic; }
    void SetNumericItalic(int value, int vertical) { m_entries[Pick(Numeric, vertical)].italic = value; }
    int GetNumericHeight() const { return m_entries[Numeric].height; }
    void SetNumericHeight(int value) { m_entries[Numeric].height = value; }

    void GetMathFont(LOGFONTA* font) const { *font = m_entries[Math].font; }
    void SetMathFont(const LOGFONTA* font) { SetFont(Math, font); }
    int GetMathItalic() const { return m_entries[Math].italic; }
    void SetMathItalic(int value) { m_entries[Math].italic = value; }
    int GetMathHeight() const { return m_entries[Math].height; }
    void SetMathHeight(int value) { m_entries[Math].height = value; }

    void GetMathNumericFont(LOGFONTA* font) const { *font = m_entries[MathNumeric].font; }
    void SetMathNumericFont(const LOGFONTA* font) { SetFont(MathNumeric, font); }
    int GetMathNumericItalic() const { return m_entries[MathNumeric].italic; }
    void SetMathNumericItalic(int value) { m_entries[MathNumeric].italic = value; }
    int GetMathNumericHeight() const { return m_entries[MathNumeric].height; }
    void SetMathNumericHeight(int value) { m_entries[MathNumeric].height = value; }

    void GetMathOperatorFont(LOGFONTA* font) const { *font = m_entries[MathOperator].font; }
    void SetMathOperatorFont(const LOGFONTA* font) { SetFont(MathOperator, font); }
    int GetMathOperatorItalic() const { return m_entries[MathOperator].italic; }
    void SetMathOperatorItalic(int value) { m_entries[MathOperator].italic = value; }
    int GetMathOperatorHeight() const { return m_entries[MathOperator].height; }
    void SetMathOperatorHeight(int value) { m_entries[MathOperator].height = value; }

private:
    // The vertical entry (3 to 5) stands three places after its horizontal one (0 to 2).
    static Entry Pick(Entry horizontal, int vertical)
    {
        return vertical ? static_cast<Entry>(horizontal + AtDefault) : horizontal;
    }
    void SetFont(Entry entry, const LOGFONTA* font);

    DEFAULT_FONT m_entries[EntryCount];
};
