// Formula object data written from the format by hand (code page 932, the declaration as the
// DOM writes it), documents loaded from bytes, and the node tree under a formula root described
// compactly, for the formula document's tests.
#pragma once

#include "base/gdi_cache.h"
#include "formula/vumat_doc.h"
#include "math/formula_family.h"
#include "math/formula.h"
#include "nodes/edit_char.h"
#include "nodes/edit_switches.h"
#include "platform/archive.h"
#include "platform/memory_file.h"
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace formulatest {

// "ＭＳ Ｐ明朝" in code page 932: the face of a new formula's line end.
inline const std::string kLineEndFace = "\x82\x6C\x82\x72 \x82\x6F\x96\xBE\x92\xA9";

// The declaration and the fo:root start tag (with an id when given).
inline std::string RootStart(const std::string& id = "")
{
    std::string text = "<?xml version=\"1.0\" encoding=\"Shift-JIS\"?>\n"
                       "<fo:root xmlns:fo=\"http://www.w3.org/1999/XSL/Format\" version=\"1.0\"";
    if (!id.empty())
        text += " id=\"" + id + "\"";
    return text + ">";
}

// One line holding an empty formula, closed by the empty run of the line end's font.
inline std::string EmptyFormulaBlock()
{
    return "<fo:block text-align=\"left\"><fo:instream-foreign-object><math/></fo:instream-foreign-object>"
           "<fo:inline font-family=\"" + kLineEndFace + "\" font-size=\"10.5pt\"/></fo:block>";
}

// A whole fragment: the block container's attributes and content.
inline std::string Fragment(const std::string& containerAttributes, const std::string& content,
                            const std::string& rootId = "")
{
    return RootStart(rootId) + "<fo:block-container" + containerAttributes + ">" + content +
           "</fo:block-container></fo:root>\n";
}

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The document's data as its server stores it.
inline std::string Stored(CVumatDoc& document)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    document.Serialize(ar);
    ar.Close();
    const std::vector<uint8_t> bytes = file.Detach();
    return std::string(bytes.begin(), bytes.end());
}

// The document's formula from data, read through an archive as the server reads it.
inline void Load(CVumatDoc& document, const std::string& bytes)
{
    document.DeleteContents();
    CMemFile file(Bytes(bytes));
    CArchive ar(&file, CArchive::load);
    document.Serialize(ar);
}

// The kinds of the root's children, as short names.
inline std::string Children(const CEditNode* root)
{
    std::string text;
    for (int i = 0; root != nullptr && i < root->GetChildCount(); ++i) {
        const CEditNode* child = root->GetEditChild(i);
        if (!text.empty())
            text += " ";
        if (child == nullptr)
            text += "?";
        else if (child->IsKind(EditKind::kMath))
            text += "math";
        else if (child->IsKind(EditKind::kCR))
            text += "cr";
        else if (child->IsKind(EditKind::kChar))
            text += "char";
        else if (child->IsKind(EditKind::kSentence))
            text += "sentence";
        else if (child->IsKind(EditKind::kGai))
            text += "gai";
        else if (child->IsKind(EditKind::kKaiPage))
            text += "kaipage";
        else
            text += "other";
    }
    return text;
}

// Message boxes are counted and answered OK; the switches the loads change are restored.
class FormulaDocumentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateGdiResources();
        RegisterFormulaFamily();
    }

    void SetUp() override
    {
        m_formerShell = SetShellHandler([this](SHELL_REQUEST& request) {
            messages.push_back(request.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetShellHandler(m_formerShell);
        InTextAnswersVisible = 1;
    }

    std::vector<std::u16string> messages;

private:
    ShellHandler m_formerShell;
};

}  // namespace formulatest
