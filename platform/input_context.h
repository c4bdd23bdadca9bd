// The input method context of a window: the window code gives each window that takes text one of
// these (over Qt's input-method support), and the program's IME helpers work on it.
#pragma once

#include "platform/win_types.h"

struct HWND__;
using HWND = HWND__*;

class CInputContext {
public:
    virtual ~CInputContext() = default;
    virtual bool IsOpen() const = 0;
    virtual void SetOpen(bool open) = 0;
    // Where the composition window stands, in the window's client pixels.
    virtual bool SetCompositionPoint(POINT point) = 0;
    virtual bool SetCompositionFont(const LOGFONTA& font) = 0;
    // The input method's property for an IGP_ index; none is known here.
    virtual DWORD GetProperty(DWORD index) const
    {
        (void)index;
        return 0;
    }
};

// Gives a window its context (null removes it); the window keeps ownership.
void ImmAssociateContext(HWND window, CInputContext* context);
// The window's context, or null; each one taken is given back with ImmReleaseContext.
CInputContext* ImmGetContext(HWND window);
BOOL ImmReleaseContext(HWND window, CInputContext* context);
