#include "base/ime_helpers.h"

BOOL ImeIsOpen(HWND window)
{
    CInputContext* context = ImmGetContext(window);
    if (context == nullptr)
        return FALSE;
    const BOOL open = context->IsOpen() ? TRUE : FALSE;
    ImmReleaseContext(window, context);
    return open;
}

BOOL ImeSetOpen(HWND window, BOOL open)
{
    CInputContext* context = ImmGetContext(window);
    if (context == nullptr)
        return FALSE;
    if (context->IsOpen() != (open != FALSE))
        context->SetOpen(open != FALSE);
    ImmReleaseContext(window, context);
    return TRUE;
}

BOOL ImeSetCompositionPos(HWND window, const POINT* point)
{
    CInputContext* context = ImmGetContext(window);
    if (context == nullptr || point == nullptr)
        return FALSE;
    const BOOL result = context->SetCompositionPoint(*point) ? TRUE : FALSE;
    ImmReleaseContext(window, context);
    return result;
}

BOOL ImeSetCompositionFont(HWND window, const LOGFONTA* font)
{
    CInputContext* context = ImmGetContext(window);
    if (context == nullptr || font == nullptr)
        return FALSE;
    const BOOL result = context->SetCompositionFont(*font) ? TRUE : FALSE;
    ImmReleaseContext(window, context);
    return result;
}

DWORD ImeGetProperty(HWND window, DWORD index)
{
    CInputContext* context = ImmGetContext(window);
    if (context == nullptr)
        return 0;
    const DWORD value = context->GetProperty(index);
    ImmReleaseContext(window, context);
    return value;
}
