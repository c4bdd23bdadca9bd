#include "editor/command_line.h"

#include <array>
#include <string_view>

namespace {

struct SWITCH_WORD {
    std::string_view word;
    int mode;
};

constexpr std::array<SWITCH_WORD, 7> kSwitches = {{
    {"k1", CommandLineMode::kOpenCopy},
    {"w", CommandLineMode::kWord},
    {"wq", CommandLineMode::kWordQuit},
    {"t", CommandLineMode::kTaro},
    {"tq", CommandLineMode::kTaroQuit},
    {"html", CommandLineMode::kHtml},
    {"text", CommandLineMode::kText},
}};

}  // namespace

bool CSorelCommandLineInfo::IsSwitch(const std::string& parameter, std::string* word)
{
    if (parameter.size() < 2 || (parameter[0] != '/' && parameter[0] != '-'))
        return false;
    const std::string_view rest = std::string_view(parameter).substr(1);
    for (const SWITCH_WORD& entry : kSwitches) {
        if (rest == entry.word) {
            *word = std::string(rest);
            return true;
        }
    }
    return false;
}

void CSorelCommandLineInfo::ParseCommandLine(const std::vector<std::string>& parameters)
{
    for (size_t i = 0; i < parameters.size(); ++i) {
        std::string word;
        const bool isLast = i + 1 == parameters.size();
        if (IsSwitch(parameters[i], &word))
            ParseParam(word, true, isLast);
        else
            ParseParam(parameters[i], false, isLast);
    }
}

void CSorelCommandLineInfo::ParseParam(const std::string& parameter, bool isSwitch, bool)
{
    if (isSwitch) {
        for (const SWITCH_WORD& entry : kSwitches)
            if (parameter == entry.word)
                mode = entry.mode;
        m_plainCount = 0;
        return;
    }
    if (m_plainCount == 0) {
        // The framework opens the first plain parameter.
        if (fileName.empty()) {
            fileName = parameter;
            shellCommand = FileOpen;
        }
    } else if (m_plainCount == 1) {
        if (mode & CommandLineMode::kWord)
            wordOutput = parameter;
        else if (mode & CommandLineMode::kTaro)
            taroOutput = parameter;
        else if (mode & CommandLineMode::kHtml)
            htmlOutput = parameter;
        else if (mode & CommandLineMode::kText)
            textOutput = parameter;
    }
    ++m_plainCount;
}
