#include "formula/vumat_app.h"

#include "base/default_fonts.h"
#include "base/font_settings.h"
#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "base/system_checks.h"
#include "math/formula_family.h"
#include "nodes/edit_switches.h"
#include "nodes/node_archive.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/shell.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

// The help command that shows a help file's first topic.
constexpr UINT kHelpDisplayTopic = 0;

bool IsSwitch(const std::string& argument, const char* word)
{
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return false;
    const std::string_view name(argument.data() + 1, argument.size() - 1);
    const std::string_view wanted(word);
    if (name.size() != wanted.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(wanted[i])))
            return false;
    return true;
}

}  // namespace

VUMAT_COMMAND_LINE ParseVumatCommandLine(const std::vector<std::string>& arguments)
{
    VUMAT_COMMAND_LINE line;
    std::string file;
    for (const std::string& argument : arguments) {
        if (IsSwitch(argument, "Embedding")) {
            line.start = VumatStart::Embedding;
        } else if (IsSwitch(argument, "Automation")) {
            if (line.start != VumatStart::Embedding)
                line.start = VumatStart::Automation;
        } else if (!argument.empty() && argument[0] != '-' && file.empty()) {
            // A path begins with "/" here: only the two words count as switches after it.
            file = argument;
        }
    }
    if (line.start == VumatStart::None && !file.empty()) {
        line.start = VumatStart::File;
        line.file = file;
    }
    return line;
}

CVumatApp::CVumatApp(std::string profilePath, std::string programPath)
    : m_profile(std::make_unique<CProfile>(profilePath)), m_programPath(std::move(programPath))
{
    m_bango.m_renbanForce = 0;
    m_bango.m_renbanType = 1;
    CopyFaceName(m_bango.m_renbanFace, WideToCp932(u"ＭＳ 明朝"));
    m_bango.m_renbanSize = MulDiv(5, 2540, 72);
}

CVumatApp::~CVumatApp() = default;

VUMAT_COMMAND_LINE CVumatApp::InitInstance(const std::vector<std::string>& arguments)
{
    setenv("TZ", "JST-9", 1);
    tzset();
    // Every version serves; the shared version record is filled for the code that reads it.
    IsSupportedWindowsVersion();

    m_commandLine = ParseVumatCommandLine(arguments);
    if (m_commandLine.start == VumatStart::None || m_commandLine.start == VumatStart::Automation)
        return m_commandLine;

    CreateGdiResources();
    // Text is measured and drawn through code page 932; formulas are never laid out vertically.
    UseWideTextOut = 0;
    CurrentWritingVertical = 0;
    RegisterNodeClasses(ProgramClassRegistry(), NODE_PROGRAM::FormulaEditor);
    RegisterMathClasses(ProgramClassRegistry());
    RegisterFormulaFamily();
    LoadSettings();
    return m_commandLine;
}

void CVumatApp::LoadSettings()
{
    using E = CDefaultFontTable;
    for (E::Entry entry : {E::Math, E::MathNumeric, E::MathOperator})
        LoadDefaultFontEntry(*m_profile, &CDefaultFontTable::Instance(), entry);
    LoadNumberingSettings(*m_profile, {&m_bango, &m_underlineStyle, &m_underlineWidth});
}

bool CVumatApp::SaveSettings()
{
    using E = CDefaultFontTable;
    for (E::Entry entry : {E::Math, E::MathNumeric, E::MathOperator})
        SaveDefaultFontEntry(*m_profile, CDefaultFontTable::Instance(), entry);
    SaveNumberingSettings(*m_profile, m_bango, m_underlineStyle, m_underlineWidth);
    return m_profile->Flush();
}

void CVumatApp::WinHelp()
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::Help;
    const std::filesystem::path folder = std::filesystem::path(m_programPath).parent_path();
    request.helpFile = (folder / kHelpFile).string();
    request.helpCommand = kHelpDisplayTopic;
    ShellRequest(request);
}
