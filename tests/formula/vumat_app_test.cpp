// The formula editor's start-up without windows: how the command line starts it, and its
// settings in the profile, read from and written as the exact blocks of the profile's table.
#include "formula/vumat_app.h"

#include "base/default_fonts.h"
#include "nodes/edit_switches.h"
#include "platform/codepage.h"
#include "platform/profile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct COMMAND_LINE_CASE {
    const char* name;
    std::vector<std::string> arguments;
    VumatStart start;
    std::string file;
};

class CommandLineCase : public ::testing::TestWithParam<COMMAND_LINE_CASE> {};

TEST_P(CommandLineCase, StartsAsTheSwitchesSay)
{
    const VUMAT_COMMAND_LINE line = ParseVumatCommandLine(GetParam().arguments);
    EXPECT_EQ(line.start, GetParam().start);
    EXPECT_EQ(line.file, GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    VumatApp, CommandLineCase,
    ::testing::Values(COMMAND_LINE_CASE{"Nothing", {}, VumatStart::None, ""},
                      COMMAND_LINE_CASE{"HyphenEmbedding", {"-Embedding"}, VumatStart::Embedding, ""},
                      COMMAND_LINE_CASE{"SlashEmbeddingAnyCase", {"/embedding"}, VumatStart::Embedding, ""},
                      COMMAND_LINE_CASE{"Automation", {"-Automation"}, VumatStart::Automation, ""},
                      COMMAND_LINE_CASE{"AFile", {"a.qni"}, VumatStart::File, "a.qni"},
                      COMMAND_LINE_CASE{"EmbeddingWinsOverAFile", {"b.qni", "-Embedding"}, VumatStart::Embedding, ""},
                      COMMAND_LINE_CASE{"UnknownSwitchIsIgnored", {"-Embeddingx"}, VumatStart::None, ""},
                      COMMAND_LINE_CASE{"SwitchWordAloneIsAFile", {"Embedding"}, VumatStart::File, "Embedding"},
                      COMMAND_LINE_CASE{"FirstFileCounts", {"-x", "c.qni", "d.qni"}, VumatStart::File, "c.qni"},
                      COMMAND_LINE_CASE{"AbsolutePathIsAFile", {"/home/t/e.qni"}, VumatStart::File, "/home/t/e.qni"}),
    [](const ::testing::TestParamInfo<COMMAND_LINE_CASE>& info) { return std::string(info.param.name); });

// A 60-byte LOGFONTA as the profile's table gives it: five 32-bit fields (height, width,
// escapement, orientation, weight), eight bytes (italic, underline, strike-out, charset and
// precisions, quality, pitch), then the 32-byte face name in code page 932.
std::vector<BYTE> LogFontBytes(int32_t height, int32_t weight, BYTE italic, const std::string& face)
{
    std::vector<BYTE> bytes(60, 0);
    std::memcpy(bytes.data(), &height, 4);
    std::memcpy(bytes.data() + 16, &weight, 4);
    bytes[20] = italic;
    std::memcpy(bytes.data() + 28, face.data(), std::min<size_t>(face.size(), 31));
    return bytes;
}

std::vector<BYTE> Int32Bytes(int32_t value)
{
    std::vector<BYTE> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

class VumatSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = CDefaultFontTable::Instance(); }
    void TearDown() override { CDefaultFontTable::Instance() = m_saved; }
    std::string ProfilePath() const { return (m_dir.path() + "/Vumat.ini").toStdString(); }
    static const DEFAULT_FONT& Entry(CDefaultFontTable::Entry entry) { return CDefaultFontTable::Instance().GetEntry(entry); }

    QTemporaryDir m_dir;
    CDefaultFontTable m_saved;
};

TEST_F(VumatSettingsTest, AnEmptyStoreGivesTheDefaults)
{
    CVumatApp app(ProfilePath(), "/opt/orvellan/Vumat");
    app.LoadSettings();
    const std::string pMincho = WideToCp932(u"ＭＳ Ｐ明朝");
    for (auto entry : {CDefaultFontTable::Math, CDefaultFontTable::MathNumeric, CDefaultFontTable::MathOperator}) {
        SCOPED_TRACE(entry);
        EXPECT_STREQ(Entry(entry).font.lfFaceName, pMincho.c_str());
        EXPECT_EQ(Entry(entry).font.lfHeight, -371);
        EXPECT_EQ(Entry(entry).font.lfWidth, 0);
        EXPECT_EQ(Entry(entry).italic, 0);
        EXPECT_EQ(Entry(entry).height, 371);
    }
    EXPECT_EQ(app.m_bango.m_renbanType, 1);
    EXPECT_STREQ(app.m_bango.m_renbanFace, WideToCp932(u"ＭＳ 明朝").c_str());
    EXPECT_EQ(app.m_bango.m_renbanSize, 176);
    EXPECT_EQ(app.m_bango.m_renbanForce, 0);
    EXPECT_TRUE(app.m_bango.m_renbanString.IsEmpty());
    EXPECT_EQ(app.m_underlineStyle, 1);
    EXPECT_EQ(app.m_underlineWidth, 1);
}

TEST_F(VumatSettingsTest, StoredBlocksOfTheirSizeAreTakenAndOthersIgnored)
{
    {
        CProfile profile(ProfilePath());
        const std::vector<BYTE> times = LogFontBytes(-500, 700, 1, "Times New Roman");
        profile.WriteProfileBinary("Settings\\Font", "MathDefault", times.data(), times.size());
        const std::vector<BYTE> italic = Int32Bytes(1);
        profile.WriteProfileBinary("Settings\\Font", "MathItalic", italic.data(), italic.size());
        const std::vector<BYTE> height = Int32Bytes(423);
        profile.WriteProfileBinary("Settings\\Font", "MathHeight", height.data(), height.size());
        // Too short, too long, and an int where a block belongs: each keeps its default whole.
        std::vector<BYTE> shortFont = LogFontBytes(-600, 400, 0, "Arial");
        shortFont.resize(40);
        profile.WriteProfileBinary("Settings\\Font", "MathNumericDefault", shortFont.data(), shortFont.size());
        const std::vector<BYTE> longItalic = {1, 0, 0, 0, 0, 0, 0, 0};
        profile.WriteProfileBinary("Settings\\Font", "MathNumericItalic", longItalic.data(), longItalic.size());
        profile.WriteProfileInt("Settings\\Font", "MathOperatorHeight", 500);
        const std::vector<BYTE> bangoFont = LogFontBytes(282, 0, 0, WideToCp932(u"ＭＳ ゴシック"));
        profile.WriteProfileBinary("Settings\\Bango", "Font", bangoFont.data(), bangoFont.size());
        profile.WriteProfileInt("Settings\\Bango", "Type", 4);
        ASSERT_TRUE(profile.Flush());
    }
    CVumatApp app(ProfilePath(), "Vumat");
    app.LoadSettings();
    const DEFAULT_FONT& math = Entry(CDefaultFontTable::Math);
    EXPECT_STREQ(math.font.lfFaceName, "Times New Roman");
    EXPECT_EQ(math.font.lfWeight, 700);
    EXPECT_EQ(math.italic, 1);
    EXPECT_EQ(math.height, 423);
    EXPECT_STREQ(Entry(CDefaultFontTable::MathNumeric).font.lfFaceName, WideToCp932(u"ＭＳ Ｐ明朝").c_str());
    EXPECT_EQ(Entry(CDefaultFontTable::MathNumeric).font.lfHeight, -371);
    EXPECT_EQ(Entry(CDefaultFontTable::MathNumeric).italic, 0);
    EXPECT_EQ(Entry(CDefaultFontTable::MathOperator).height, 371);
    EXPECT_EQ(app.m_bango.m_renbanType, 4);
    EXPECT_EQ(app.m_bango.m_renbanSize, 282);
    EXPECT_STREQ(app.m_bango.m_renbanFace, WideToCp932(u"ＭＳ ゴシック").c_str());
}

TEST_F(VumatSettingsTest, SavingWritesBothSectionsAsTheirBlocks)
{
    CVumatApp app(ProfilePath(), "Vumat");
    app.LoadSettings();
    app.m_bango.m_renbanType = 2;
    app.m_bango.m_renbanForce = 3;
    app.m_bango.m_renbanString = CStringW(u"問");
    app.m_underlineStyle = 2;
    ASSERT_TRUE(app.SaveSettings());

    CProfile profile(ProfilePath());
    std::vector<BYTE> bytes;
    ASSERT_TRUE(profile.GetProfileBinary("Settings\\Font", "MathDefault", &bytes));
    EXPECT_EQ(bytes.size(), 60u);
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.begin() + 4), Int32Bytes(-371));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 28)), WideToCp932(u"ＭＳ Ｐ明朝"));
    for (const char* name : {"MathItalic", "MathNumericItalic", "MathOperatorItalic"}) {
        ASSERT_TRUE(profile.GetProfileBinary("Settings\\Font", name, &bytes)) << name;
        EXPECT_EQ(bytes, Int32Bytes(0)) << name;
    }
    for (const char* name : {"MathHeight", "MathNumericHeight", "MathOperatorHeight"}) {
        ASSERT_TRUE(profile.GetProfileBinary("Settings\\Font", name, &bytes)) << name;
        EXPECT_EQ(bytes, Int32Bytes(371)) << name;
    }
    // The numbering font is zero but for its height (5 pt) and its face.
    ASSERT_TRUE(profile.GetProfileBinary("Settings\\Bango", "Font", &bytes));
    EXPECT_EQ(bytes, LogFontBytes(176, 0, 0, WideToCp932(u"ＭＳ 明朝")));
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "Type", 0), 2);
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "Force", 0), 3);
    EXPECT_EQ(profile.GetProfileString("Settings\\Bango", "String", ""), WideToCp932(u"問"));
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "UnderlineStyle", 0), 2);
    EXPECT_EQ(profile.GetProfileInt("Settings\\Bango", "UnderlineWidth", 0), 1);
    // The text fonts are not this program's to write.
    EXPECT_FALSE(profile.GetProfileBinary("Settings\\Font", "Default", &bytes));
}

TEST_F(VumatSettingsTest, OnlySavingWritesTheProfile)
{
    const int wideTextOut = UseWideTextOut;
    CVumatApp app(ProfilePath(), "Vumat");
    EXPECT_EQ(app.InitInstance({"-Embedding"}).start, VumatStart::Embedding);
    // Text goes out through code page 932 in this program.
    EXPECT_EQ(UseWideTextOut, 0);
    UseWideTextOut = wideTextOut;
    CProfile profile(ProfilePath());
    EXPECT_FALSE(profile.HasSection("Settings"));
}

}  // namespace
