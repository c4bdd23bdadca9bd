// The server's side of the embedding channel, fed frames directly: what it answers to each
// sequence, and how bad frames end the link.
#include "formula_fixture.h"

#include "nodes/edit_char.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace {

using namespace formulatest;
using namespace Embedding;

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<uint8_t> Hello(bool isNew, uint32_t version = kProtocolVersion)
{
    HELLO_MESSAGE hello;
    hello.version = version;
    hello.className = "Vumat.Document";
    hello.isNew = isNew;
    std::vector<uint8_t> frame = EncodeHello(hello);
    // The version is the payload's first field, written as it is given.
    std::memcpy(frame.data() + 6, &version, 4);
    return frame;
}

class ServerLinkTest : public FormulaDocumentTest {
protected:
    void SetUp() override
    {
        FormulaDocumentTest::SetUp();
        ASSERT_EQ(pipe(m_pipe), 0);
        fcntl(m_pipe[0], F_SETFL, O_NONBLOCK);
        server = std::make_unique<CEmbeddingServer>(&document, -1, m_pipe[1]);
    }
    void TearDown() override
    {
        server.reset();
        close(m_pipe[0]);
        close(m_pipe[1]);
        FormulaDocumentTest::TearDown();
    }

    // The frames the server wrote so far.
    std::vector<FRAME> Answers()
    {
        uint8_t buffer[65536];
        ssize_t n;
        while ((n = read(m_pipe[0], buffer, sizeof buffer)) > 0)
            m_reader.Feed(std::span<const uint8_t>(buffer, size_t(n)));
        std::vector<FRAME> frames;
        FRAME frame;
        while (m_reader.Next(&frame) == CFrameReader::Result::Frame)
            frames.push_back(frame);
        return frames;
    }

    static std::vector<uint16_t> Codes(const std::vector<FRAME>& frames)
    {
        std::vector<uint16_t> codes;
        for (const FRAME& frame : frames)
            codes.push_back(frame.code);
        return codes;
    }

    CVumatDoc document;
    std::unique_ptr<CEmbeddingServer> server;

private:
    int m_pipe[2] = {-1, -1};
    CFrameReader m_reader;
};

using State = CEmbeddingServer::State;

}  // namespace

TEST_F(ServerLinkTest, NewObjectAnswersWithItsState)
{
    EXPECT_EQ(server->Feed(Hello(true)), State::Running);
    const auto answers = Answers();
    ASSERT_EQ(Codes(answers), std::vector<uint16_t>{kChanged});
    const auto state = DecodeState(answers[0].payload);
    ASSERT_TRUE(state);
    EXPECT_EQ(std::string(state->storage.begin(), state->storage.end()), Fragment("", EmptyFormulaBlock()));
    EXPECT_EQ(state->extent.cx, document.GetRoot()->m_width + 50);
    EXPECT_EQ(state->pictureKind, kSvgPicture);
    EXPECT_TRUE(IsDrawablePicture(state->pictureKind, state->picture));
}

TEST_F(ServerLinkTest, LoadedObjectSavesAndClosesOnRequest)
{
    const std::vector<uint8_t> data = Bytes(Fragment(" width=\"30mm\" height=\"10mm\"", EmptyFormulaBlock()));
    server->Feed(Cat({Hello(false), EncodeLoad(data)}));
    EXPECT_EQ(document.m_sizeStored, 1);
    EXPECT_EQ(server->Feed(EncodeClose(true)), State::Closed);
    const auto answers = Answers();
    ASSERT_EQ(Codes(answers), (std::vector<uint16_t>{kChanged, kSaved, kClosed}));
    const auto saved = DecodeState(answers[1].payload);
    ASSERT_TRUE(saved);
    // The data keeps the extent last reported, in whole millimetres.
    const std::string text(saved->storage.begin(), saved->storage.end());
    char expected[64];
    std::snprintf(expected, sizeof expected, "width=\"%dmm\" height=\"%dmm\"", int(saved->extent.cx / 100),
                  int(saved->extent.cy / 100));
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST_F(ServerLinkTest, ChangeThatCannotBeStoredFailsTheLink)
{
    server->Feed(Hello(true));
    document.GetRoot()->InsertChildAt(0, new CEditChar(u'\u0001'));
    document.UpdateAllItems(0);
    EXPECT_EQ(server->GetState(), State::Broken);
    const auto answers = Answers();
    ASSERT_EQ(Codes(answers), (std::vector<uint16_t>{kChanged, kFailed}));
    EXPECT_TRUE(DecodeFailed(answers[1].payload));
}

TEST_F(ServerLinkTest, BadFramesEndTheLink)
{
    struct CASE {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<uint16_t> answers;
    };
    std::vector<uint8_t> overLimit = EncodeFrame(kLoad, {});
    const uint32_t huge = uint32_t(kMaxFramePayload + 1);
    std::memcpy(overLimit.data(), &huge, 4);
    const CASE cases[] = {
        {"WrongVersion", Hello(true, 2), {kFailed}},
        {"UnknownCode", EncodeFrame(0x99, {}), {}},
        {"FrameOverItsLimit", Cat({Hello(false), overLimit}), {}},
        {"VerbBeforeTheObject", EncodeDoVerb(0), {kFailed}},
        {"LoadWithoutHello", EncodeLoad({}), {kFailed}},
        {"SecondHello", Cat({Hello(true), Hello(true)}), {kChanged, kFailed}},
        {"ServerFrameFromTheContainer", EncodeClosed(), {}},
        {"MalformedClose", EncodeFrame(kClose, std::vector<uint8_t>{1, 2}), {kFailed}},
    };
    for (const CASE& c : cases) {
        TearDown();
        SetUp();
        EXPECT_EQ(server->Feed(c.bytes), State::Broken) << c.name;
        EXPECT_EQ(Codes(Answers()), c.answers) << c.name;
    }
}

TEST_F(ServerLinkTest, CutFrameWaitsForTheRest)
{
    const std::vector<uint8_t> hello = Hello(true);
    server->Feed(std::span<const uint8_t>(hello.data(), 5));
    EXPECT_TRUE(Answers().empty());
    server->Feed(std::span<const uint8_t>(hello.data() + 5, hello.size() - 5));
    EXPECT_EQ(Codes(Answers()), std::vector<uint16_t>{kChanged});
}

TEST_F(ServerLinkTest, InputEndingInsideAFrameEndsTheLink)
{
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const std::vector<uint8_t> hello = Hello(true);
    ASSERT_EQ(write(input[1], hello.data(), 7), 7);
    close(input[1]);
    CEmbeddingServer reading(&document, input[0], -1);
    EXPECT_EQ(reading.Run(), State::Broken);
    close(input[0]);
}
