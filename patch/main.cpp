// The update patch's entry point. A silent run needs no window system at all, so the windowed
// application is made only when boxes may be shown.
#include "patch/patch_app.h"
#include "patch/patch_boxes.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    CPatchApp patch;
    if (IsSilentMode(arguments))
        return patch.InitInstance(arguments);
    QApplication application(argc, argv);
    InstallPatchMessageBoxes();
    return patch.InitInstance(arguments);
}
