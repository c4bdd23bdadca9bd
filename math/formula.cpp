#include "math/formula.h"

#include "base/default_fonts.h"
#include "base/dom_transfer.h"
#include "base/element_vocabulary.h"
#include "base/length_units.h"
#include "math/math_char.h"
#include "math/mathml_import.h"
#include "nodes/display_map.h"
#include "nodes/edit_char.h"
#include "nodes/edit_switches.h"

#include <cstdlib>
#include <memory>

namespace {

// The area a formula picture is measured in: a fixed screen of 1024 × 768 pixels at 96 dots per
// inch, so pictures do not depend on the machine that makes them.
constexpr int kPictureAreaWidth = 1024;
constexpr int kPictureAreaHeight = 768;
constexpr int kPictureDpi = 96;

}  // namespace

// ---------------------------------------------------------------------------------------------
// CEditMath

IMPLEMENT_SERIAL(CEditMath, CEditMathContainer, 1)

CEditMath::CEditMath() : CEditMathContainer(EditKind::Code(EditKind::kMath)) {}

void CEditMath::CreateDefaultSlots(int useMathsFont)
{
    auto lineEnd = std::make_unique<CEditMathCR>();
    if (useMathsFont) {
        const CDefaultFontTable& table = CDefaultFontTable::Instance();
        table.GetMathFont(&lineEnd->m_lf);
        lineEnd->m_lf.lfHeight = -std::abs(table.GetMathHeight());
        lineEnd->m_lf.lfWidth = 0;
    } else {
        lineEnd->m_lf.lfHeight = -PointsToHmm(10, 5);
    }
    if (AppendChild(lineEnd.get()) >= 0)
        lineEnd.release();
}

CEditNode* CEditMath::HitTest(int x, int y, int* after)
{
    return CEditContainer::HitTest(x, y, after);
}

void CEditMath::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    MeasureRows(dc, map, context, false);
    m_leftOverhang = 0;
    m_rightOverhang = 0;
    const CEditNode* first = GetEditChild(0);
    if (first == nullptr)
        return;
    m_leftOverhang = first->m_leftOverhang;
    for (int i = 1; i < GetChildCount(); ++i) {
        const CEditNode* child = GetEditChild(i);
        if (IsLineBreak(child)) {
            if (const CEditNode* before = GetEditChild(i - 1))
                m_rightOverhang = before->m_rightOverhang;
            break;
        }
    }
}

void CEditMath::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    if (context == nullptr)
        return;
    const int x = context->originX;
    const int top = context->originY + context->rowAscent - m_ascent;
    m_rcLayout = RECT{x, top, x + m_width, top + m_height};
    LayoutRows(x, top, nullptr, vertical);
}

void CEditMath::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    CEditMathContainer::Draw(dc, map, context);
    if (GetChildCount() > 0)
        DrawEmptySlotMarks(dc, map);
}

// ---------------------------------------------------------------------------------------------
// CEditEditMath

IMPLEMENT_SERIAL(CEditEditMath, CEditMathContainer, 1)

CEditEditMath::CEditEditMath() : CEditMathContainer(EditKind::Code(EditKind::kEditMath))
{
    m_caretStop = 0;
}

void CEditEditMath::InitDefaultContent()
{
    auto formula = std::make_unique<CEditMath>();
    formula->CreateDefaultSlots(0);
    if (AppendChild(formula.get()) < 0)
        return;
    formula.release();
    auto mark = std::make_unique<CEditCR>();
    if (AppendChild(mark.get()) >= 0)
        mark.release();
}

bool CEditEditMath::IsEmpty() const
{
    const CQNXMLNode* formula = GetChildAt(0);
    return formula == nullptr || formula->GetChildCount() < 2;
}

void CEditEditMath::Reset()
{
    DeleteAllChildren();
    InitDefaultContent();
}

CEditNode* CEditEditMath::HitTest(int x, int y, int* after)
{
    if (CEditNode* hit = CEditContainer::HitTest(x, y, after))
        return hit;
    const CEditNode* first = GetEditChild(0);
    const CEditNode* last = GetEditChild(GetChildCount() - 1);
    if (first != nullptr && x <= first->m_rcLayout.left)
        return GetFirstInner();
    if (last != nullptr && x >= last->m_rcLayout.right)
        return GetLastInner();
    return nullptr;
}

CEditNode* CEditEditMath::GetFirstInner()
{
    CEditNode* first = GetEditChild(0);
    return first != nullptr ? first->GetFirstInner() : nullptr;
}

CEditNode* CEditEditMath::GetLastInner()
{
    CEditNode* first = GetEditChild(0);
    return first != nullptr ? first->GetLastInner() : nullptr;
}

void CEditEditMath::LoadMathML(const XmlNode& node)
{
    if (!node || node.nodeType() != XmlNodeType::Element)
        return;
    const CStringW name(node.nodeName());
    if (XMLElementCodeFromName(name.c_str()) != XEC_MATH)
        return;
    std::unique_ptr<CQNXMLNode> element(CreateXMLNode(XEC_MATH));
    if (!element)
        return;
    ImportDomNode(element.get(), node);
    auto formula = std::make_unique<CEditMath>();
    BuildMathNodes(element.get(), formula.get());
    element.reset();
    formula->AppendChild(new CEditMathCR());
    DeleteAllChildren();
    if (AppendChild(formula.get()) < 0)
        return;
    formula.release();
    AppendChild(new CEditMathCR());
}

HBITMAP CEditEditMath::CreateBitmap()
{
    std::unique_ptr<CDC> screen = CreateScreenDC();
    std::unique_ptr<CDC> memory = screen ? screen->CreateCompatibleDC() : nullptr;
    if (!memory)
        return HBITMAP();
    CDisplayMap map;
    map.SetResolution(kPictureDpi, kPictureDpi, 100);
    RECT area{0, 0, kPictureAreaWidth, kPictureAreaHeight};
    map.DeviceToDocRect(&area);

    LAYOUT_CONTEXT context;
    context.availableWidth = area.right - area.left;
    context.fullWidth = context.availableWidth;
    context.remainingHeight = area.bottom - area.top;
    context.originX = area.left;
    context.originY = area.top;
    // Measured in document units: 2540 of them to the inch.
    SetDirtyRecursive(1);
    memory->SetMapMode(MM_ANISOTROPIC);
    memory->SetWindowExt(2540, 2540);
    memory->SetViewportExt(kPictureDpi, kPictureDpi);
    Measure(memory.get(), &map, &context);
    memory->SetMapMode(MM_TEXT);
    Layout(&context, 0);

    SIZE size{m_width, m_height};
    map.DocToDeviceSize(&size);
    CBitmap bitmap;
    if (size.cx <= 0 || size.cy <= 0 || !bitmap.CreateCompatibleBitmap(memory.get(), size.cx, size.cy))
        return HBITMAP();
    const HBITMAP previous = memory->SelectObject(HBITMAP(bitmap));
    memory->PatBlt(0, 0, size.cx, size.cy, WHITENESS);
    const EmptySlotMarksHidden noMarks;
    Draw(memory.get(), &map, &context);
    memory->SelectObject(previous);
    return HBITMAP(bitmap.Detach());
}

// ---------------------------------------------------------------------------------------------
// CEditMathCyukai

IMPLEMENT_SERIAL(CEditMathCyukai, CEditMathContainer, 1)

CEditMathCyukai::CEditMathCyukai() : CEditMathContainer(EditKind::Code(EditKind::kMathCyukai)) {}

void CEditMathCyukai::AddLineBreak()
{
    AppendChild(new CEditMathCR());
}

CEditNode* CEditMathCyukai::HitTest(int x, int y, int* after)
{
    return ChildFirstHitTest(x, y, after);
}

void CEditMathCyukai::Measure(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    LAYOUT_CONTEXT own = context != nullptr ? *context : LAYOUT_CONTEXT{};
    own.lineSpacing = 0;
    CEditMathContainer::Measure(dc, map, &own);
    if (const EDIT_LINE* row = GetRow(0)) {
        m_width = row->m_width;
        m_height = row->m_height;
        m_ascent = row->m_ascent;
        m_axis = row->m_axis;
    }
}

void CEditMathCyukai::Layout(LAYOUT_CONTEXT* context, int vertical)
{
    EDIT_LINE* row = GetRow(0);
    if (context == nullptr || GetChildCount() == 0 || row == nullptr)
        return;
    const int x0 = context->originX;
    const int top = context->originY + context->rowAxis - m_axis;
    m_rcLayout = RECT{x0, top, x0 + m_width, top + m_height};
    // An answer is one line: children measured onto further rows are not placed.
    PlaceRow(0, x0, top, context, vertical);
}

void CEditMathCyukai::Draw(CDC* dc, CDisplayMap* map, LAYOUT_CONTEXT* context)
{
    if (!InTextAnswersVisible)
        return;
    CEditMathContainer::Draw(dc, map, context);
    DrawEmptySlotMarks(dc, map);
}
