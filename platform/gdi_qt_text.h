// Text of the Qt device context: fonts from LOGFONTA descriptions, measured with the fonts' own
// design metrics at fractional pixel sizes and drawn as glyph runs. Vertical "@" faces turned by
// 2700 draw upright what Unicode sets upright in vertical text (with the font's vertical forms,
// shaped top to bottom by HarfBuzz) and turn the rest with the line.
#pragma once

#include "platform/fonts.h"
#include "platform/win_types.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <memory>
#include <string_view>
#include <vector>

class QPainter;

namespace qttext {

struct Face;

// A font set up for one device scale: all lengths in device pixels.
struct FontSetup {
    LOGFONTA font{};
    ResolvedFont resolved;
    std::shared_ptr<Face> face;  // null when no font could be loaded
    double em = 0;               // pixel size of the em
    double stretch = 1;          // horizontal scale from lfWidth
    double ascent = 0;
    double descent = 0;
    double leading = 0;          // external leading
    double averageWidth = 0;     // stretched
    double maxWidth = 0;         // stretched
};

// `scaleX` and `scaleY` are device pixels per logical unit. Never null; shared with the cache.
std::shared_ptr<const FontSetup> SetUpFont(const LOGFONTA& font, double scaleX, double scaleY);

// The advance of each unit of the text in device pixels (the second unit of a surrogate pair 0).
std::vector<double> Advances(const FontSetup& setup, std::u16string_view text);

// The ABC widths of a character in device pixels.
void CharAbc(const FontSetup& setup, char16_t unit, double* a, double* b, double* c);

struct DrawRequest {
    QPointF origin;          // the reference point in device pixels
    unsigned align = 0;      // TA_ flags
    QColor color;
    bool opaque = false;     // fill the text's cell with `background` first
    QColor background;
    std::vector<double> advances;  // per unit; empty: the font's own
};

// Draws the text; false when the font has no face to draw with.
bool DrawText(QPainter& painter, const FontSetup& setup, std::u16string_view text, const DrawRequest& request);

// Drops the loaded fonts (at the application's end).
void ReleaseFonts();

} // namespace qttext
