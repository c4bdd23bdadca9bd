// Where palette characters go: the editing view of either editor, or the reading-mark editor.
#pragma once

#include "platform/win_types.h"

// Each character one UTF-16 code unit with its font.
class IPaletteCharTarget {
public:
    virtual ~IPaletteCharTarget() = default;
    // The font is valid only during the call; the receiver copies what it needs.
    virtual long OnPaletteChar(char16_t unit, const LOGFONTA& font) = 0;
};
