#include "base/font_settings.h"

#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "platform/codepage.h"
#include "platform/profile.h"

#include <string_view>

static_assert(sizeof(LOGFONTA) == 60);
static_assert(offsetof(LOGFONTA, lfFaceName) == 28);

using namespace FontSettings;

LOGFONTA DefaultMinchoFont()
{
    LOGFONTA font{};
    CopyFaceName(font.lfFaceName, kMsPMinchoFace);
    font.lfCharSet = SHIFTJIS_CHARSET;
    FindInstalledFont(kMsPMinchoFace, &font);
    font.lfHeight = -PointsToHmm(10, 5);
    font.lfWidth = 0;
    return font;
}

bool ReadProfileBlock(const CProfile& profile, const char* section, const char* entry, void* record, size_t size)
{
    std::vector<BYTE> bytes;
    if (!profile.GetProfileBinary(section, entry, &bytes) || bytes.size() != size)
        return false;
    std::memcpy(record, bytes.data(), size);
    return true;
}

void LoadDefaultFontEntry(const CProfile& profile, CDefaultFontTable* fonts, CDefaultFontTable::Entry entry)
{
    const DEFAULT_FONT_VALUE_NAMES& names = CDefaultFontTable::kValueNames[entry];
    LOGFONTA font{};
    if (!ReadProfileBlock(profile, kFontSection, names.font, &font))
        font = DefaultMinchoFont();
    int italic = 0;
    if (!ReadProfileBlock(profile, kFontSection, names.italic, &italic))
        italic = 0;
    int height = PointsToHmm(10, 5);
    if (!ReadProfileBlock(profile, kFontSection, names.height, &height))
        height = PointsToHmm(10, 5);

    using E = CDefaultFontTable;
    switch (entry) {
    case E::Default:
        fonts->SetDefaultFont(&font, 0), fonts->SetDefaultItalic(italic, 0), fonts->SetDefaultHeight(height);
        break;
    case E::Hankaku:
        fonts->SetHankakuFont(&font, 0), fonts->SetHankakuItalic(italic, 0), fonts->SetHankakuHeight(height);
        break;
    case E::Numeric:
        fonts->SetNumericFont(&font, 0), fonts->SetNumericItalic(italic, 0), fonts->SetNumericHeight(height);
        break;
    case E::Math:
        fonts->SetMathFont(&font), fonts->SetMathItalic(italic), fonts->SetMathHeight(height);
        break;
    case E::MathNumeric:
        fonts->SetMathNumericFont(&font), fonts->SetMathNumericItalic(italic), fonts->SetMathNumericHeight(height);
        break;
    case E::MathOperator:
        fonts->SetMathOperatorFont(&font), fonts->SetMathOperatorItalic(italic),
            fonts->SetMathOperatorHeight(height);
        break;
    default:
        break;
    }
}

void SaveDefaultFontEntry(CProfile& profile, const CDefaultFontTable& fonts, CDefaultFontTable::Entry entry)
{
    const DEFAULT_FONT_VALUE_NAMES& names = CDefaultFontTable::kValueNames[entry];
    const DEFAULT_FONT& value = fonts.GetEntry(entry);
    profile.WriteProfileBinary(kFontSection, names.font, &value.font, sizeof(LOGFONTA));
    profile.WriteProfileBinary(kFontSection, names.italic, &value.italic, sizeof(int32_t));
    if (names.height)
        profile.WriteProfileBinary(kFontSection, names.height, &value.height, sizeof(int32_t));
}

void LoadNumberingSettings(const CProfile& profile, const NUMBERING_SETTINGS& settings)
{
    settings.bango->m_renbanType = profile.GetProfileInt(kBangoSection, "Type", 1);
    LOGFONTA bangoFont{};
    if (ReadProfileBlock(profile, kBangoSection, "Font", &bangoFont)) {
        settings.bango->m_renbanSize = bangoFont.lfHeight;
        CopyFaceName(settings.bango->m_renbanFace,
                     std::string_view(bangoFont.lfFaceName, strnlen(bangoFont.lfFaceName, LF_FACESIZE)));
    }
    settings.bango->m_renbanForce = profile.GetProfileInt(kBangoSection, "Force", 0);
    settings.bango->m_renbanString = CStringW(Cp932ToWide(profile.GetProfileString(kBangoSection, "String", "")));
    *settings.underlineStyle = profile.GetProfileInt(kBangoSection, "UnderlineStyle", 1);
    *settings.underlineWidth = profile.GetProfileInt(kBangoSection, "UnderlineWidth", 1);
}

void SaveNumberingSettings(CProfile& profile, const CKasenRenbanProperties& bango, int underlineStyle,
                           int underlineWidth)
{
    profile.WriteProfileInt(kBangoSection, "Type", bango.m_renbanType);
    LOGFONTA bangoFont{};
    bangoFont.lfHeight = bango.m_renbanSize;
    CopyFaceName(bangoFont.lfFaceName, FaceNameView(bango.m_renbanFace));
    profile.WriteProfileBinary(kBangoSection, "Font", &bangoFont, sizeof(LOGFONTA));
    profile.WriteProfileInt(kBangoSection, "Force", bango.m_renbanForce);
    profile.WriteProfileString(kBangoSection, "String", WideToCp932(bango.m_renbanString.View()).c_str());
    profile.WriteProfileInt(kBangoSection, "UnderlineStyle", underlineStyle);
    profile.WriteProfileInt(kBangoSection, "UnderlineWidth", underlineWidth);
}
