#include "formula/window/view_window.h"

std::unique_ptr<IVumatViewHost> MakeVumatViewHost(CVumatDoc&, CVumatApp&, CMainFrame&)
{
    return nullptr;
}
