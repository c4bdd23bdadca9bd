// Text measuring and output as every node that draws text does it: through UTF-16 or through
// code page 932 bytes, as the program's text-output switch says.
#pragma once

#include "base/wide_string.h"
#include "platform/gdi.h"

#include <memory>

// The reduced size of scripts: value × 60 / 105, truncated toward zero.
constexpr int ScriptSize(int value) { return value * 60 / 105; }

// The context that answers metric questions for a drawing context: its attribute context, else
// the context itself; a metafile is measured on a screen context made for the purpose.
class CMeasuringDC {
public:
    explicit CMeasuringDC(CDC* dc);
    CMeasuringDC(const CMeasuringDC&) = delete;
    CMeasuringDC& operator=(const CMeasuringDC&) = delete;
    // Null when no screen context could be had.
    CDC* Get() const { return m_dc; }

private:
    std::unique_ptr<CDC> m_screen;
    CDC* m_dc = nullptr;
};

// The extent of text with the selected font.
BOOL GetNodeTextExtent(CDC* dc, const CStringW& text, SIZE* size);
// Draws text at a device point: UTF-16 text, or code page 932 bytes through the context's own
// text output on Windows 9x and through ExtTextOutA elsewhere.
void DrawNodeText(CDC* dc, int x, int y, const CStringW& text);
