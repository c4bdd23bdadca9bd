// The shell's requests answered with Qt windows: message boxes and file dialogs on the screen.
#pragma once

class QTranslator;
class QWidget;

struct SHELL_REQUEST;

// Points the shell's request function at Qt message boxes and file dialogs owned by the
// window that ownerOf returns when the box is shown (null: no owner). On a platform where nobody
// can see a window (offscreen, minimal) nothing waits: messages go to the standard error stream
// and every request gets its safe answer.
void InstallWidgetShell(QWidget* (*ownerOf)());
// Answers one request with a window: a message box (a notice without waiting), a file dialog
// that starts on the request's filter, or the help viewer.
int AnswerWithWindows(QWidget* owner, SHELL_REQUEST& request);

// Makes Qt's own dialogs and buttons (file dialog, message-box buttons) speak Japanese, as every
// other text of the program does: installs Qt's Japanese translation into the application, which
// owns it. Null when the translation is not installed; the dialogs then stay in English.
QTranslator* InstallQtTranslations();
