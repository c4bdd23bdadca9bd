// Small trees of characters and containers, and the settings the node tests share.
#pragma once

#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_container.h"
#include "nodes/edit_switches.h"
#include "platform/gdi_recording.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace nodetest {

// The font height of test characters: 100 units, so the synthetic metrics are ascent 80,
// descent 20, half-width characters 50 and full-width ones 100.
constexpr int kEm = 100;

// Restores the application-wide switches after each test.
class SwitchGuard {
public:
    SwitchGuard()
        : m_wide(UseWideTextOut), m_vertical(CurrentWritingVertical), m_marks(LineBreakMarksVisible)
    {
    }
    ~SwitchGuard()
    {
        UseWideTextOut = m_wide;
        CurrentWritingVertical = m_vertical;
        LineBreakMarksVisible = m_marks;
    }

private:
    int m_wide;
    int m_vertical;
    int m_marks;
};

inline CEditChar* AddChar(CEditNode* parent, char16_t c, int em = kEm)
{
    auto* node = new CEditChar(c);
    node->m_lf.lfHeight = -em;
    parent->AppendChild(node);
    return node;
}

inline void AddChars(CEditNode* parent, std::u16string_view text, int em = kEm)
{
    for (char16_t c : text)
        AddChar(parent, c, em);
}

inline CEditCR* AddCR(CEditNode* parent, int align = 0, int em = kEm)
{
    auto* node = new CEditCR();
    node->m_lf.lfHeight = -em;
    node->m_textAlign = align;
    parent->AppendChild(node);
    return node;
}

// A map whose scale is one device pixel per document unit.
inline CDisplayMap IdentityMap(int vertical = 0)
{
    CDisplayMap map;
    map.SetResolution(2540, 2540, 100);
    map.SetVertical(vertical);
    return map;
}

inline LAYOUT_CONTEXT MeasureContext(int availableWidth, int lineSpacing = 0)
{
    LAYOUT_CONTEXT context;
    context.availableWidth = availableWidth;
    context.fullWidth = availableWidth;
    context.remainingHeight = 100000;
    context.lineSpacing = lineSpacing;
    return context;
}

inline LAYOUT_CONTEXT LayoutContext(int x, int y, int page = 1)
{
    LAYOUT_CONTEXT context;
    context.originX = x;
    context.originY = y;
    context.page = page;
    return context;
}

inline RECT Rect(int l, int t, int r, int b)
{
    return RECT{l, t, r, b};
}

inline bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string RectText(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

inline std::string PointsText(const std::vector<POINT>& points)
{
    std::string text;
    for (const POINT& p : points)
        text += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    return text;
}

}  // namespace nodetest
