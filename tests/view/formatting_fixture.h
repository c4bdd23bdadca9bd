// The view fixture with what the formatting, answer and numbering tests share: a paragraph that
// holds one node of every kind the commands treat apart, a picture of the whole paper's formats
// to compare before and after undo and redo, and the format bar's boxes and message boxes answered.
#pragma once

#include "view_fixture.h"

#include "math/formula.h"
#include "math/math_char.h"
#include "nodes/edit_char.h"
#include "nodes/edit_switches.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/ruby.h"
#include "platform/shell.h"

#include <cstring>
#include <string>
#include <vector>

namespace viewtest {

inline CEditMath* NewFormula(std::u16string_view text)
{
    auto* formula = new CEditMath();
    formula->CreateDefaultSlots(0);
    int at = 0;
    for (char16_t c : text)
        formula->InsertChildAt(at++, new CEditMathChar(c));
    return formula;
}

inline CEditCR* AsCR(CEditNode* node) { return dynamic_cast<CEditCR*>(node); }

inline void AddCharsAt(CEditNode* parent, int index, std::u16string_view text)
{
    for (char16_t c : text)
        parent->InsertChildAt(index++, new CEditChar(c));
}

// Every format field of a node and its subtree, with the structure, in one text.
inline void SnapshotInto(const CEditNode* node, std::string& out)
{
    out += std::to_string(node->GetKind()) + ":";
    for (char16_t c : node->GetText().View())
        out += std::to_string(c) + ",";
    const LOGFONTA& f = node->m_lf;
    const int fields[] = {f.lfHeight, f.lfWidth, f.lfWeight, f.lfItalic, static_cast<int>(node->m_color),
                          static_cast<int>(node->BorderRecord().m_backgroundColor), node->BorderRecord().m_backgroundPattern, node->FontRecord().m_fontWidth,
                          node->m_scriptPosition, node->CharacterRecord().m_underlineStyle, node->CharacterRecord().m_underlineWidth,
                          node->CharacterRecord().m_lineThroughStyle, node->CharacterRecord().m_lineThroughWidth, node->BorderRecord().m_borderStyle, node->BorderRecord().m_borderWidth,
                          node->BorderRecord().m_beforeStyle, node->BorderRecord().m_beforeWidth, node->BorderRecord().m_afterStyle, node->BorderRecord().m_afterWidth,
                          node->Numbering().m_renbanType, node->Numbering().m_renbanSize, node->Numbering().m_renbanForce};
    for (int v : fields)
        out += std::to_string(v) + " ";
    out += std::string(f.lfFaceName) + "/" + node->Numbering().m_renbanFace + "/";
    for (char16_t c : node->Numbering().m_renbanString.View())
        out += std::to_string(c) + ",";
    if (const auto* cr = dynamic_cast<const CEditCR*>(node))
        out += "align" + std::to_string(cr->m_textAlign);
    out += "[";
    for (int i = 0; i < node->GetChildCount(); ++i)
        if (const CEditNode* child = node->GetEditChild(i))
            SnapshotInto(child, out);
    out += "]";
}

class FormattingTest : public ViewTest {
protected:
    FormattingTest()
    {
        previousShell = SetShellHandler([this](SHELL_REQUEST& request) {
            if (request.kind == ShellRequestKind::MessageBox)
                messages.push_back(request.text);
            return IDOK;
        });
        view.m_formatBar.getFont = [this](LOGFONTA* font) {
            *font = LOGFONTA{};
            std::strncpy(font->lfFaceName, barFace.c_str(), LF_FACESIZE - 1);
            font->lfCharSet = 128;
            font->lfHeight = barSize;
            return 0;
        };
        view.m_formatBar.selectFontName = [this](const char* face) { shownFace = face; };
        view.m_formatBar.getSize = [this](int* size) {
            if (!barSizeReadable)
                return false;
            *size = barSize;
            return true;
        };
        view.m_formatBar.setSize = [this](int size) { shownSize = size; };
    }
    ~FormattingTest() override
    {
        SetShellHandler(previousShell);
        InTextAnswersVisible = answersVisible;
    }

    void ResetPaper()
    {
        view.PlaceCaret(nullptr);
        document.groups.clear();
        document.undone = 0;
        document.root->DeleteAllChildren();
        document.modified = false;
    }

    // a, a ruby (base b and a formula character x, reading r), a kanbun cell, an in-text answer
    // holding c, a formula holding y, d, and the closing line break.
    void BuildMixedParagraph()
    {
        Build({u"a"});
        CEditNode* part = document.root->GetEditChild(0);
        auto* ruby = new CEditRuby();
        auto* base = new CEditRubyBase();
        AddChars(base, u"b");
        base->AppendChild(new CEditMathChar(u'x'));
        AddCR(base);
        auto* reading = new CEditRubyText();
        AddChars(reading, u"r");
        AddCR(reading);
        ruby->AppendChild(base);
        ruby->AppendChild(reading);
        part->InsertChildAt(1, ruby);
        auto* cell = new CEditKan();
        cell->BuildFromText(u"漢", 0, nullptr);
        part->InsertChildAt(2, cell);
        auto* answer = new CEditCyukai();
        AddChars(answer, u"c");
        answer->AddLineBreak();
        part->InsertChildAt(3, answer);
        part->InsertChildAt(4, NewFormula(u"y"));
        AddCharsAt(part, 5, u"d");
        view.OnUpdate(UpdateHint::kAll);
    }

    void SelectWholeMixedParagraph() { Select(0, 0, 6); }

    std::vector<CEditNode*> MixedProbes()
    {
        CEditNode* ruby = At(0, 1);
        auto* cell = dynamic_cast<CEditKan*>(At(0, 2));
        CEditNode* baseBox = cell->GetBaseBox();
        return {At(0, 0),
                ruby->GetEditChild(0)->GetEditChild(0),
                ruby->GetEditChild(0)->GetEditChild(1),
                ruby,
                baseBox->GetEditChild(0),
                cell,
                At(0, 3)->GetEditChild(0),
                At(0, 3),
                At(0, 4),
                At(0, 5)};
    }

    std::string Snapshot()
    {
        std::string out;
        SnapshotInto(document.root.get(), out);
        return out;
    }

    // Undo brings back the paper as it was before the last command, redo as it was after.
    void ExpectExactUndoRedo(const std::string& before, const char* name)
    {
        const std::string after = Snapshot();
        view.OnEditUndo();
        EXPECT_EQ(Snapshot(), before) << name << ": undo";
        view.OnEditRedo();
        EXPECT_EQ(Snapshot(), after) << name << ": redo";
    }

    ShellHandler previousShell;
    std::vector<std::u16string> messages;
    std::string barFace = "Times New Roman";
    int barSize = 371;
    bool barSizeReadable = true;
    std::string shownFace;
    int shownSize = 0;
    int answersVisible = InTextAnswersVisible;
};

}  // namespace viewtest
