// Installed fonts, through fontconfig. The programs load their own alias rules before the first
// font is made, so that the faces documents name ("ＭＳ 明朝", "ＭＳ Ｐ明朝", "ＭＳ ゴシック",
// "ＭＳ Ｐゴシック", "Times New Roman" and their "@" forms) count as installed and draw with the
// IPA and Liberation fonts, while documents keep the names they had. The gaiji face
// "Orvellan Gaiji" draws its characters from a substitute font.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CDC;

struct NEWTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
    DWORD ntmFlags;
    UINT ntmSizeEM;
    UINT ntmCellHeight;
    UINT ntmAvgWidth;
};
static_assert(sizeof(NEWTEXTMETRICA) == 72);

constexpr DWORD NTM_ITALIC = 0x00000001;
constexpr DWORD NTM_BOLD = 0x00000020;
constexpr DWORD NTM_REGULAR = 0x00000040;
constexpr DWORD NTM_TT_OPENTYPE = 0x00040000;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

// The alias rules in fontconfig's format.
const char* FontAliasRules();
// Loads the alias rules into fontconfig's current configuration, once. Call before the
// QGuiApplication is made, so that Qt's own font matching sees them too.
bool LoadFontAliasRules();

// Called once for each face: its description (lfHeight the cell height of a 16-pixel line),
// its metrics, the font type, and the caller's value. Returning 0 ends the enumeration.
using FONTENUMPROCA = int (*)(const LOGFONTA* font, const NEWTEXTMETRICA* metrics, DWORD fontType, intptr_t lParam);

// Enumerates the installed faces of the filter's character set (SHIFTJIS_CHARSET: faces that
// hold Japanese, with their "@" forms and the aliases above; ANSI_CHARSET: faces that hold
// Latin letters; DEFAULT_CHARSET: both), or only the face the filter names. Needs a device
// context, as the system's enumeration does; returns the last value of the callback (1 when it
// was never called) and 0 without a context.
int EnumFontFamiliesExA(CDC* dc, const LOGFONTA* filter, FONTENUMPROCA callback, intptr_t lParam, DWORD flags);

// A face name without its leading "@" (the vertical form), and whether it had one.
std::string_view BaseFaceName(std::string_view face, bool* vertical = nullptr);
// True for the gaiji face, with or without "@".
bool IsGaijiFaceName(std::string_view face);

// What a LOGFONTA draws with: a font file and face index, and what the file lacks of the
// requested style. `gaiji` is set for the gaiji face, whose text goes through GaijiShownChar.
struct ResolvedFont {
    std::string file;        // UTF-8 path
    int index = 0;           // face index in the file
    std::string family;      // the family fontconfig chose, UTF-8
    bool vertical = false;   // the face was an "@" face
    bool gaiji = false;
    bool syntheticBold = false;
    bool syntheticItalic = false;
};
// False when fontconfig knows no font at all.
bool ResolveFont(const LOGFONTA& font, ResolvedFont* resolved);
// The bytes of one table ("head", "maxp", …) of the face at index of a font file, read without the
// rest of the file; empty when the file, the face or the table is missing.
std::string ReadFontFileTable(const std::string& path, int index, std::string_view tag);
// Fonts that hold characters the chosen one lacks, in the order to try them.
std::span<const std::string> FallbackFontFiles();

// The glyphs of the gaiji font: each pair is a character and the Shift-JIS code at which the
// gaiji font holds its shape, in the font's own order. The font's data is not available here:
// the table holds the pairs known to this system.
struct GaijiPair {
    char16_t unicode;
    uint16_t code;
};
inline constexpr GaijiPair kGaijiFontPairs[] = {
    {0x2236, 0x8146}, {0x03C2, 0x8154}, {0x2218, 0x815A}, {0x22F1, 0x8160}, {0x22F0, 0x8161},
    {0x22EE, 0x8162}, {0x22EF, 0x8163}, {0x21D0, 0x8171}, {0x2213, 0x817D}, {0x2237, 0x8181},
    {0x2209, 0x81B8}, {0x220C, 0x81B9}, {0x3221, 0x8251}, {0x24C7, 0x8271}, {0x2113, 0x876D},
    {0x624C, 0x9A70}, {0x624C, 0x9BA8}, {0x9F55, 0xE341},
};
// The character whose shape the gaiji font shows for the character `drawn` (the character the
// system code page assigns to a gaiji code); `drawn` itself when the font shows it as it is.
char16_t GaijiShownChar(char16_t drawn);
