#include "nodes/page_furniture.h"

#include "base/length_units.h"
#include "base/number_labels.h"
#include "nodes/display_map.h"
#include "nodes/edit_switches.h"

#include <memory>
#include <span>
#include <vector>

namespace {

constexpr COLORREF kScreenLabelColor = 0xFF00FF;
constexpr COLORREF kPrintLabelColor = 0x000000;
// 8 pt in 1/100 mm.
constexpr int kPageBreakHeight = 282;
static_assert(kPageBreakHeight == (8 * 2540 + 36) / 72);

constexpr const char kMsPGothicFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック

// A number as the points label prints it: ASCII digits in horizontal writing, full-width digits
// without padding in vertical writing.
CStringW Points(int n, bool vertical)
{
    CStringW text;
    if (vertical)
        FormatFullWidthNumber(n, text, 0);
    else
        text.Format(u"%d", n);
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Blocks

IMPLEMENT_SERIAL(CEditKimeiran, CEditSentence, 1)

CEditKimeiran::CEditKimeiran() : CEditSentence(EditKind::Code(EditKind::kKimeiran)) {}

void CEditKimeiran::FillDefaultCell(CEditNode* cell, int column)
{
    if (cell == nullptr || column < 0 || column > 2)
        return;
    // Each item: a run of U+3000 (count in horizontal, in vertical writing), a text, or line breaks.
    struct CELL_ITEM {
        int spaces;
        int verticalSpaces;
        const char16_t* text;
        int lineBreaks;
    };
    static constexpr CELL_ITEM kTitle[] = {{0, 0, nullptr, 2}, {6, 3, nullptr, 0}, {0, 0, u"テスト", 0}, {4, 2, nullptr, 0}};
    static constexpr CELL_ITEM kName[] = {{0, 0, nullptr, 2}, {6, 3, nullptr, 0}, {0, 0, u"年", 0},
                                      {6, 3, nullptr, 0}, {0, 0, u"組", 0},   {6, 3, nullptr, 0},
                                      {0, 0, u"番（名前）", 0}, {27, 19, nullptr, 0}};
    static constexpr CELL_ITEM kScore[] = {{0, 0, u"得点", 0}, {7, 4, nullptr, 0}, {0, 0, nullptr, 2},
                                       {7, 4, nullptr, 0}, {0, 0, u"／１００", 0}};
    const std::span<const CELL_ITEM> items = column == 0 ? std::span<const CELL_ITEM>(kTitle)
                                          : column == 1 ? std::span<const CELL_ITEM>(kName)
                                                        : std::span<const CELL_ITEM>(kScore);
    std::vector<std::unique_ptr<CEditNode>> nodes;
    for (const CELL_ITEM& item : items) {
        for (int i = 0; i < item.lineBreaks; ++i)
            nodes.push_back(std::make_unique<CEditCR>());
        const int spaces = CurrentWritingVertical ? item.verticalSpaces : item.spaces;
        for (int i = 0; i < spaces; ++i)
            nodes.push_back(std::make_unique<CEditChar>(u'\u3000'));
        for (const char16_t* c = item.text; c != nullptr && *c != 0; ++c)
            nodes.push_back(std::make_unique<CEditChar>(*c));
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (cell->InsertChildAt(static_cast<int>(i), nodes[i].get()) >= 0)
            nodes[i].release();
    }
}

IMPLEMENT_SERIAL(CEditGai, CEditSentence, 1)

CEditGai::CEditGai() : CEditSentence(EditKind::Code(EditKind::kGai)) {}

void CEditGai::AddLineBreak()
{
    auto lineBreak = std::make_unique<CEditCR>();
    if (AppendChild(lineBreak.get()) >= 0)
        lineBreak.release();
}

IMPLEMENT_SERIAL(CEditKaiPage, CEditSentence, 1)

CEditKaiPage::CEditKaiPage() : CEditSentence(EditKind::Code(EditKind::kKaiPage)) {}

void CEditKaiPage::Fill()
{
    auto lineBreak = std::make_unique<CEditCR>();
    lineBreak->SetText(kPageBreakText);
    lineBreak->m_color = kPageBreakColor;
    lineBreak->m_lf.lfHeight = -kPageBreakHeight;
    lineBreak->LogFontToFontProperties();
    if (AppendChild(lineBreak.get()) >= 0)
        lineBreak.release();
}

void CEditKaiPage::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    ClearMeasure();
    if (m_hidden != 0)
        return;
    for (int i = 0; i + 1 < GetChildCount(); ++i) {
        if (CEditNode* child = GetEditChild(i); child != nullptr && child->m_hidden != 2) {
            child->m_hidden = 2;
            child->m_dirty = 1;
        }
    }
    CEditSentence::Measure(dc, map, context);
}

void CEditKaiPage::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (dc != nullptr && !dc->IsPrinting())
        CEditSentence::Draw(dc, map, context);
}

// ---------------------------------------------------------------------------------------------
// Points label

CStringW HaitenText(const HAITEN_INFO& info, bool vertical, bool majorPart)
{
    const bool square = info.fence == CStringW(u"［");
    CStringW body;
    const auto p = [vertical](int n) { return Points(n, vertical); };
    switch (info.style) {
    case 1: body = p(info.p3) + u"点"; break;
    case 2: body = CStringW(u"各") + p(info.p1) + u"点×" + p(info.p2) + u"＝" + p(info.p3) + u"点"; break;
    case 3: body = CStringW(u"各") + p(info.p1) + u"点：計" + p(info.p3) + u"点"; break;
    case 4: body = (majorPart ? CStringW(u"計") : CStringW()) + p(info.p3) + u"点"; break;
    default: body = u" --- 点"; break;
    }
    return CStringW(square ? u'［' : u'（') + body + (square ? u'］' : u'）');
}

IMPLEMENT_SERIAL(CEditHaiten, CEditChar, 1)

CEditHaiten::CEditHaiten() : CEditChar(EditKind::Code(EditKind::kHaiten))
{
    Reset();
    m_lf.lfHeight = -PointsToHmm(10, 5);
    std::string face = kMsPGothicFace;
    if (CurrentWritingVertical)
        face.insert(face.begin(), '@');
    CopyFaceName(m_lf.lfFaceName, face);
}

void CEditHaiten::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    const bool vertical = map != nullptr && map->IsVertical();
    SetText(HaitenText(m_info, vertical, GetSubQuestionNumber() == 0));
    m_dirty = 1;
    CEditChar::Measure(dc, map, context);
    if (m_hidden != 0)
        m_width = 1;
}

void CEditHaiten::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (m_hidden != 0 || dc == nullptr)
        return;
    m_color = dc->IsPrinting() ? kPrintLabelColor : kScreenLabelColor;
    if (context == nullptr) {
        CEditChar::Draw(dc, map, context);
        return;
    }
    const HFONT shared = context->font;
    context->font = HFONT();
    CEditChar::Draw(dc, map, context);
    context->font = shared;
}
