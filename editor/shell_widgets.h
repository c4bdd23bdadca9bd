// The shell's requests answered with Qt windows: message boxes and file dialogs on the screen.
#pragma once

class QWidget;

// Points the shell's request function at Qt message boxes and file dialogs owned by the
// window that ownerOf returns when the box is shown (null: no owner).
void InstallWidgetShell(QWidget* (*ownerOf)());
