// The picture of an embedded object as an SVG document: what a drawing routine draws on a
// device context, recorded at 96 dots per inch into an SVG of a given size in pixels. Qt's SVG
// engine writes the glyph runs that text is drawn with as outlines (beside an empty text
// element), so the picture draws the same without the fonts it was made with.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class CDC;

// The SVG bytes; empty when the size is not positive or nothing could be recorded.
std::vector<uint8_t> RecordSvgPicture(int width, int height, const std::function<void(CDC*)>& draw);
