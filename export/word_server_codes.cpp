#include "export/word_server_codes.h"

#include "export/word_writer.h"

#include <array>
#include <cstdio>
#include <iterator>

namespace {

// WdParagraphAlignment (Word's object model reference): left, centre, right, justify,
// distribute.
constexpr WORD_CODE kAlignment[] = {{0, "left"}, {1, "center"}, {2, "right"}, {3, "both"}, {4, "distribute"}};
// WdLineSpacing: single, one and a half, double, at least, exactly, multiple. The three fixed
// rules are written as multiples (240 per line); the others keep the spacing in twips.
constexpr WORD_CODE kLineSpacingRule[] = {{0, "auto"}, {1, "auto"}, {2, "auto"}, {3, "atLeast"}, {4, "exact"},
                                          {5, "auto"}};
// WdBaselineAlignment: top, centre, baseline, far-east 50 %, automatic.
constexpr WORD_CODE kBaseLineAlignment[] = {{0, "top"}, {1, "center"}, {2, "baseline"}, {3, "bottom"}, {4, "auto"}};
// WdUnderline, with the heavy and long forms WordprocessingML names alike.
constexpr WORD_CODE kUnderline[] = {
    {0, "none"},        {1, "single"},          {2, "words"},           {3, "double"},        {4, "dotted"},
    {6, "thick"},       {7, "dash"},            {9, "dotDash"},         {10, "dotDotDash"},   {11, "wave"},
    {20, "dottedHeavy"}, {23, "dashedHeavy"},   {25, "dashDotHeavy"},   {26, "dashDotDotHeavy"}, {27, "wavyHeavy"},
    {39, "dashLong"},   {43, "wavyDouble"},     {55, "dashLongHeavy"}};
// WdLineStyle: none, single, dot, small gaps, large gaps, dash-dot, dash-dot-dot, double,
// triple.
constexpr WORD_CODE kLineStyle[] = {{0, "nil"},        {1, "single"},     {2, "dotted"},
                                    {3, "dashSmallGap"}, {4, "dashed"},     {5, "dotDash"},
                                    {6, "dotDotDash"},   {7, "double"},     {8, "triple"}};
// WdTextureIndex: none, the percentages (tenths of a per cent) and the twelve hatches, the dark
// ones first.
constexpr WORD_CODE kTexture[] = {
    {0, "clear"},    {50, "pct5"},     {100, "pct10"},   {125, "pct12"},   {150, "pct15"},   {200, "pct20"},
    {250, "pct25"},  {300, "pct30"},   {350, "pct35"},   {375, "pct37"},   {400, "pct40"},   {450, "pct45"},
    {500, "pct50"},  {550, "pct55"},   {600, "pct60"},   {625, "pct62"},   {650, "pct65"},   {700, "pct70"},
    {750, "pct75"},  {800, "pct80"},   {850, "pct85"},   {875, "pct87"},   {900, "pct90"},   {950, "pct95"},
    {1000, "solid"}, {-1, "horzStripe"}, {-2, "vertStripe"}, {-3, "reverseDiagStripe"}, {-4, "diagStripe"},
    {-5, "horzCross"}, {-6, "diagCross"}, {-7, "thinHorzStripe"}, {-8, "thinVertStripe"},
    {-9, "thinReverseDiagStripe"}, {-10, "thinDiagStripe"}, {-11, "thinHorzCross"}, {-12, "thinDiagCross"}};
// WdTextOrientation: horizontal, vertical far-east (Japanese vertical lines, right to left),
// upward, downward, horizontal rotated far-east, vertical.
constexpr WORD_CODE kTextOrientation[] = {{0, "lrTb"}, {1, "tbRl"}, {2, "btLr"}, {3, "tbRl"}, {4, "lrTbV"},
                                          {5, "tbRlV"}};
// WdPhoneticGuideAlignmentType: centre, 0-1-0, 1-2-1, left, right, right vertical.
constexpr WORD_CODE kPhoneticAlignment[] = {{0, "center"}, {1, "distributeLetter"}, {2, "distributeSpace"},
                                            {3, "left"},   {4, "right"},            {5, "rightVertical"}};
// WdBreakType, the breaks inside a paragraph: line, page, column, text wrapping.
constexpr WORD_CODE kBreak[] = {{6, "textWrapping"}, {7, "page"}, {8, "column"}, {11, "textWrapping"}};
// WdSectionStart: continuous, new column, new page, even page, odd page.
constexpr WORD_CODE kSectionStart[] = {{0, "continuous"}, {1, "nextColumn"}, {2, "nextPage"}, {3, "evenPage"},
                                       {4, "oddPage"}};
// WdVerticalAlignment: top, centre, justify, bottom.
constexpr WORD_CODE kVerticalAlignment[] = {{0, "top"}, {1, "center"}, {2, "both"}, {3, "bottom"}};
// WdOrientation: portrait, landscape.
constexpr WORD_CODE kPageOrientation[] = {{0, "portrait"}, {1, "landscape"}};
// WdAutoFitBehavior: fixed, to the content, to the window.
constexpr WORD_CODE kAutoFit[] = {{0, "fixed"}, {1, "autofit"}, {2, "autofit"}};
// WdPreferredWidthType: automatic, per cent, points.
constexpr WORD_CODE kPreferredWidthType[] = {{0, "auto"}, {1, "auto"}, {2, "pct"}, {3, "dxa"}};

constexpr WORD_FIXED_ID kFixedIds[] = {
    {0, 113, WordFixedIdMeaning::CellMarginTop},    {0, 114, WordFixedIdMeaning::CellMarginBottom},
    {0, 115, WordFixedIdMeaning::CellMarginLeft},   {0, 116, WordFixedIdMeaning::CellMarginRight},
    {1, 17, WordFixedIdMeaning::TableIndent},       {1, 13, WordFixedIdMeaning::Ignored},
    {1, 14, WordFixedIdMeaning::Ignored},           {1, 20, WordFixedIdMeaning::Ignored},
    {1, 21, WordFixedIdMeaning::Ignored},           {2, 105, WordFixedIdMeaning::PreferredWidth},
    {2, 106, WordFixedIdMeaning::PreferredWidthType}, {3, 131, WordFixedIdMeaning::Ignored},
};

// The highest Word colour index.
constexpr int kMaxColorIndex = 16;

}  // namespace

namespace WordCodes {
std::span<const WORD_CODE> Alignment() { return kAlignment; }
std::span<const WORD_CODE> LineSpacingRule() { return kLineSpacingRule; }
std::span<const WORD_CODE> BaseLineAlignment() { return kBaseLineAlignment; }
std::span<const WORD_CODE> Underline() { return kUnderline; }
std::span<const WORD_CODE> LineStyle() { return kLineStyle; }
std::span<const WORD_CODE> Texture() { return kTexture; }
std::span<const WORD_CODE> TextOrientation() { return kTextOrientation; }
std::span<const WORD_CODE> PhoneticAlignment() { return kPhoneticAlignment; }
std::span<const WORD_CODE> Break() { return kBreak; }
std::span<const WORD_CODE> SectionStart() { return kSectionStart; }
std::span<const WORD_CODE> VerticalAlignment() { return kVerticalAlignment; }
std::span<const WORD_CODE> PageOrientation() { return kPageOrientation; }
std::span<const WORD_CODE> AutoFitBehavior() { return kAutoFit; }
std::span<const WORD_CODE> PreferredWidthType() { return kPreferredWidthType; }
}  // namespace WordCodes

const char* WordCodeValue(std::span<const WORD_CODE> table, int code)
{
    for (const WORD_CODE& entry : table)
        if (entry.code == code)
            return entry.value;
    return nullptr;
}

std::span<const WORD_FIXED_ID> WordFixedIds() { return kFixedIds; }

const char* WordColorValue(int colorIndex)
{
    // The inverse of the export's colour table, found by asking it for every colour made of the
    // component values its entries use.
    static const std::array<std::array<char, 7>, kMaxColorIndex + 1> colors = [] {
        std::array<std::array<char, 7>, kMaxColorIndex + 1> found{};
        constexpr int kLevels[] = {0, 128, 192, 255};
        for (int red : kLevels)
            for (int green : kLevels)
                for (int blue : kLevels) {
                    const LONG index = WordColorIndex(RGB(red, green, blue));
                    if (index > 0 && index <= kMaxColorIndex && found[static_cast<size_t>(index)][0] == 0)
                        std::snprintf(found[static_cast<size_t>(index)].data(), 7, "%02X%02X%02X", red, green, blue);
                }
        return found;
    }();
    if (colorIndex == 0)
        return "auto";
    if (colorIndex < 0 || colorIndex > kMaxColorIndex || colors[static_cast<size_t>(colorIndex)][0] == 0)
        return nullptr;
    return colors[static_cast<size_t>(colorIndex)].data();
}
