// The reader both page exports start from: it loads a print file, applies the stylesheet the
// file carries, keeps the XSL-FO document that results, notes the writing direction, and lists
// every question part the stylesheet's flow places, with its question numbers, so that the
// exports can write question-number and points labels.
#pragma once

#include "base/wide_string.h"
#include "platform/win_types.h"
#include "platform/xml.h"

#include <memory>
#include <string>
#include <vector>

class CQNXMLNode;

// What a child of the stylesheet's flow stands for.
namespace ExportPartKind {
constexpr int kLiteral = 0;  // a block container written out by the stylesheet itself
constexpr int kDai = 1;      // question text
constexpr int kRan = 2;      // answer field
constexpr int kKai = 3;      // answer
constexpr int kSetsu = 4;    // explanation
constexpr int kGai = 5;      // text box
}  // namespace ExportPartKind

// One entry of the part list: child k of the stylesheet's flow, which gives the k-th block
// container at the top of the XSL-FO flow.
struct EXPORT_PART {
    int major = 0;
    int minor = 0;  // 0 for the parts of a major question itself
    int kind = ExportPartKind::kLiteral;
    friend bool operator==(const EXPORT_PART&, const EXPORT_PART&) = default;
};

// The caption of the exports' message boxes.
inline constexpr char16_t kExportMessageCaption[] = u"Lumetra　生物 - 問題作成エディタ";

class CXslFoReader {
public:
    CXslFoReader();
    virtual ~CXslFoReader();
    CXslFoReader(const CXslFoReader&) = delete;
    CXslFoReader& operator=(const CXslFoReader&) = delete;

    // Loads the print file at path and turns it into its XSL-FO document. False, with a message
    // box for parse and transformation errors, when any step fails.
    virtual BOOL Load(const std::string& path);

    BOOL IsVertical() const { return m_vertical; }
    BOOL GetDeleteSource() const { return m_deleteSource; }
    const std::vector<EXPORT_PART>& GetParts() const { return m_parts; }
    const XmlDocument& GetDom() const { return *m_dom; }

protected:
    // The part-list entry at the part counter; null past the end of the list.
    const EXPORT_PART* CurrentPart() const;
    // The part counter moves on after every block container.
    void AdvancePart() { ++m_partCounter; }
    // Deletes the source print file when the delete-source flag asks for it.
    void DeleteSourceIfAsked() const;
    // The path of a side file named in the print file, beside it; empty when the name is not a
    // bare file name (a folder part, "..", or an absolute path), which is never touched.
    std::string SideFilePath(std::u16string_view name) const;
    // Shows a message box with the exports' caption.
    static void ShowMessage(const std::u16string& text);
    // "<what> Error: Code=… Source=Line:…; Char:… Error Description=…" from a parse error.
    static std::u16string ErrorText(const char16_t* what, const XmlParseError& error);

    BOOL m_deleteSource = FALSE;
    std::string m_sourcePath;
    std::string m_sourceDrive;      // always empty: the file system has no drives
    std::string m_sourceDirectory;  // with its trailing "/", or empty
    std::string m_sourceName;
    std::string m_sourceExtension;
    std::unique_ptr<XmlDocument> m_dom;
    BOOL m_vertical = FALSE;
    int m_partCounter = 0;
    int m_formulaImageCounter = 0;
    // The element tree of the stylesheet's flow, and the part list read from it.
    std::unique_ptr<CQNXMLNode> m_partTree;
    std::vector<EXPORT_PART> m_parts;

private:
    bool ReadPartList(const XmlNode& flow);
    bool Transform(const XmlNode& stylesheet);
};

// The question numbers and kind of the part a "select" path of the stylesheet's flow names;
// false for a path that no part can have.
bool ReadPartPath(CStringW select, EXPORT_PART* part);

// The file-system name and the folder of a narrow path as the exports split it.
struct SPLIT_PATH {
    std::string directory;  // with its trailing "/", or empty
    std::string name;       // cut at the last "." unless that is the first character
    std::string extension;  // from that "." on, or empty
};
SPLIT_PATH SplitFilePath(const std::string& path);
// Whether name is a bare file name: not empty, no "/" or "\", not "." or "..".
bool IsBareFileName(std::u16string_view name);
