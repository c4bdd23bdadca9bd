// The window of the formula view, as the program hosts it in its frame.
#pragma once

#include "formula/window/vumat_program.h"

#include <memory>

// The view widget over the document, wired to the frame's bars and the application's settings.
std::unique_ptr<IVumatViewHost> MakeVumatViewHost(CVumatDoc& document, CVumatApp& app, CMainFrame& frame);
