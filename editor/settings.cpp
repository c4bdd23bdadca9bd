#include "editor/settings.h"

#include "base/default_fonts.h"
#include "base/font_settings.h"
#include "platform/profile.h"

#include <algorithm>

namespace {

constexpr char kOptions[] = "Options";
constexpr const char* kFont = FontSettings::kFontSection;
constexpr char kSettings[] = "Settings";

static_assert(sizeof(RECT) == 16);

template <typename T>
void WriteBlock(CProfile& profile, const char* section, const char* entry, const T& value)
{
    profile.WriteProfileBinary(section, entry, &value, sizeof(T));
}

// The vertical entries: each value only when present.
void LoadVerticalFont(const CProfile& profile, CDefaultFontTable* fonts, CDefaultFontTable::Entry entry)
{
    const DEFAULT_FONT_VALUE_NAMES& names = CDefaultFontTable::kValueNames[entry];
    LOGFONTA font{};
    const bool hasFont = ReadProfileBlock(profile, kFont, names.font, &font);
    int italic = 0;
    const bool hasItalic = ReadProfileBlock(profile, kFont, names.italic, &italic);
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
    if (!ReadProfileBlock(profile, kOptions, "InitialRect", &rect))
        rect = RECT{};
    const RECT visible{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                       std::min<LONG>(rect.right, screenWidth), std::min<LONG>(rect.bottom, screenHeight)};
    settings->initialRect = (visible.right - visible.left < 10 || visible.bottom - visible.top < 10) ? RECT{} : rect;
    settings->writingMode = 0;

    using E = CDefaultFontTable;
    for (E::Entry entry : {E::Default, E::Hankaku, E::Numeric})
        LoadDefaultFontEntry(profile, fonts, entry);
    for (E::Entry entry : {E::AtDefault, E::AtHankaku, E::AtNumeric})
        LoadVerticalFont(profile, fonts, entry);
    for (E::Entry entry : {E::Math, E::MathNumeric, E::MathOperator})
        LoadDefaultFontEntry(profile, fonts, entry);

    LoadNumberingSettings(profile, {&settings->bango, &settings->underlineStyle, &settings->underlineWidth});

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
        SaveDefaultFontEntry(profile, fonts, entry);

    SaveNumberingSettings(profile, settings.bango, settings.underlineStyle, settings.underlineWidth);

    profile.WriteProfileInt(kSettings, "Zoom", settings.zoom);
    return profile.Flush();
}
