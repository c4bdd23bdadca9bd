#include "fake_print_files.h"

#include "nodes/edit_print.h"
#include "nodes/edit_sentence.h"
#include "platform/safe_file.h"
#include "platform/utf8.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool FakePrintFiles::LoadNewTemplate(CEditPrint* root, bool)
{
    if (failTemplate)
        return false;
    root->m_searchInfo = CStringW(u"new paper");
    return true;
}

bool FakePrintFiles::LoadXmlFile(CEditPrint* root, const std::string& path)
{
    loaded.push_back(path);
    std::istringstream in(ReadWholeFile(path));
    std::string header, text, side;
    if (!std::getline(in, header) || header != "QNPRINT" || !std::getline(in, text))
        return false;
    root->SetPathName(path.c_str());
    root->m_searchInfo = CStringW(Utf8ToUtf16(text));
    // The side file must lie beside the print file and carry the same text.
    if (std::getline(in, side) && !side.empty()) {
        const std::string sidePath = (fs::path(path).parent_path() / side).string();
        if (ReadWholeFile(sidePath) != "SIDE:" + text)
            return false;
        root->AddExtractedFile(sidePath.c_str());
    }
    return true;
}

bool FakePrintFiles::WritePrintFile(CEditPrint* root, const std::string& path)
{
    root->SetPathName(path.c_str());
    root->ClearSideFiles();
    const std::string text = Utf16ToUtf8(root->m_searchInfo.View());
    const fs::path target(path);
    const std::string sideName = target.stem().string() + "0001.bmp";
    const std::string sidePath = (target.parent_path() / sideName).string();
    if (ReplaceFileSafely(sidePath, "SIDE:" + text))
        return false;
    root->AddSideFile(sidePath.c_str());
    const std::string bytes = "QNPRINT\n" + text + "\n" + sideName + "\n";
    return !ReplaceFileSafely(path, [&](SafeFileSink& sink) {
        if (!failWriteHalfway)
            return sink.Write(bytes);
        sink.Write(bytes.substr(0, bytes.size() / 2));
        return false;
    });
}

bool FakePrintFiles::PackFilesToCabinet(const std::vector<std::string>& files, const std::string& folder,
                                        const std::string& name)
{
    packed.clear();
    if (failPack)
        return false;
    std::string bytes = "MSCF";
    for (const std::string& file : files) {
        const std::string content = ReadWholeFile(file);
        const std::string bare = fs::path(file).filename().string();
        packed.push_back(bare);
        bytes += bare + "\n" + std::to_string(content.size()) + "\n" + content;
    }
    return !ReplaceFileSafely(folder + name, bytes);
}

bool FakePrintFiles::ExtractCabinet(const std::string& cabinet, const std::string& folder)
{
    m_firstExtracted.clear();
    const std::string bytes = ReadWholeFile(cabinet);
    if (bytes.compare(0, 4, "MSCF") != 0)
        return false;
    // Everything is checked before anything is written.
    std::vector<std::pair<std::string, std::string>> entries;
    size_t at = 4;
    while (at < bytes.size()) {
        const size_t nameEnd = bytes.find('\n', at);
        const size_t sizeEnd = nameEnd == std::string::npos ? nameEnd : bytes.find('\n', nameEnd + 1);
        if (sizeEnd == std::string::npos)
            return false;
        const std::string name = bytes.substr(at, nameEnd - at);
        const size_t size = std::stoul(bytes.substr(nameEnd + 1, sizeEnd - nameEnd - 1));
        if (sizeEnd + 1 + size > bytes.size() || name.find('/') != std::string::npos)
            return false;
        entries.emplace_back(name, bytes.substr(sizeEnd + 1, size));
        at = sizeEnd + 1 + size;
    }
    for (const auto& [name, content] : entries)
        WriteWholeFile(folder + name, content);
    if (!entries.empty())
        m_firstExtracted = folder + entries.front().first;
    return !entries.empty();
}

bool FakePrintFiles::ExportHtml(CEditPrint*, const std::string& path)
{
    exported.push_back("html:" + path);
    WriteWholeFile(path, "<html/>");
    return true;
}

bool FakePrintFiles::ExportText(CEditPrint*, const std::string& path)
{
    exported.push_back("text:" + path);
    WriteWholeFile(path, "text");
    return true;
}
