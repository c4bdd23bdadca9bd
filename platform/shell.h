// Message boxes, file dialogs and help go through one function: the program points it at its
// windows, tests at an answerer that records each request and gives the answer the test wants.
// Without one, a message goes to the standard error stream and the answer is the safe one
// (OK, Cancel, No), so a run without windows never hangs on a question.
#pragma once

#include "platform/win_types.h"

#include <functional>
#include <string>
#include <vector>

// Message box styles and answers.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_TYPEMASK = 0xF;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// File dialog flags the programs pass.
constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
constexpr DWORD OFN_HIDEREADONLY = 0x4;
constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;

struct SHELL_FILTER {
    std::u16string label;   // "プリントファイル(*.qns)"
    std::string pattern;    // "*.qns"
};

enum class ShellRequestKind { MessageBox, OpenFile, SaveFile, Help, Print, OpenDocument };

// One request. Message boxes fill text, caption and style; file dialogs fill title, flags,
// filters, default extension and the initial file, and get back the chosen path and the 1-based
// filter index; help fills the help file and the command; a document to show in the desktop's
// program for it fills file. The print dialog gets the pages the
// paper has and the printer settings to start from, and gives back the printer (or the PDF file,
// in `file`), the pages to print and the copies.
struct SHELL_REQUEST {
    ShellRequestKind kind = ShellRequestKind::MessageBox;
    std::u16string text;
    std::u16string caption;
    UINT style = MB_OK;
    // A notice that needs no answer: shown without waiting for it to be closed.
    bool modeless = false;

    std::u16string title;
    DWORD flags = 0;
    std::vector<SHELL_FILTER> filters;
    std::string defaultExtension;  // without its point
    std::string file;              // UTF-8 path: the initial file, then the chosen one
    int filterIndex = 1;           // the filter chosen at first, then the one the user chose

    std::string helpFile;
    UINT helpCommand = 0;

    int minPage = 1;
    int maxPage = 1;
    int fromPage = 0;              // 0: every page
    int toPage = 0;
    int copies = 1;
    std::string printerName;       // empty: the default printer
};

// Answers a request: IDOK, IDCANCEL, IDYES or IDNO; for file dialogs IDOK with file and
// filterIndex set, or IDCANCEL.
using ShellHandler = std::function<int(SHELL_REQUEST& request)>;

// Installs the handler and returns the former one; an empty handler restores the default.
ShellHandler SetShellHandler(ShellHandler handler);

// The one way out: every box, dialog and help request goes through here.
int ShellRequest(SHELL_REQUEST& request);

// The common forms.
int ShellMessageBox(const std::u16string& text, const std::u16string& caption, UINT style);
// A notice shown without waiting for the user (IDOK at once).
void ShellNotice(const std::u16string& text, const std::u16string& caption, UINT style);
// OK when a file was chosen (request.file, request.filterIndex); false on Cancel.
bool ShellFileDialog(SHELL_REQUEST& request);
// The print dialog: true when the user chose to print (printer or file, pages, copies).
bool ShellPrintDialog(SHELL_REQUEST& request);

// The answer a request gets when nobody is asked: OK for an OK box, else Cancel (No for a box
// without Cancel); a file dialog is cancelled.
int ShellDefaultAnswer(const SHELL_REQUEST& request);

// One failure, one message box: while a group is open, the OK boxes of the operation are held
// back and shown together as one box when the outermost group closes. The operation's own
// message (its lead) stands first, the others follow, each line once, so that a reader's
// messages about five pictures, or a parse error followed by the failure to read, make one box.
// Boxes that ask a question are never held back.
class ShellMessageGroup {
public:
    ShellMessageGroup();
    ~ShellMessageGroup();
    ShellMessageGroup(const ShellMessageGroup&) = delete;
    ShellMessageGroup& operator=(const ShellMessageGroup&) = delete;

    // The operation's own message: first in the group's box, or a box of its own outside a group.
    static void Lead(const std::u16string& text, const std::u16string& caption, UINT style);
};
