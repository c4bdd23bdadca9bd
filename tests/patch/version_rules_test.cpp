// The rules of the update patch that need no files: how a FileVersion text reads as a number,
// which command lines are silent, and the texts of its error boxes.
#include "patch/file_version.h"
#include "patch/patch_app.h"
#include "patch/patch_table.h"

#include "tests/support/case_names.h"

#include <gtest/gtest.h>

namespace {

struct VERSION_CASE {
    const char* what;
    const char* text;
    double value;
};

// Each value is the double that major + minor * 0.01 gives, compared exactly.
const VERSION_CASE kVersions[] = {
    {"points with four fields", "2.10.0000", 2.1},
    {"the carried files", "1.30.0000", 1.3},
    {"commas and blanks", "1, 30, 0, 0", 1.3},
    {"the second field counts hundredths", "2.1.0.0", 2.01},
    {"a short minor", "1.3", 1.03},
    {"two fields only", "2.09", 2.09},
    {"points win over commas", "1,5.20", 1.2},
    {"blanks and a sign before the digits", " 2. +7", 2.07},
    {"no digits read as nought", "x.y", 0.0},
    {"a field too long for an int", "99999999999.0", 2147483647.0},
};

class VersionText : public ::testing::TestWithParam<VERSION_CASE> {};

TEST_P(VersionText, ReadsAsMajorPlusMinorHundredths)
{
    EXPECT_EQ(ParseVersionNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Rule, VersionText, ::testing::ValuesIn(kVersions), CaseNameFromWhat());

TEST(VersionText, WithoutPointOrCommaItCannotBeRead)
{
    for (const char* text : {"2", "", "2 10"}) {
        try {
            ParseVersionNumber(text);
            ADD_FAILURE() << text;
        } catch (PatchError code) {
            EXPECT_EQ(code, PATCH_ERROR_NO_VERSION) << text;
        }
    }
}

TEST(CommandLine, OnlyAnSAsTheFirstArgumentIsSilent)
{
    const struct {
        std::vector<std::string> arguments;
        bool silent;
    } cases[] = {
        {{"Ulvix", "/s"}, true},
        {{"Ulvix", "/S"}, true},
        {{"Ulvix", "-s"}, true},
        {{"Ulvix", "-S", "ignored"}, true},
        {{"Ulvix"}, false},
        {{"Ulvix", "x", "/s"}, false},
        {{"Ulvix", "/silent"}, false},
        {{"Ulvix", "s"}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSilentMode(c.arguments), c.silent) << c.arguments.back();
}

TEST(ErrorTexts, TheMinimumShownIsAlwaysTwo)
{
    EXPECT_EQ(PatchErrorMessage(PATCH_ERROR_TOO_OLD),
              u"製品のバージョンが不正です。\nこの修正プログラムは，バージョン 2.00 以上の製品が対象となります。");
    EXPECT_EQ(PatchErrorMessage(PATCH_ERROR_CANNOT_WRITE), u"ファイルの書き込みに失敗しました。\n");
}

}  // namespace
