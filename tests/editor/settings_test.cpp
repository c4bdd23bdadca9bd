// Settings: the exact values and blocks written, read back and defaulted.
#include "editor/settings.h"

#include "base/default_fonts.h"
#include "base/length_units.h"
#include "platform/codepage.h"
#include "platform/profile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    std::string IniPath() const { return (m_dir.path() + "/Tarsel.ini").toStdString(); }
    QTemporaryDir m_dir;
};

// A 60-byte LOGFONTA as the stored bytes show it: height at 0, face at offset 28.
std::vector<BYTE> LogFontBytes(int32_t height, const std::string& face)
{
    std::vector<BYTE> bytes(60, 0);
    std::memcpy(bytes.data(), &height, 4);
    std::memcpy(bytes.data() + 28, face.data(), std::min<size_t>(face.size(), 31));
    return bytes;
}

std::vector<BYTE> Stored(const CProfile& profile, const char* section, const char* entry)
{
    std::vector<BYTE> bytes;
    EXPECT_TRUE(profile.GetProfileBinary(section, entry, &bytes)) << section << " " << entry;
    return bytes;
}

}  // namespace

TEST_F(SettingsTest, AnEmptyProfileGivesTheTableDefaults)
{
    CProfile profile(IniPath());
    SOREL_SETTINGS settings;
    CDefaultFontTable fonts;
    const DEFAULT_FONT builtInVertical = fonts.GetEntry(CDefaultFontTable::AtDefault);
    LoadSettings(profile, &settings, &fonts, 1024, 768);

    EXPECT_EQ(settings.maximized, 0);
    EXPECT_EQ(settings.initialRect.right, 0);
    EXPECT_EQ(settings.zoom, 100);
    EXPECT_EQ(settings.bango.m_renbanType, 1);
    EXPECT_EQ(settings.bango.m_renbanForce, 0);
    EXPECT_EQ(settings.bango.m_renbanSize, 176);
    EXPECT_STREQ(settings.bango.m_renbanFace, WideToCp932(u"ＭＳ Ｐ明朝").c_str());
    EXPECT_EQ(settings.underlineStyle, 1);
    EXPECT_EQ(settings.underlineWidth, 1);

    for (auto entry : {CDefaultFontTable::Default, CDefaultFontTable::Hankaku, CDefaultFontTable::Numeric,
                       CDefaultFontTable::Math, CDefaultFontTable::MathNumeric, CDefaultFontTable::MathOperator}) {
        const DEFAULT_FONT& font = fonts.GetEntry(entry);
        EXPECT_STREQ(font.font.lfFaceName, WideToCp932(u"ＭＳ Ｐ明朝").c_str()) << entry;
        EXPECT_EQ(font.font.lfHeight, -371) << entry;
        EXPECT_EQ(font.italic, 0) << entry;
        EXPECT_EQ(font.height, 371) << entry;
    }
    const DEFAULT_FONT& vertical = fonts.GetEntry(CDefaultFontTable::AtDefault);
    EXPECT_STREQ(vertical.font.lfFaceName, builtInVertical.font.lfFaceName);
    EXPECT_EQ(vertical.font.lfEscapement, builtInVertical.font.lfEscapement);
}

TEST_F(SettingsTest, SavingWritesEveryValueWithItsSize)
{
    CProfile profile(IniPath());
    SOREL_SETTINGS settings;
    settings.maximized = 1;
    settings.initialRect = RECT{10, 20, 500, 400};
    settings.zoom = 150;
    settings.bango.m_renbanString = CStringW(u"ア");
    CDefaultFontTable fonts;
    ASSERT_TRUE(SaveSettings(profile, settings, fonts));

    EXPECT_EQ(profile.GetProfileInt("Options", "Maximized", -1), 1);
    EXPECT_EQ(profile.GetProfileInt("Options", "WritingMode", -1), 0);
    const std::vector<BYTE> rect = Stored(profile, "Options", "InitialRect");
    ASSERT_EQ(rect.size(), 16u);
    const std::vector<BYTE> expectedRect = {10, 0, 0, 0, 20, 0, 0, 0, 0xF4, 1, 0, 0, 0x90, 1, 0, 0};
    EXPECT_EQ(rect, expectedRect);

    struct {
        const char* name;
        size_t size;
    } const fontValues[] = {
        {"Default", 60}, {"Italic", 4}, {"Height", 4}, {"HankakuDefault", 60}, {"HankakuItalic", 4},
        {"HankakuHeight", 4}, {"NumericDefault", 60}, {"NumericItalic", 4}, {"NumericHeight", 4},
        {"AtDefault", 60}, {"AtItalic", 4}, {"AtHankakuDefault", 60}, {"AtHankakuItalic", 4},
        {"AtNumericDefault", 60}, {"AtNumericItalic", 4}, {"MathDefault", 60}, {"MathItalic", 4},
        {"MathHeight", 4}, {"MathNumericDefault", 60}, {"MathNumericItalic", 4}, {"MathNumericHeight", 4},
        {"MathOperatorDefault", 60}, {"MathOperatorItalic", 4}, {"MathOperatorHeight", 4},
    };
    for (const auto& value : fontValues)
        EXPECT_EQ(Stored(profile, "Settings\\Font", value.name).size(), value.size) << value.name;
    std::vector<BYTE> noHeight;
    EXPECT_FALSE(profile.GetProfileBinary("Settings\\Font", "AtHeight", &noHeight));

    // The numbering font: a zeroed LOGFONTA holding only the size and the face.
    EXPECT_EQ(Stored(profile, "Settings\\Bango", "Font"), LogFontBytes(176, WideToCp932(u"ＭＳ Ｐ明朝")));
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "Type", -1), 1);
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "Force", -1), 0);
    EXPECT_EQ(profile.GetProfileString("Settings\\Bango", "String", ""), WideToCp932(u"ア"));
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "UnderlineStyle", -1), 1);
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "UnderlineWidth", -1), 1);
    EXPECT_EQ(profile.GetProfileInt("Settings", "Zoom", -1), 150);
}

TEST_F(SettingsTest, StoredValuesComeBackThroughAFreshProfile)
{
    {
        CProfile profile(IniPath());
        SOREL_SETTINGS settings;
        settings.zoom = 75;
        settings.bango.m_renbanType = 4;
        settings.bango.m_renbanSize = 300;
        CopyFaceName(settings.bango.m_renbanFace, WideToCp932(u"ＭＳ ゴシック"));
        settings.bango.m_renbanString = CStringW(u"問");
        CDefaultFontTable fonts;
        LOGFONTA font{};
        font.lfHeight = -500;
        std::strcpy(font.lfFaceName, "Times New Roman");
        fonts.SetHankakuFont(&font, 0);
        fonts.SetHankakuItalic(1, 0);
        fonts.SetHankakuHeight(500);
        fonts.SetMathOperatorHeight(423);
        ASSERT_TRUE(SaveSettings(profile, settings, fonts));
    }
    CProfile profile(IniPath());
    SOREL_SETTINGS settings;
    CDefaultFontTable fonts;
    LoadSettings(profile, &settings, &fonts, 1024, 768);
    EXPECT_EQ(settings.zoom, 75);
    EXPECT_EQ(settings.bango.m_renbanType, 4);
    EXPECT_EQ(settings.bango.m_renbanSize, 300);
    EXPECT_STREQ(settings.bango.m_renbanFace, WideToCp932(u"ＭＳ ゴシック").c_str());
    EXPECT_TRUE(settings.bango.m_renbanString.View() == u"問");
    EXPECT_STREQ(fonts.GetEntry(CDefaultFontTable::Hankaku).font.lfFaceName, "Times New Roman");
    EXPECT_EQ(fonts.GetEntry(CDefaultFontTable::Hankaku).italic, 1);
    EXPECT_EQ(fonts.GetEntry(CDefaultFontTable::Hankaku).height, 500);
    EXPECT_EQ(fonts.GetEntry(CDefaultFontTable::MathOperator).height, 423);
}

TEST_F(SettingsTest, TheNumberingFontTakesOnlyHeightAndFaceFromOffset28)
{
    CProfile profile(IniPath());
    std::vector<BYTE> bytes = LogFontBytes(250, "Face28");
    bytes[4] = 9;    // width and weight are not used
    bytes[16] = 0xBC;
    profile.WriteProfileBinary("Settings\\Bango", "Font", bytes.data(), bytes.size());
    SOREL_SETTINGS settings;
    CDefaultFontTable fonts;
    LoadSettings(profile, &settings, &fonts, 1024, 768);
    EXPECT_EQ(settings.bango.m_renbanSize, 250);
    EXPECT_STREQ(settings.bango.m_renbanFace, "Face28");
}

TEST_F(SettingsTest, BlocksOfTheWrongSizeLeaveTheDefaults)
{
    CProfile profile(IniPath());
    const std::vector<BYTE> big(200, 0x41);
    const std::vector<BYTE> small(3, 0x7F);
    profile.WriteProfileBinary("Options", "InitialRect", big.data(), big.size());
    profile.WriteProfileBinary("Settings\\Font", "Default", big.data(), big.size());
    profile.WriteProfileBinary("Settings\\Font", "Height", small.data(), small.size());
    profile.WriteProfileBinary("Settings\\Font", "AtDefault", small.data(), small.size());
    profile.WriteProfileBinary("Settings\\Bango", "Font", big.data(), 61);
    SOREL_SETTINGS settings;
    CDefaultFontTable fonts;
    const DEFAULT_FONT builtInVertical = fonts.GetEntry(CDefaultFontTable::AtDefault);
    LoadSettings(profile, &settings, &fonts, 1024, 768);
    EXPECT_EQ(settings.initialRect.right, 0);
    EXPECT_STREQ(fonts.GetEntry(CDefaultFontTable::Default).font.lfFaceName, WideToCp932(u"ＭＳ Ｐ明朝").c_str());
    EXPECT_EQ(fonts.GetEntry(CDefaultFontTable::Default).height, 371);
    EXPECT_STREQ(fonts.GetEntry(CDefaultFontTable::AtDefault).font.lfFaceName, builtInVertical.font.lfFaceName);
    EXPECT_EQ(settings.bango.m_renbanSize, 176);
}

TEST_F(SettingsTest, TheWindowRectangleNeedsTenPixelsOnTheScreen)
{
    struct Case {
        RECT stored;
        bool kept;
    } const cases[] = {
        {{100, 100, 600, 500}, true},
        {{-500, -500, -100, -100}, false},     // wholly off the screen
        {{1015, 100, 1500, 500}, false},       // 9 pixels across
        {{1014, 100, 1500, 500}, true},        // 10 pixels across
        {{100, 759, 600, 1200}, false},        // 9 pixels down
        {{100, 758, 600, 1200}, true},
        {{-600, -400, 10, 10}, true},          // 10 by 10 at the top-left corner
        {{300, 300, 300, 500}, false},         // no width
    };
    for (const Case& c : cases) {
        CProfile profile(IniPath());
        profile.WriteProfileBinary("Options", "InitialRect", &c.stored, sizeof(RECT));
        SOREL_SETTINGS settings;
        CDefaultFontTable fonts;
        LoadSettings(profile, &settings, &fonts, 1024, 768);
        const RECT& r = settings.initialRect;
        if (c.kept)
            EXPECT_TRUE(r.left == c.stored.left && r.top == c.stored.top && r.right == c.stored.right &&
                        r.bottom == c.stored.bottom)
                << c.stored.left << "," << c.stored.top;
        else
            EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0) << c.stored.left << "," << c.stored.top;
    }
}
