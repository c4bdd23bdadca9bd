// What the print-file tests share: the sample papers of tests/data, a recorder of the messages
// shown, temporary folders, and a plain-text description of an editing tree that two trees can
// be compared by.
#pragma once

#include "base/element_vocabulary.h"
#include "base/gdi_cache.h"
#include "math/formula_family.h"
#include "base/length_units.h"
#include "nodes/edit_char.h"
#include "nodes/node_archive.h"
#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "nodes/page_furniture.h"
#include "nodes/question_numbers.h"
#include "platform/codepage.h"
#include "platform/utf8.h"
#include "printfile/print_messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace printfiletest {

// What the problem editor's start-up provides: its node classes, and the faces the sample papers
// use counted as installed.
inline void RegisterPaperFaces()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::ProblemEditor);
    RegisterMathClasses(ProgramClassRegistry());
    RegisterFormulaFamily();
    CreateGdiResources();
    for (const char16_t* face : {u"ＭＳ 明朝", u"ＭＳ Ｐ明朝", u"ＭＳ ゴシック", u"ＭＳ Ｐゴシック"}) {
        for (const std::u16string& name : {std::u16string(face), u"@" + std::u16string(face)}) {
            LOGFONTA font{};
            const std::string narrow = WideToCp932(name);
            CopyFaceName(font.lfFaceName, narrow);
            font.lfCharSet = 128;
            CGdiCache::Instance().InstalledFonts().Add(font, NEWTEXTMETRICA{});
        }
    }
}

inline std::string DataPath(const char* name) { return std::string(QN_TEST_DATA_DIR) + "/printfile/" + name; }

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::u16string ReadUtf8Text(const std::string& path) { return Utf8ToUtf16(ReadBytes(path)); }

// Records the messages shown while it lives.
class MessageRecorder {
public:
    MessageRecorder()
    {
        m_former = SetPrintFileMessageSink([this](const CStringW& text) { messages.push_back(Utf16ToUtf8(text.View())); });
    }
    ~MessageRecorder() { SetPrintFileMessageSink(m_former); }
    std::vector<std::string> messages;

private:
    PrintFileMessageSink m_former;
};

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qn-printfile-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    std::string File(const char* name) const { return (std::filesystem::path(m_path) / name).string(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline std::string Narrow(const CStringW& text) { return Utf16ToUtf8(text.View()); }

// The face a node draws with: its LOGFONT's, which the writer takes.
inline std::string FaceOf(const CEditNode* node) { return Utf16ToUtf8(Cp932ToWide(FaceNameView(node->m_lf.lfFaceName))); }

// One line per node, indented by depth: what a paper's reader and writer must keep.
inline void DescribeNode(const CEditNode* node, int depth, std::ostringstream& out)
{
    out << std::string(static_cast<size_t>(depth) * 2, ' ') << std::hex << "0x" << node->GetKind() << std::dec;
    if (const auto* part = dynamic_cast<const CEditSentence*>(node)) {
        out << " part " << part->m_questionNumber << "." << part->m_subQuestionNumber << " kind " << part->m_partKind
            << " hidden " << part->m_hidden << " width " << part->m_areaWidth << " points " << part->m_haiten.style << "/"
            << part->m_haiten.p1 << "/" << part->m_haiten.p2 << "/" << part->m_haiten.p3 << "/" << part->m_haiten.visibility;
    } else if (const auto* label = dynamic_cast<const CEditHaiten*>(node)) {
        out << " points " << label->m_info.style << "/" << label->m_info.p1 << "/" << label->m_info.p2 << "/"
            << label->m_info.p3 << "/" << label->m_info.visibility << " hidden " << label->m_hidden;
    } else if (const auto* number = dynamic_cast<const CEditQuestionNumber*>(node)) {
        out << " style " << number->GetStyle();
    } else if (const auto* lineBreak = dynamic_cast<const CEditCR*>(node)) {
        out << " align " << lineBreak->m_textAlign << " spacing " << lineBreak->m_lineSpacing;
    } else if (IsCharacter(node)) {
        out << " '" << Narrow(node->GetText()) << "' " << FaceOf(node) << " " << node->FontRecord().m_fontSize << " w"
            << node->FontRecord().m_fontWeight << " i" << node->FontRecord().m_fontItalic << " c" << std::hex << node->m_color << std::dec;
    }
    out << "\n";
    for (int i = 0; i < node->GetChildCount(); ++i)
        DescribeNode(node->GetEditChild(i), depth + 1, out);
}

inline std::string DescribePaper(CEditPrint& root)
{
    std::ostringstream out;
    int left = 0, top = 0, right = 0, bottom = 0;
    root.GetMargins(&left, &top, &right, &bottom);
    out << "paper " << root.m_geometry.width << "x" << root.m_geometry.height << " margins " << left << "," << top << ","
        << right << "," << bottom << " columns " << root.m_geometry.columnCount << " vertical " << root.m_vertical
        << " mode " << root.m_partLayoutMode << " spacing " << root.m_lineSpacing << "\n";
    out << "pages " << root.GetPageCount() << " name fields " << root.GetNameFieldLayer()->GetChildCount() << "\n";
    out << "bank '" << Narrow(root.m_searchProgId) << "' '" << Narrow(root.m_searchInfo) << "'\n";
    for (const auto& record : root.m_mondaiList)
        out << "record " << record->m_codes[0] << " " << record->m_problemNumber << " "
            << record->m_subNumber << " " << record->m_modified << "\n";
    if (CEditNode* nameField = root.GetNameFieldTemplate())
        DescribeNode(nameField, 0, out);
    for (int i = 0; i < root.GetChildCount(); ++i)
        DescribeNode(root.GetEditChild(i), 0, out);
    return out.str();
}

}  // namespace printfiletest
