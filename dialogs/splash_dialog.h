// The start-up picture: a window without caption, as large as its picture, centred on the
// screen while the program starts.
#pragma once

#include "dialogs/value_dialog.h"

class CSplashDlg : public CValueDialog {
public:
    static constexpr int kPicture = 1271;

    CSplashDlg();
    // Shows the window without waiting; the caller deletes it once the main window is up.
    void Create();

protected:
    void OnInitDialog() override;
};
