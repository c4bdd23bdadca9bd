// The problem editor's command line: an optional switch ("k1", "w", "wq", "t", "tq", "html",
// "text", led by "/" or "-"), the input file and, for an export run, the output file. Only those
// words are switches; every other parameter is a file name, so absolute paths ("/home/…") stay
// files.
#pragma once

#include <string>
#include <vector>

// CMDLINE_MODE: bit 2 Word export, bit 4 Ichitaro export, bit 8 quit the word processor; bits 16
// and 32 the HTML and text exports, which need no word processor.
namespace CommandLineMode {
constexpr int kOrdinary = 0;
constexpr int kOpenCopy = 1;  // "k1"
constexpr int kWord = 2;
constexpr int kWordQuit = 10;
constexpr int kTaro = 4;
constexpr int kTaroQuit = 12;
constexpr int kHtml = 16;
constexpr int kText = 32;
constexpr bool IsExport(int mode) { return (mode & (kWord | kTaro | kHtml | kText)) != 0; }
}  // namespace CommandLineMode

class CSorelCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen };

    // Reads the parameters after the program's name.
    void ParseCommandLine(const std::vector<std::string>& parameters);
    // One parameter, with the leading "/" or "-" removed for a switch.
    void ParseParam(const std::string& parameter, bool isSwitch, bool isLast);
    // Whether the parameter is one of the editor's switches, and the switch word.
    static bool IsSwitch(const std::string& parameter, std::string* word);

    int mode = CommandLineMode::kOrdinary;
    ShellCommand shellCommand = FileNew;
    std::string fileName;
    std::string wordOutput;
    std::string taroOutput;
    std::string htmlOutput;
    std::string textOutput;
    bool showSplash = true;

private:
    int m_plainCount = 0;
};
