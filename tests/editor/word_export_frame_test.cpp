// The File menu's Word and Ichitaro commands in the main frame: enabled only while a server
// answers the word processor's ProgID, which for Word the program's own server does.
#include "main_frame_fixture.h"

#include "editor/word_export.h"
#include "tests/support/recording_server.h"

namespace {

class WordExportFrameTest : public MainFrameFixture {};

TEST_F(WordExportFrameTest, TheExportCommandsFollowTheRegisteredServers)
{
    CMainFrame& frame = Start();
    m_shell.requests.clear();  // start-up's notices
    auto enabled = [&frame](unsigned id) {
        bool on = true, checked = false;
        frame.UpdateCommandUI(id, &on, &checked);
        return on;
    };
    EXPECT_TRUE(enabled(33004));
    EXPECT_FALSE(enabled(461));
    {
        // Without a server for a ProgID its command is disabled and dropped: no file dialog.
        const CAutomationRegistration none(kWordProgId, {});
        EXPECT_FALSE(enabled(33004));
        frame.OnCommand(33004);
    }
    frame.OnCommand(461);
    EXPECT_TRUE(m_shell.requests.empty());

    auto server = std::make_shared<CRecordingServer>();
    CAutomationRegistration word(kWordProgId, server->Factory());
    EXPECT_TRUE(enabled(33004));
    frame.OnCommand(33004);  // the file dialog, cancelled
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].title, u"Word形式で保存");
    EXPECT_EQ(m_shell.requests[0].file, "無題.docx");
    ASSERT_FALSE(m_shell.requests[0].filters.empty());
    EXPECT_EQ(m_shell.requests[0].filters[0].label, u"Wordファイル(*.docx)");
    EXPECT_EQ(m_shell.requests[0].filters[0].pattern, "*.docx");
    EXPECT_EQ(m_shell.requests[0].defaultExtension, "docx");
}

}  // namespace
