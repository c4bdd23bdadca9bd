// The big benchmark paper: the sample paper's questions (name field, question numbers, points,
// ruby, a table and a formula in every question) repeated until the paper has about the pages
// asked for, in either writing direction, written by the print-file writer. Needs QN_SAMPLE_PAPER.
#pragma once

#include "nodes/edit_print.h"
#include "printfile/print_reader.h"
#include "printfile/print_writer.h"

#include <QString>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace bigpaper {

// The sample paper's nine questions fill about this many horizontal pages.
inline constexpr double kSampleQuestionsPerPage = 3.0;

inline std::string ReadSample()
{
    std::ifstream in(QN_SAMPLE_PAPER, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every match of the pattern in text, in order.
inline std::vector<std::string> AllMatches(const std::string& text, const std::regex& pattern)
{
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

// Renumbers "dmon[k]" of one question's templates or references to dmon[number].
inline std::string Renumbered(const std::string& text, int number)
{
    static const std::regex question(R"(dmon\[\d+\])");
    return std::regex_replace(text, question, "dmon[" + std::to_string(number) + "]");
}

// The sample paper with its questions repeated to `questions`: the data elements, the templates
// and the flow's references of question k taken from sample question (k - 1) mod 9 + 1.
inline std::string RepeatedPaper(int questions, int vertical)
{
    const std::string sample = ReadSample();
    const std::regex dataPattern(R"(<dmon>[\s\S]*?</dmon>\n)");
    const std::regex templatePattern(R"(<xsl:template match="/print/dmon\[(\d+)\][\s\S]*?</xsl:template>\n?)");
    const std::regex referencePattern(R"(<xsl:apply-templates select="/print/dmon\[(\d+)\][^>]*/>\n?)");
    const std::vector<std::string> data = AllMatches(sample, dataPattern);
    const std::vector<std::string> templates = AllMatches(sample, templatePattern);
    const std::vector<std::string> references = AllMatches(sample, referencePattern);
    const int sampleQuestions = static_cast<int>(data.size());

    auto ofQuestion = [](const std::vector<std::string>& items, int k) {
        std::string joined;
        const std::string key = "dmon[" + std::to_string(k) + "]";
        for (const std::string& item : items)
            if (item.find(key) != std::string::npos)
                joined += item;
        return joined;
    };
    std::string allData, allTemplates, allReferences;
    for (int q = 1; q <= questions; ++q) {
        const int from = (q - 1) % sampleQuestions + 1;
        allData += data[static_cast<size_t>(from - 1)];
        allTemplates += Renumbered(ofQuestion(templates, from), q);
        allReferences += Renumbered(ofQuestion(references, from), q);
    }

    // Cut the sample's own question material out and put the repeated material in its places.
    std::string paper = sample;
    auto replaceAll = [&paper](const std::vector<std::string>& items, const std::string& with) {
        size_t first = std::string::npos;
        for (const std::string& item : items) {
            const size_t at = paper.find(item);
            if (at == std::string::npos)
                continue;
            paper.erase(at, item.size());
            first = std::min(first, at);
        }
        paper.insert(first, with);
    };
    replaceAll(data, allData);
    replaceAll(templates, allTemplates);
    replaceAll(references, allReferences);
    if (vertical) {
        paper = std::regex_replace(paper, std::regex("font-family=\"ＭＳ"), "font-family=\"@ＭＳ");
        paper = std::regex_replace(paper, std::regex("<fo:simple-page-master "),
                                   "<fo:simple-page-master writing-mode=\"tb-rl\" ");
    }
    return paper;
}

inline std::u16string Utf8ToUtf16Text(const std::string& text)
{
    const QString converted = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return std::u16string(reinterpret_cast<const char16_t*>(converted.utf16()), static_cast<size_t>(converted.size()));
}

// The paper written by the print-file writer at path; false when it cannot be made.
inline bool WriteBenchPaper(int pages, int vertical, const std::string& path)
{
    const int questions = std::max(1, static_cast<int>(pages * kSampleQuestionsPerPage));
    CEditPrint root;
    if (!LoadXmlString(&root, Utf8ToUtf16Text(RepeatedPaper(questions, vertical))))
        return false;
    return SavePrintFile(&root, path);
}

// The paper written by a child process, so that making it leaves nothing in this process's heap
// and peak: the job then starts as the program does when it opens a file.
inline bool WriteBenchPaperApart(int pages, int vertical, const std::string& path)
{
    const pid_t child = fork();
    if (child < 0)
        return WriteBenchPaper(pages, vertical, path);
    if (child == 0)
        _exit(WriteBenchPaper(pages, vertical, path) ? 0 : 1);
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace bigpaper
