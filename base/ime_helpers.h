// The input method of a window, through its input context (the window code gives windows that
// take text one); a window without a context is closed and takes no changes. Each call takes the
// context and gives it back before returning.
#pragma once

#include "platform/input_context.h"
#include "platform/win_types.h"

BOOL ImeIsOpen(HWND window);
// Changes the open status only when it differs.
BOOL ImeSetOpen(HWND window, BOOL open);
// Moves the composition window to the point, in the window's client pixels.
BOOL ImeSetCompositionPos(HWND window, const POINT* point);
BOOL ImeSetCompositionFont(HWND window, const LOGFONTA* font);
// The input method's property for an index; 0 without a context.
DWORD ImeGetProperty(HWND window, DWORD index);
