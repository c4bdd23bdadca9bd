#include "editor/settings.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "platform/codepage.h"
#include "platform/profile.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char kOptions[] = "Options";
constexpr char kFont[] = "Settings\\Font";
constexpr char kBango[] = "Settings\\Bango";
constexpr char kSettings[] = "Settings";

static_assert(sizeof(LOGFONTA) == 60);
static_assert(offsetof(LOGFONTA, lfFaceName) == 28);
static_assert(sizeof(RECT) == 16);

// A stored block copied over a record of exactly its size; anything else leaves the record.
template <typename T>
bool ReadBlock(const CProfile& profile, const char* section, const char* entry, T* out)
{
    std::vector<BYTE> bytes;
    if (!profile.GetProfileBinary(section, entry, &bytes) || bytes.size() != sizeof(T))
        return false;
    std::memcpy(out, bytes.data(), sizeof(T));
    return true;
}

template <typename T>
void WriteBlock(CProfile& profile, const char* section, const char* entry, const T& value)
{
    profile.WriteProfileBinary(section, entry, &value, sizeof(T));
}

// "ＭＳ Ｐ明朝" as the installed-font list describes it, at −10.5 pt.
LOGFONTA DefaultTextFont()
{
    LOGFONTA font{};
    CopyFaceName(font.lfFaceName, kMsPMinchoFace);
    font.lfCharSet = SHIFTJIS_CHARSET;
    FindInstalledFont(kMsPMinchoFace, &font);
    font.lfHeight = -PointsToHmm(10, 5);
    font.lfWidth = 0;
    return font;
}

// The horizontal and formula entries, whose three values are read with defaults.
void LoadFontTriple(const CProfile& profile, CDefaultFontTable* fonts, CDefaultFontTable::Entry entry)
{
    const DEFAULT_FONT_VALUE_NAMES& names = CDefaultFontTable::kValueNames[entry];
    LOGFONTA font{};
    if (!ReadBlock(profile, kFont, names.font, &font))
        font = DefaultTextFont();
    int italic = 0;
    if (!ReadBlock(profile, kFont, names.italic, &italic))
        italic = 0;
    int height = PointsToHmm(10, 5);
    if (!ReadBlock(profile, kFont, names.height, &height))
        height = PointsToHmm(10, 5);

    switch (entry) {
    case CDefaultFontTable::Default:
        fonts->SetDefaultFont(&font, 0), fonts->SetDefaultItalic(italic, 0), fonts->SetDefaultHeight(height);
        break;
    case CDefaultFontTable::Hankaku:
        fonts->SetHankakuFont(&font, 0), fonts->SetHankakuItalic(italic, 0), fonts->SetHankakuHeight(height);
        break;
    case CDefaultFontTable::Numeric:
        fonts->SetNumericFont(&font, 0), fonts->SetNumericItalic(italic, 0), fonts->SetNumericHeight(height);
        break;
    case CDefaultFontTable::Math:
        fonts->SetMathFont(&font), fonts->SetMathItalic(italic), fonts->SetMathHeight(height);
        break;
    case CDefaultFontTable::MathNumeric:
        fonts->SetMathNumericFont(&font), fonts->SetMathNumericItalic(italic), fonts->SetMathNumericHeight(height);
        break;
    case CDefaultFontTable::MathOperator:
        fonts->SetMathOperatorFont(&font), fonts->SetMathOperatorItalic(italic),
            fonts->SetMathOperatorHeight(height);
        break;
    default:
        break;
    }
}

// The vertical entries: each value only when present.
void LoadVerticalFont(const CProfile& profile, CDefaultFontTable* fonts, CDefaultFontTable::Entry entry)
{
    const DEFAULT_FONT_VALUE_NAMES& names = CDefaultFontTable::kValueNames[entry];
    LOGFONTA font{};
    const bool hasFont = ReadBlock(profile, kFont, names.font, &font);
    int italic = 0;
    const bool hasItalic = ReadBlock(profile, kFont, names.italic, &italic);
    switch (entry) {
    case CDefaultFontTable::AtDefault:
        if (hasFont) fonts->SetDefaultFont(&font, 1);
        if (hasItalic) fonts->SetDefaultItalic(italic, 1);
        break;
    case CDefaultFontTable::AtHankaku:
        if (hasFont) fonts->SetHankakuFont(&font, 1);
        if (hasItalic) fonts->SetHankakuItalic(italic, 1);
        break;
    case CDefaultFontTable::AtNumeric:
        if (hasFont) fonts->SetNumericFont(&font, 1);
        if (hasItalic) fonts->SetNumericItalic(italic, 1);
        break;
    default:
        break;
    }
}

void SaveEntry(CProfile& profile, const CDefaultFontTable& fonts, CDefaultFontTable::Entry entry)
{
    const DEFAULT_FONT_VALUE_NAMES& names = CDefaultFontTable::kValueNames[entry];
    const DEFAULT_FONT& value = fonts.GetEntry(entry);
    WriteBlock(profile, kFont, names.font, value.font);
    WriteBlock(profile, kFont, names.italic, value.italic);
    if (names.height)
        WriteBlock(profile, kFont, names.height, value.height);
}

}  // namespace

SOREL_SETTINGS::SOREL_SETTINGS()
{
    bango.m_renbanForce = 0;
    bango.m_renbanType = 1;
}

void LoadSettings(const CProfile& profile, SOREL_SETTINGS* settings, CDefaultFontTable* fonts, int screenWidth,
                  int screenHeight)
{
    settings->maximized = profile.GetProfileInt(kOptions, "Maximized", 0);
    RECT rect{};
    if (!ReadBlock(profile, kOptions, "InitialRect", &rect))
        rect = RECT{};
    const RECT visible{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                       std::min<LONG>(rect.right, screenWidth), std::min<LONG>(rect.bottom, screenHeight)};
    settings->initialRect = (visible.right - visible.left < 10 || visible.bottom - visible.top < 10) ? RECT{} : rect;
    settings->writingMode = 0;

    using E = CDefaultFontTable;
    for (E::Entry entry : {E::Default, E::Hankaku, E::Numeric})
        LoadFontTriple(profile, fonts, entry);
    for (E::Entry entry : {E::AtDefault, E::AtHankaku, E::AtNumeric})
        LoadVerticalFont(profile, fonts, entry);
    for (E::Entry entry : {E::Math, E::MathNumeric, E::MathOperator})
        LoadFontTriple(profile, fonts, entry);

    settings->bango.m_renbanType = profile.GetProfileInt(kBango, "Type", 1);
    LOGFONTA bangoFont{};
    if (ReadBlock(profile, kBango, "Font", &bangoFont)) {
        settings->bango.m_renbanSize = bangoFont.lfHeight;
        CopyFaceName(settings->bango.m_renbanFace,
                     std::string_view(bangoFont.lfFaceName, strnlen(bangoFont.lfFaceName, LF_FACESIZE)));
    }
    settings->bango.m_renbanForce = profile.GetProfileInt(kBango, "Force", 0);
    settings->bango.m_renbanString = CStringW(Cp932ToWide(profile.GetProfileString(kBango, "String", "")));
    settings->underlineStyle = profile.GetProfileInt(kBango, "UnderlineStyle", 1);
    settings->underlineWidth = profile.GetProfileInt(kBango, "UnderlineWidth", 1);

    settings->zoom = profile.GetProfileInt(kSettings, "Zoom", 100);
}

bool SaveSettings(CProfile& profile, const SOREL_SETTINGS& settings, const CDefaultFontTable& fonts)
{
    profile.WriteProfileInt(kOptions, "Maximized", settings.maximized);
    WriteBlock(profile, kOptions, "InitialRect", settings.initialRect);
    profile.WriteProfileInt(kOptions, "WritingMode", settings.writingMode);

    using E = CDefaultFontTable;
    for (E::Entry entry : {E::Default, E::Hankaku, E::Numeric, E::AtDefault, E::AtHankaku, E::AtNumeric, E::Math,
                           E::MathNumeric, E::MathOperator})
        SaveEntry(profile, fonts, entry);

    profile.WriteProfileInt(kBango, "Type", settings.bango.m_renbanType);
    LOGFONTA bangoFont{};
    bangoFont.lfHeight = settings.bango.m_renbanSize;
    CopyFaceName(bangoFont.lfFaceName, FaceNameView(settings.bango.m_renbanFace));
    WriteBlock(profile, kBango, "Font", bangoFont);
    profile.WriteProfileInt(kBango, "Force", settings.bango.m_renbanForce);
    profile.WriteProfileString(kBango, "String", WideToCp932(settings.bango.m_renbanString.View()).c_str());
    profile.WriteProfileInt(kBango, "UnderlineStyle", settings.underlineStyle);
    profile.WriteProfileInt(kBango, "UnderlineWidth", settings.underlineWidth);

    profile.WriteProfileInt(kSettings, "Zoom", settings.zoom);
    return profile.Flush();
}
