// CVumatApp: the formula editor's application object without its windows. It reads the command
// line, prepares the drawing switches and the GDI cache, keeps the formula fonts and the
// numbering defaults in the user's profile ("Settings\Font", "Settings\Bango") and opens the
// help file. The program's window code asks it how the process was started and builds the
// document, the channel to the container and the window around it.
#pragma once

#include "base/property_records.h"

#include <memory>
#include <string>
#include <vector>

class CProfile;

// How the process was started.
enum class VumatStart {
    None,        // nothing to serve: the process ends at once, without a window or a message
    Embedding,   // by a container, to serve one object over the standard input and output
    Automation,  // by an automation client, which Linux does not have: the process ends at once
    File,        // on a ".qni" file, which the window edits
};

struct VUMAT_COMMAND_LINE {
    VumatStart start = VumatStart::None;
    std::string file;  // the ".qni" file of VumatStart::File
};

// The words Embedding and Automation after "/" or "-" (in any case) are the switches; the first
// other argument that does not begin with "-" is a file (an absolute path begins with "/"). A
// switch wins over a file; unknown switches are ignored.
VUMAT_COMMAND_LINE ParseVumatCommandLine(const std::vector<std::string>& arguments);

class CVumatApp {
public:
    // The caption of the view's message boxes.
    static constexpr const char16_t* kCaption = u"数式エディタ";
    // The title of the window and the About box.
    static constexpr const char16_t* kDocumentTitle = u"Orvellan　数式エディタ";
    static constexpr const char* kHelpFile = "Vumat.chm";

    // The profile at profilePath (the user's "Orvellan\Vumat" file in the program); programPath
    // is the program's own file, beside which the help file lies.
    CVumatApp(std::string profilePath, std::string programPath);
    ~CVumatApp();
    CVumatApp(const CVumatApp&) = delete;
    CVumatApp& operator=(const CVumatApp&) = delete;

    // The start-up steps that need no window: reads the command line and, unless the process is
    // to end at once, sets text output through code page 932 and horizontal writing, makes the
    // GDI cache, registers the node classes and loads the settings.
    VUMAT_COMMAND_LINE InitInstance(const std::vector<std::string>& arguments);

    // The table of "Settings\Font" into the default-font table and "Settings\Bango" into the
    // numbering defaults; values absent or of the wrong size keep their defaults.
    void LoadSettings();
    // Writes both sections (only the font-defaults command calls this); false when the profile
    // cannot be written.
    bool SaveSettings();

    // Opens "Vumat.chm" beside the program.
    void WinHelp();

    CProfile& Profile() { return *m_profile; }
    const VUMAT_COMMAND_LINE& CommandLine() const { return m_commandLine; }

    // The labelled-underline numbering that the view's numbering commands insert: type 1 in
    // "ＭＳ 明朝" at 5 pt, and its underline (width 1, style 1).
    CKasenRenbanProperties m_bango;
    int m_underlineWidth = 1;
    int m_underlineStyle = 1;

private:
    std::unique_ptr<CProfile> m_profile;
    std::string m_programPath;
    VUMAT_COMMAND_LINE m_commandLine;
};
