// Whole runs of the update patch in a fake installation: the check of every row before any
// write, the rewrite of outdated files with the carried copies, and each reason to stop.
#include "patch/patch_app.h"
#include "patch/patch_file.h"
#include "patch/patch_table.h"

#include "tests/patch/patch_fixture.h"
#include "tests/support/case_names.h"

#include <unistd.h>

#include <cerrno>
#include <functional>

namespace {

using PatchRun = FakeInstallation;

int ErrorOf(const std::function<void()>& run)
{
    try {
        run();
    } catch (PatchError code) {
        return code;
    }
    return -1;
}

time_t ModifiedOf(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mtim.tv_sec : 0;
}

TEST_F(PatchRun, EveryFileCurrentWritesNothing)
{
    InstallCurrent();
    const auto before = StatesOfAll();
    EXPECT_EQ(ApplyPatches(), 1);
    EXPECT_EQ(StatesOfAll(), before);
    EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"}));
}

TEST_F(PatchRun, OnlyTheOutdatedFileIsRewrittenDatedAndThenCurrent)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    const FILE_STATE pennic = StateOf("Pennic"), kiran = StateOf("Kiran");

    EXPECT_EQ(ApplyPatches(), 0);
    // Its times first, before reading the file moves its access time.
    struct stat status {};
    ASSERT_EQ(::stat(PathOf("Vumat").c_str(), &status), 0);
    const time_t midnight = LocalMidnight({2006, 2, 20});
    EXPECT_EQ(status.st_mtim.tv_sec, midnight);
    EXPECT_EQ(status.st_atim.tv_sec, midnight);
    EXPECT_EQ(status.st_mode & 0777, 0755u);
    std::tm local{};
    localtime_r(&midnight, &local);
    EXPECT_EQ(local.tm_hour, 0);
    EXPECT_EQ(local.tm_mday, 20);
    EXPECT_EQ(ReadBytes(PathOf("Vumat")), ReadBytes(QN_PATCH_PAYLOAD_205));
    EXPECT_EQ(StateOf("Pennic"), pennic);
    EXPECT_EQ(StateOf("Kiran"), kiran);
    EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"}));

    // The carried copy reads as its row's target, so the next run finds everything current.
    EXPECT_EQ(ApplyPatches(), 1);
}

TEST_F(PatchRun, AFolderWithOrWithoutItsTrailingSlashNamesTheSameFiles)
{
    InstallCurrent();
    std::string plain, slashed;
    CheckPatchEntry(PatchTable()[1], &plain);
    SetInstallFolder(m_install + "/");
    EXPECT_EQ(CheckPatchEntry(PatchTable()[1], &slashed), 2);
    EXPECT_EQ(plain, PathOf("Vumat"));
    EXPECT_EQ(slashed, plain);
}

// A check that fails stops the run before any write, even when other rows need replacing.
struct CHECK_FAILURE {
    const char* what;
    std::function<void(PatchRun&)> prepare;
    int code;
};

const CHECK_FAILURE kCheckFailures[] = {
    {"a figure editor below its minimum", [](PatchRun& t) { t.Install("Kiran", "1.10.0000"); }, PATCH_ERROR_TOO_OLD},
    {"a problem editor below its minimum", [](PatchRun& t) { t.Install("Pennic", "1.99.0000"); }, PATCH_ERROR_TOO_OLD},
    {"a missing file", [](PatchRun& t) { ::unlink(t.PathOf("Kiran").c_str()); }, PATCH_ERROR_NO_VERSION},
    {"a file that is not a program", [](PatchRun& t) { t.InstallBytes("Kiran", "#!/bin/sh\n"); }, PATCH_ERROR_NO_VERSION},
    {"a program without a version note",
     [](PatchRun& t) { t.InstallBytes("Kiran", ElfFileBytes({2, false, {{7, 4, ElfNote("GNU", 3, "id")}}})); },
     PATCH_ERROR_NO_VERSION},
    {"a version without point or comma", [](PatchRun& t) { t.Install("Kiran", "2"); }, PATCH_ERROR_NO_VERSION},
    {"an install folder that does not exist", [](PatchRun& t) { t.SetInstallFolder(t.m_install + "/gone"); },
     PATCH_ERROR_NO_VERSION},
    {"no settings file", [](PatchRun& t) { QDir(t.m_dir.path() + "/system").removeRecursively(); },
     PATCH_ERROR_NOT_INSTALLED},
    {"no install folder value", [](PatchRun& t) { t.WriteSettings("OTHER=/opt\n"); }, PATCH_ERROR_NOT_INSTALLED},
    {"an empty install folder value", [](PatchRun& t) { t.WriteSettings("EDITPATH=\n"); }, PATCH_ERROR_NOT_INSTALLED},
    {"a relative install folder", [](PatchRun& t) { t.SetInstallFolder("install"); }, PATCH_ERROR_NOT_INSTALLED},
};

class PatchCheckFailure : public PatchRun, public ::testing::WithParamInterface<CHECK_FAILURE> {};

TEST_P(PatchCheckFailure, StopsWithItsCodeAndWritesNothing)
{
    InstallCurrent();
    Install("Pennic", "2.09.0000");
    Install("Vumat", "1.00.0000");
    GetParam().prepare(*this);
    const auto before = StatesOfAll();
    const QStringList listing = Listing();
    EXPECT_EQ(ErrorOf([] { ApplyPatches(); }), GetParam().code);
    EXPECT_EQ(StatesOfAll(), before);
    EXPECT_EQ(Listing(), listing);
}

INSTANTIATE_TEST_SUITE_P(Rows, PatchCheckFailure, ::testing::ValuesIn(kCheckFailures), CaseNameFromWhat());

TEST_F(PatchRun, AWriteThatFailsKeepsTheRowsWrittenBeforeIt)
{
    // This build carries no figure editor: its row stops the run after the problem editor's.
    InstallCurrent();
    Install("Pennic", "2.09.0000");
    Install("Kiran", "1.20.0000");
    const FILE_STATE kiran = StateOf("Kiran");
    EXPECT_EQ(ErrorOf([] { ApplyPatches(); }), PATCH_ERROR_NO_RESOURCE);
    EXPECT_EQ(ModifiedOf(PathOf("Pennic")), LocalMidnight({2006, 2, 26}));
    EXPECT_NE(StateOf("Pennic").bytes, ElfWithVersion("2.09.0000"));
    EXPECT_EQ(StateOf("Kiran"), kiran);
    EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"}));
}

TEST_F(PatchRun, ALeftoverTemporaryFileOrLinkIsReplacedNeverFollowed)
{
    const std::string victim = m_dir.filePath("victim").toStdString();
    std::ofstream(victim) << "keep me";
    for (const bool asLink : {false, true}) {
        InstallCurrent();
        Install("Vumat", "1.10.0000");
        const std::string temporary = PathOf("Vumat_");
        ::unlink(temporary.c_str());
        if (asLink)
            ASSERT_EQ(::symlink(victim.c_str(), temporary.c_str()), 0);
        else
            std::ofstream(temporary) << "an earlier run's leftover";
        EXPECT_EQ(ApplyPatches(), 0) << asLink;
        EXPECT_EQ(ReadBytes(PathOf("Vumat")), ReadBytes(QN_PATCH_PAYLOAD_205)) << asLink;
        EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"})) << asLink;
    }
    EXPECT_EQ(ReadBytes(victim), "keep me");
}

TEST_F(PatchRun, ATemporaryNameThatCannotBeMadeStopsTheRow)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    QDir().mkpath(QString::fromStdString(PathOf("Vumat_") + "/inside"));
    const FILE_STATE vumat = StateOf("Vumat");
    EXPECT_EQ(ErrorOf([] { ApplyPatches(); }), PATCH_ERROR_CANNOT_CREATE);
    EXPECT_EQ(StateOf("Vumat"), vumat);
}

// The steps after writing fail: the run stops as a failure, the installed file stays as it was
// and the temporary file goes.
struct STEP_FAILURE {
    const char* what;
    PATCH_FILE_STEPS steps;
};

const STEP_FAILURE kStepFailures[] = {
    {"the rename over the installed file", {nullptr, [](const std::string&, const std::string&) { return EBUSY; }}},
    {"setting the date", {[](const std::string&, std::time_t) { return EPERM; }, nullptr}},
};

class PatchStepFailure : public PatchRun, public ::testing::WithParamInterface<STEP_FAILURE> {};

TEST_P(PatchStepFailure, StopsTheRunWithCodeSevenAndTouchesNothing)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    const auto before = StatesOfAll();
    SetPatchFileSteps(GetParam().steps);
    CPatchApp patch;
    EXPECT_EQ(patch.InitInstance({"Ulvix"}), kPatchExitFailed);
    EXPECT_EQ(StatesOfAll(), before);
    EXPECT_EQ(Listing(), QStringList({"Kiran", "Pennic", "Vumat"}));
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, u"Windows 2000/XP をお使いの場合は，\n管理者権限を持つユーザーで実行してください。");
    EXPECT_EQ(boxes[2].text, u"修正プログラムは中断されました。");
}

INSTANTIATE_TEST_SUITE_P(Steps, PatchStepFailure, ::testing::ValuesIn(kStepFailures), CaseNameFromWhat());

TEST_F(PatchRun, TheUserIsAskedFirstAndToldTheOutcome)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    CPatchApp patch;
    EXPECT_EQ(patch.InitInstance({"Ulvix"}), 0);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, u"『Lumetra化学』\n\n修正プログラムを実行しますか？\n\n（この操作は元に戻せません。）");
    EXPECT_EQ(boxes[0].caption, u"確認");
    EXPECT_EQ(boxes[0].style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(boxes[1].text, u"修正プログラムが適用されました。");
    EXPECT_EQ(boxes[1].caption, u"完了");
    EXPECT_EQ(boxes[1].style, MB_OK | MB_ICONINFORMATION);

    boxes.clear();
    EXPECT_EQ(patch.InitInstance({"Ulvix"}), 0);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, u"既に最新のバージョンがインストールされています。\n修正プログラムを適用する必要はありません。");
    EXPECT_EQ(boxes[1].caption, u"完了");
}

TEST_F(PatchRun, CancelEndsAtOnceWithoutWriting)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    const auto before = StatesOfAll();
    answer = IDCANCEL;
    CPatchApp patch;
    EXPECT_EQ(patch.InitInstance({"Ulvix"}), kPatchExitCancelled);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(StatesOfAll(), before);
}

TEST_F(PatchRun, AnErrorShowsItsBoxThenTheStop)
{
    InstallCurrent();
    Install("Kiran", "1.10.0000");
    CPatchApp patch;
    EXPECT_EQ(patch.InitInstance({"Ulvix"}), kPatchExitFailed);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, u"製品のバージョンが不正です。\nこの修正プログラムは，バージョン 2.00 以上の製品が対象となります。");
    EXPECT_EQ(boxes[1].caption, u"エラー");
    EXPECT_EQ(boxes[1].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[2].caption, u"エラー");
    EXPECT_EQ(boxes[2].style, MB_OK | MB_ICONEXCLAMATION);
}

TEST_F(PatchRun, SilentRunsShowNothing)
{
    InstallCurrent();
    Install("Vumat", "1.10.0000");
    CPatchApp patch;
    EXPECT_EQ(patch.InitInstance({"Ulvix", "/S"}), 0);
    EXPECT_EQ(ReadBytes(PathOf("Vumat")), ReadBytes(QN_PATCH_PAYLOAD_205));
    Install("Kiran", "1.10.0000");
    EXPECT_EQ(patch.InitInstance({"Ulvix", "-s"}), kPatchExitFailed);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
