// Ichitaro's input attributes of a run: bold, italic, the decoration (colour, underline,
// line-through, character border), the face and the size in points.
#include "export/taro_writer.h"

#include "base/property_records.h"
#include "export/word_steps.h"
#include "nodes/edit_node.h"
#include "platform/codepage.h"

#include <cstdlib>
#include <string_view>

namespace {

struct TARO_COLOR {
    COLORREF color;
    const char* name;
};
constexpr TARO_COLOR TARO_COLOR_TABLE[] = {
    {0x000080, "R128G0B0"},     {0x0000FF, "R255G0B0"},     {0x008000, "R0G128B0"},
    {0x008080, "R128G128B0"},   {0x00FF00, "R0G255B0"},     {0x00FFFF, "R255G255B0"},
    {0x800000, "R0G0B128"},     {0x800080, "R128G0B128"},   {0x808000, "R0G128B128"},
    {0x808080, "R128G128B128"}, {0xC0C0C0, "R192G192B192"}, {0xFF0000, "R0G0B255"},
    {0xFF00FF, "R255G0B255"},   {0xFFFF00, "R0G255B255"},   {0xFFFFFF, "R255G255B255"},
};
constexpr char kBlack[] = "R0G0B0";

// The decoration code of each line style, for the normal width and any other.
struct TARO_DECORATION {
    int style;
    LONG normal;
    LONG thick;
};
constexpr TARO_DECORATION TARO_DECORATION_TABLE[] = {
    {LineStyle::kSolid, 1, 2},   {LineStyle::kDouble, 7, 7},     {LineStyle::kDotted, 4, 5},
    {LineStyle::kDashed, 4, 5},  {LineStyle::kDotDash, 8, 9},    {LineStyle::kDotDotDash, 10, 11},
    {LineStyle::kWave, 12, 13},
};

}  // namespace

void IchitaroColorName(COLORREF color, std::string& name)
{
    name = kBlack;
    for (const TARO_COLOR& entry : TARO_COLOR_TABLE)
        if (entry.color == color)
            name = entry.name;
}

LONG IchitaroDecorationCode(int style, int width)
{
    for (const TARO_DECORATION& entry : TARO_DECORATION_TABLE)
        if (entry.style == style)
            return width == 1 ? entry.normal : entry.thick;
    return 0;
}

void SetIchitaroCharAttr(const CTaroDispatch& library, const CEditNode* node, const EXPORT_NODE_CONTEXT& context,
                         int forceBlack)
{
    WordStep([&] {
        library.InputBold({VARIANT::Long(node->m_lf.lfWeight == 700 ? 1 : 0)});
        library.InputItalic({VARIANT::Long(node->m_lf.lfItalic != 0 ? 1 : 0)});
        std::string color = kBlack;
        if (!forceBlack)
            IchitaroColorName(node->m_color, color);
        const VARIANT border = context.noCharBorder ? VARIANT::Missing() : VARIANT::Long(node->BorderRecord().m_borderStyle == 1);
        library.InputDecoration({VARIANT::String(Cp932ToWide(color)), VARIANT::Missing(),
                                 VARIANT::Long(IchitaroDecorationCode(node->CharacterRecord().m_underlineStyle, node->CharacterRecord().m_underlineWidth)),
                                 VARIANT::Long(IchitaroDecorationCode(node->CharacterRecord().m_lineThroughStyle, node->CharacterRecord().m_lineThroughWidth)),
                                 VARIANT::Missing(), border, VARIANT::Missing()});
        // A vertical face ("@ＭＳ 明朝") goes as its horizontal name.
        std::string_view face = FaceNameView(node->m_lf.lfFaceName);
        if (!face.empty() && face.front() == '@')
            face.remove_prefix(1);
        library.InputFont({VARIANT::String(Cp932ToWide(face)), VARIANT::Missing()});
        library.InputSizePoint({VARIANT::Double(std::abs(node->m_lf.lfHeight) * 72 / 2540.0)});
    });
}
