// A formula view over a new formula on the recording context, with a window stand-in that counts
// repaints and menus, the document's link to a container that counts the pictures sent, and
// helpers that type, select and describe the formula.
#pragma once

#include "formula_fixture.h"

#include "formula/vumat_view.h"
#include "math/math_container.h"
#include "platform/embedding.h"
#include "platform/gdi_recording.h"
#include "platform/utf8.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace formulatest {

class CCommandsHostStandIn : public IVumatViewHost {
public:
    SIZE GetClientSize() const override { return client; }
    CDC* GetMeasuringDC() override { return &dc; }
    void Invalidate(const RECT*) override { ++invalidated; }
    POINT ClientToScreen(POINT point) const override { return POINT{point.x + 1000, point.y + 1000}; }
    void PopupMenu(int menuId, POINT screenPoint) override { menus.push_back({menuId, screenPoint}); }

    SIZE client{600, 400};
    CRecordingDC dc;
    int invalidated = 0;
    std::vector<std::pair<int, POINT>> menus;
};

class VumatCommandsTest : public FormulaDocumentTest {
protected:
    void SetUp() override
    {
        FormulaDocumentTest::SetUp();
        ASSERT_TRUE(document.OnNewDocument());
        view.OnInitialUpdate();
        view.LayoutRoot();
    }
    void TearDown() override
    {
        if (m_server) {
            m_server.reset();
            close(m_pipe[0]);
            close(m_pipe[1]);
        }
        FormulaDocumentTest::TearDown();
    }

    // The one formula under the root.
    CEditMathContainer* Formula() const { return dynamic_cast<CEditMathContainer*>(document.GetRoot()->GetEditChild(0)); }

    void Type(const std::u16string& text)
    {
        for (char16_t ch : text)
            view.OnChar(ch);
        view.LayoutRoot();
    }

    // Selects the children first … last of the caret's container: anchor on first, caret after last.
    void Select(CEditNode* parent, int first, int last)
    {
        CCaret& caret = view.Caret();
        caret.m_anchorNode = parent->GetEditChild(first);
        caret.m_anchorAfter = 0;
        caret.m_caretNode = parent->GetEditChild(last + 1);
        caret.m_caretAfter = 0;
    }

    // The text of the formula's characters, templates as [..] with their slots split by |.
    static std::string Text(const CEditNode* node)
    {
        std::string text;
        for (int i = 0; i < node->GetChildCount(); ++i) {
            const CEditNode* child = node->GetEditChild(i);
            if (child->HasKindFlags(EditKind::kContainer))
                text += "[" + Text(child) + "]";
            else if (child->HasKindFlags(EditKind::kLineBreak))
                text += i + 1 < node->GetChildCount() ? "|" : "";
            else
                text += Utf16ToUtf8(child->GetText().View());
        }
        return text;
    }
    std::string FormulaText() const { return Text(Formula()); }

    // A container linked to the document, which makes the formula new; the number of pictures it
    // was sent since.
    void LinkContainer()
    {
        ASSERT_EQ(pipe(m_pipe), 0);
        fcntl(m_pipe[0], F_SETFL, O_NONBLOCK);
        m_server = std::make_unique<CEmbeddingServer>(&document, -1, m_pipe[1]);
        Embedding::HELLO_MESSAGE hello;
        hello.version = Embedding::kProtocolVersion;
        hello.className = "Vumat.Document";
        hello.isNew = true;
        // A new object starts with a new formula.
        m_server->Feed(Embedding::EncodeHello(hello));
        view.OnInitialUpdate();
        view.LayoutRoot();
        PicturesSent();
    }
    int PicturesSent()
    {
        uint8_t buffer[65536];
        ssize_t n;
        while ((n = read(m_pipe[0], buffer, sizeof buffer)) > 0)
            m_reader.Feed(std::span<const uint8_t>(buffer, size_t(n)));
        int count = 0;
        Embedding::FRAME frame;
        while (m_reader.Next(&frame) == Embedding::CFrameReader::Result::Frame)
            count += frame.code == Embedding::kChanged ? 1 : 0;
        return count;
    }

    CVumatDoc document;
    CCommandsHostStandIn host;
    CVumatView view{document, host};

private:
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<CEmbeddingServer> m_server;
    Embedding::CFrameReader m_reader;
};

}  // namespace formulatest
