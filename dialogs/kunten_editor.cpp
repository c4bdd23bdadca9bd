#include "dialogs/kunten_editor.h"

#include "base/default_fonts.h"
#include "base/gaiji_lookup.h"
#include "base/gdi_cache.h"
#include "base/property_records.h"
#include "math/formula_family.h"
#include "nodes/clipboard_paste.h"
#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/kunten_box.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"
#include "nodes/undo_replay.h"
#include "platform/archive.h"
#include "platform/shell.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <new>

namespace {

// The base character appears this high (1/100 mm) at the screen's resolution, whatever its size.
constexpr double kShownBaseHeight = 185500.0;
constexpr int kTypingHeight = 370;

CEditNode* PrevSibling(CEditNode* node)
{
    return node != nullptr ? CEditNode::FromNode(node->GetPrevSibling()) : nullptr;
}

CEditNode* NextSibling(CEditNode* node)
{
    return node != nullptr ? CEditNode::FromNode(node->GetNextSibling()) : nullptr;
}

// A hit on the trailing half of a character that holds text counts as its next sibling.
CEditNode* CaretSideOfHit(CEditNode* hit, int after)
{
    if (hit != nullptr && after == 1 && IsCharacter(hit) && !hit->GetText().IsEmpty()) {
        if (CEditNode* next = NextSibling(hit))
            return next;
    }
    return hit;
}

// The structural codes the editor replays, and the form of a cell.
bool IsReplayedCode(int code)
{
    switch (code) {
    case UndoCode::kInsertBefore:
    case UndoCode::kInsertAt:
    case UndoCode::kRemoveForward:
    case UndoCode::kRemoveBackward:
    case UndoCode::kRemoveAt:
        return true;
    default:
        return false;
    }
}

}  // namespace

CKuntenEditor::CKuntenEditor(IKuntenEditorHost& host) : m_host(host)
{
    GetGuiLogFont(&m_lfGui);
    CDefaultFontTable::Instance().GetDefaultFont(&m_lfTextDefault, 1);
    m_lfTextDefault.lfHeight = -kTypingHeight;
    m_caret.Reset();
    m_caret.m_logFont = LOGFONTA{};
    FindInstalledFont("\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9", &m_caret.m_logFont);  // "ＭＳ Ｐ明朝"
    m_caret.m_logFont.lfHeight = -kTypingHeight;
    m_caret.m_logFont.lfWidth = 0;
    m_root.AppendChild(new CEditKanCR());
    // Typing into the boxes makes kanbun characters and line breaks.
    RegisterKanbunFamily();
}

CKuntenEditor::~CKuntenEditor()
{
    // The groups first: their actions keep nodes that lie outside the tree.
    m_history.ClearUndo();
}

// ---------------------------------------------------------------------------------------------
// The cell

int CKuntenEditor::SetScaleFromSize(int size)
{
    size = std::abs(size);
    if (size == 0)
        return m_defaultExtent2;  // the zoom would divide by it: the former one stays
    m_displayMap.SetZoom(static_cast<int>(kShownBaseHeight / size));
    m_defaultExtent1 = MulDiv(size, 300, 371);
    m_defaultExtent2 = MulDiv(size, 100, 371);
    return m_defaultExtent2;
}

CEditKan* CKuntenEditor::GetCurrentCell() const
{
    CEditNode* first = m_root.GetEditChild(0);
    if (first == nullptr || !first->IsKind(EditKind::kKan))
        return nullptr;
    return dynamic_cast<CEditKan*>(first);
}

void CKuntenEditor::SelectBaseCharacter()
{
    CEditKan* cell = GetCurrentCell();
    CEditNode* box = cell != nullptr ? cell->GetBaseBox() : nullptr;
    if (box == nullptr)
        return;
    m_caret.m_anchorNode = box->GetFirstInner();
    m_caret.m_anchorAfter = 0;
    m_caret.m_caretNode = box->GetLastInner();
    m_caret.m_caretAfter = 0;
}

std::unique_ptr<CEditKan> CKuntenEditor::SwapCell(std::unique_ptr<CEditKan> cell)
{
    if (m_root.GetChildCount() == 0)
        return nullptr;
    std::unique_ptr<CEditKan> old;
    if (CEditKan* current = GetCurrentCell()) {
        current->Detach();
        old.reset(current);
    }
    if (cell)
        m_root.InsertChildAt(0, cell.release());
    m_caret.ClearSelection();
    m_caret.m_caretNode = m_root.GetFirstInner();
    m_caret.m_caretAfter = 0;
    m_host.Invalidate();
    return old;
}

int CKuntenEditor::GetCellMode() const
{
    CEditKan* cell = GetCurrentCell();
    return cell != nullptr ? cell->GetHyphenMode() : 0;
}

void CKuntenEditor::SetCellMode(int mode)
{
    CEditKan* cell = GetCurrentCell();
    if (cell == nullptr)
        return;
    cell->SetMode(mode, &m_caret, nullptr);
    m_caret.ClearSelection();
    m_caret.m_caretNode = m_root.GetFirstInner();
    m_caret.m_caretAfter = 0;
    m_host.Invalidate();
}

CEditNode* CKuntenEditor::GetMarkBox(KuntenMarkBox box) const
{
    CEditKan* cell = GetCurrentCell();
    if (cell == nullptr)
        return nullptr;
    switch (box) {
    case KuntenMarkBox::LeadBracket: return cell->GetLeadBracketBox();
    case KuntenMarkBox::TrailBracket: return cell->GetTrailBracketBox();
    case KuntenMarkBox::Punctuation: return cell->GetPunctuationBox();
    case KuntenMarkBox::ReturnMark: return cell->GetReturnMarkBox();
    }
    return nullptr;
}

int CKuntenEditor::GetBoxMark(KuntenMarkBox box, std::u16string& text) const
{
    CEditKan* cell = GetCurrentCell();
    if (cell == nullptr)
        return 0;
    CStringW mark;
    int gaiji = 0;
    switch (box) {
    case KuntenMarkBox::LeadBracket: gaiji = cell->GetLeadBracketText(mark); break;
    case KuntenMarkBox::TrailBracket: gaiji = cell->GetTrailBracketText(mark); break;
    case KuntenMarkBox::Punctuation: gaiji = cell->GetPunctuationText(mark); break;
    case KuntenMarkBox::ReturnMark: gaiji = cell->GetReturnMarkText(mark); break;
    }
    text = std::u16string(mark.View());
    return gaiji;
}

void CKuntenEditor::SetBoxMark(KuntenMarkBox box, const std::u16string& text, const std::string& face)
{
    CEditKan* cell = GetCurrentCell();
    if (cell == nullptr)
        return;
    LOGFONTA font{};
    const LOGFONTA* chosen = FindInstalledFont(face.c_str(), &font) ? &font : nullptr;
    const CStringW mark{std::u16string_view(text)};
    switch (box) {
    case KuntenMarkBox::LeadBracket: cell->SetLeadBracketText(mark, chosen); break;
    case KuntenMarkBox::TrailBracket: cell->SetTrailBracketText(mark, chosen); break;
    case KuntenMarkBox::Punctuation: cell->SetPunctuationText(mark, chosen); break;
    case KuntenMarkBox::ReturnMark: cell->SetReturnMarkText(mark, chosen); break;
    }
    m_host.Invalidate();
}

void CKuntenEditor::MoveCaretToBox(KuntenMarkBox box)
{
    if (CEditNode* node = GetMarkBox(box)) {
        m_caret.ClearSelection();
        m_caret.m_caretNode = node->GetFirstInner();
        m_caret.m_caretAfter = 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout, caret and painting

void CKuntenEditor::Relayout(CDC* dc)
{
    if (dc == nullptr)
        dc = m_host.GetMeasuringDC();
    if (dc == nullptr)
        return;
    const SIZE client = m_host.GetClientSize();
    const bool vertical = m_displayMap.IsVertical() != 0;
    // The lines run across the window, or down it in vertical writing.
    const int across = std::max(1, (vertical ? client.cy : client.cx) - 2 * kCellMargin);
    const int down = std::max(1, (vertical ? client.cx : client.cy) - 2 * kCellMargin);
    const int saved = dc->SaveDC();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(m_displayMap.m_scaleDenominatorX, m_displayMap.m_scaleDenominatorY);
    dc->SetViewportExt(m_displayMap.m_resolutionX, m_displayMap.m_resolutionY);
    LAYOUT_CONTEXT measure;
    measure.availableWidth = MulDiv(across, m_displayMap.m_scaleDenominatorX, m_displayMap.m_scaleNumeratorX);
    measure.fullWidth = measure.availableWidth;
    measure.remainingHeight = MulDiv(down, m_displayMap.m_scaleDenominatorY, m_displayMap.m_scaleNumeratorY);
    measure.reserved12 = m_defaultExtent1;
    measure.reserved13 = m_defaultExtent2;
    m_root.SetDirtyRecursive(1);
    m_root.Measure(dc, &m_displayMap, &measure);
    dc->RestoreDC(saved);
    LAYOUT_CONTEXT layout;
    m_root.Layout(&layout, m_displayMap.IsVertical());
    PlaceOrigin();
}

RECT CKuntenEditor::DrawnBounds() const
{
    // The brackets stand before the cell's own rectangle and the kana boxes beside it.
    RECT bounds{};
    bool any = false;
    auto add = [&](const CEditNode* node) {
        RECT r = node->m_rcLayout;
        m_displayMap.DocToDeviceRect(&r);
        const RECT n{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                     std::max(r.top, r.bottom)};
        bounds = any ? RECT{std::min(bounds.left, n.left), std::min(bounds.top, n.top), std::max(bounds.right, n.right),
                            std::max(bounds.bottom, n.bottom)}
                     : n;
        any = true;
    };
    if (CEditKan* cell = GetCurrentCell()) {
        add(cell);
        for (int i = 0; i < cell->GetChildCount(); ++i)
            if (const CEditNode* box = cell->GetEditChild(i))
                add(box);
    }
    return bounds;
}

void CKuntenEditor::PlaceOrigin()
{
    // The box frames reach two pixels past their boxes; the margin leaves room for them.
    const RECT bounds = DrawnBounds();
    const int x = m_displayMap.IsVertical() ? m_host.GetClientSize().cx - kCellMargin - bounds.right
                                            : kCellMargin - bounds.left;
    m_windowOrigin = POINT{-x, -(kCellMargin - bounds.top)};
}

void CKuntenEditor::ClientToDoc(POINT* point) const
{
    point->x += m_windowOrigin.x;
    point->y += m_windowOrigin.y;
    m_displayMap.DeviceToDoc(point);
}

void CKuntenEditor::DocToClient(POINT* point) const
{
    m_displayMap.DocToDevice(point);
    point->x -= m_windowOrigin.x;
    point->y -= m_windowOrigin.y;
}

void CKuntenEditor::UpdateCursor(BOOL takeFormat)
{
    CEditNode* node = m_caret.m_caretNode;
    if (node == nullptr)
        return;
    const RECT& r = node->m_rcLayout;
    m_rcCaret = RECT{r.left, r.top, r.right - r.left, r.bottom - r.top};
    m_ptComposition = POINT{r.left, r.top};
    m_caret.m_caretKind = static_cast<DWORD>(node->GetKind());
    if (takeFormat && IsCharacter(node)) {
        CEditNode* prev = PrevSibling(node);
        const CEditNode* source = prev == nullptr ? node : IsCharacter(prev) ? prev : nullptr;
        if (source != nullptr) {
            m_caret.m_logFont = source->m_lf;
            m_caret.m_font.m_fontWidth = source->FontRecord().m_fontWidth;
            m_caret.m_color.m_color = source->m_color;
            m_caret.m_border.m_backgroundColor = source->BorderRecord().m_backgroundColor;
            m_caret.m_border.m_borderStyle = source->BorderRecord().m_borderStyle;
            m_caret.m_border.m_borderWidth = source->BorderRecord().m_borderWidth;
        } else {
            m_caret.m_logFont = m_lfTextDefault;
        }
    }
    ShowCaretAndIme();
}

void CKuntenEditor::ShowCaretAndIme()
{
    if (!m_host.HasFocus()) {
        m_systemCaret = RECT{};
        return;
    }
    if (m_caret.m_verticalMove == 0)
        m_caret.m_rememberedX = m_rcCaret.left;
    RECT r{m_rcCaret.left, m_rcCaret.top, m_rcCaret.left + m_rcCaret.right, m_rcCaret.top + m_rcCaret.bottom};
    m_displayMap.DocToDeviceRect(&r);
    r = RECT{r.left - m_windowOrigin.x, r.top - m_windowOrigin.y, r.right - m_windowOrigin.x,
             r.bottom - m_windowOrigin.y};
    if (m_displayMap.IsVertical()) {
        const int y = m_caret.m_caretAfter ? r.bottom : r.top;
        m_systemCaret = RECT{r.left, y, r.right, y + kCaretThickness};
    } else {
        const int x = m_caret.m_caretAfter ? r.right : r.left;
        m_systemCaret = RECT{x, r.top, x + kCaretThickness, r.bottom};
    }
    // The composition window's font: the typing font at the window's size, turned in vertical
    // writing; the gaiji face is no face to compose in, so the text default's stands in.
    m_imeFont = m_caret.m_logFont;
    SIZE extent{0, std::abs(m_imeFont.lfHeight)};
    m_displayMap.DocToDeviceExtent(&extent);
    m_imeFont.lfHeight = -std::abs(extent.cx);
    const bool vertical = m_displayMap.IsVertical() != 0;
    m_imeFont.lfEscapement = m_imeFont.lfOrientation = vertical ? 2700 : 0;
    if (std::strstr(m_imeFont.lfFaceName, "Orvellan") != nullptr) {
        LOGFONTA text{};
        CDefaultFontTable::Instance().GetDefaultFont(&text, vertical ? 1 : 0);
        std::memcpy(m_imeFont.lfFaceName, text.lfFaceName, sizeof m_imeFont.lfFaceName);
        m_imeFont.lfCharSet = text.lfCharSet;
        m_imeFont.lfOutPrecision = text.lfOutPrecision;
        m_imeFont.lfClipPrecision = text.lfClipPrecision;
        m_imeFont.lfPitchAndFamily = text.lfPitchAndFamily;
    }
    m_host.CaretChanged();
}

void CKuntenEditor::DrawBorder(CDC* dc, SIZE client)
{
    // A sunken edge: grey and black above and to the left, white and light grey below and right.
    const int right = client.cx - 1;
    const int bottom = client.cy - 1;
    auto edge = [dc](int x0, int y0, int x1, int y1, COLORREF color) {
        CPen pen;
        pen.CreatePen(PS_SOLID, 1, color);
        HPEN old = dc->SelectObject(&pen);
        dc->MoveTo(x0, y0);
        dc->LineTo(x1, y1);
        dc->SelectObject(old);
    };
    edge(0, bottom, 0, 0, 0x808080);
    edge(0, 0, right, 0, 0x808080);
    edge(right, 0, right, bottom, 0xFFFFFF);
    edge(right, bottom, 0, bottom, 0xFFFFFF);
    edge(1, bottom - 1, 1, 1, 0x000000);
    edge(1, 1, right - 1, 1, 0x000000);
    edge(right - 1, 1, right - 1, bottom - 1, 0xC0C0C0);
    edge(right - 1, bottom - 1, 1, bottom - 1, 0xC0C0C0);
}

void CKuntenEditor::DrawBoxFrames(CDC* dc)
{
    CEditKan* cell = GetCurrentCell();
    if (cell == nullptr)
        return;
    std::vector<CEditNode*> boxes{cell->GetLeadBracketBox(), cell->GetTrailBracketBox(), cell->GetPunctuationBox(),
                                  cell->GetReturnMarkBox(), cell->GetRightKanaBox(), cell->GetLeftKanaBox()};
    const int oldRop = dc->SetROP2(R2_XORPEN);
    HGDIOBJ oldBrush = dc->SelectStockObject(NULL_BRUSH);
    for (CEditNode* box : boxes) {
        if (box == nullptr)
            continue;
        RECT r = box->m_rcLayout;
        m_displayMap.DocToDeviceRect(&r);
        r = RECT{r.left - 1, r.top - 1, r.right + 2, r.bottom + 2};
        dc->FrameRect(&r, GetHalftoneBrush());
    }
    dc->SelectObject(oldBrush);
    dc->SetROP2(oldRop);
}

void CKuntenEditor::Paint(CDC* dc)
{
    const SIZE client = m_host.GetClientSize();
    const int saved = dc->SaveDC();
    dc->SetMapMode(MM_TEXT);
    dc->SetWindowOrg(0, 0);
    dc->FillSolidRect(0, 0, client.cx, client.cy, 0xFFFFFF);
    DrawBorder(dc, client);
    Relayout(dc);
    // Drawing in pixels, the cell inside the border; in vertical writing it hangs from the right.
    dc->SetMapMode(MM_TEXT);
    dc->SetWindowOrg(m_windowOrigin.x, m_windowOrigin.y);
    LAYOUT_CONTEXT context;
    m_root.Draw(dc, &m_displayMap, &context);
    if (m_caret.m_anchorNode != nullptr && m_caret.m_caretNode != nullptr)
        m_root.DrawSelection(dc, &m_displayMap, &m_caret);
    DrawBoxFrames(dc);
    dc->RestoreDC(saved);
    m_repainted = 1;
}

bool CKuntenEditor::CheckModified(bool clear)
{
    const bool painted = m_repainted != 0;
    if (clear)
        m_repainted = 0;
    return painted;
}

// ---------------------------------------------------------------------------------------------
// Undo

void CKuntenEditor::PushUndo(std::unique_ptr<CUndoGroup> group)
{
    if (group && group->GetCount() > 0)
        m_history.PushUndo(std::move(group));
}

void CKuntenEditor::Replay(bool undo)
{
    CUndoGroup* group = undo ? m_history.GetUndoRecord() : m_history.GetRedoRecord();
    if (group == nullptr)
        return;
    const UndoDirection direction = undo ? UndoDirection::Undo : UndoDirection::Redo;
    const int count = group->GetCount();
    try {
        for (int i = 0; i < count; ++i) {
            CUndoAction* action = group->GetAt(undo ? count - 1 - i : i);
            // Only the structure and the form of a cell: property changes are never recorded here.
            const bool form = action->m_code == UndoCode::kKanMode && action->m_pNode != nullptr &&
                              action->m_pNode->IsKind(EditKind::kKan);
            if (!form && !IsReplayedCode(action->m_code))
                continue;
            if (ReplayUndoAction(*action, direction) == UndoStep::Abandoned)
                break;
            if (!form && action->m_pSecondNode != nullptr)
                m_caret.m_caretNode = action->m_pSecondNode;
        }
    } catch (const CEditError&) {
        // The actions replayed so far stay replayed; each node is kept by the tree or its action.
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const std::bad_alloc&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    }
    m_caret.ClearSelection();
    // A caret left on a node outside the tree goes back to the cell's start.
    if (m_caret.m_caretNode == nullptr || !m_root.IsAncestorOf(m_caret.m_caretNode)) {
        m_caret.m_caretNode = m_root.GetFirstInner();
        m_caret.m_caretAfter = 0;
    }
    AfterEdit(TRUE);
}

void CKuntenEditor::Undo() { Replay(true); }

void CKuntenEditor::Redo() { Replay(false); }

// ---------------------------------------------------------------------------------------------
// Editing

void CKuntenEditor::AfterEdit(BOOL takeFormat)
{
    if (m_caret.m_caretNode != nullptr)
        m_caret.m_caretNode->MarkPartModified(TRUE);
    Relayout();
    UpdateCursor(takeFormat);
    m_host.Invalidate();
}

void CKuntenEditor::EditingStep(bool replacesSelection, BOOL takeFormat, NodeOperation operation, void* data)
{
    if (m_caret.m_caretNode == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        if (replacesSelection) {
            if (m_caret.m_anchorNode != nullptr && CEditNode::DeleteSelection(&m_caret, group.get())) {
                Relayout();
                UpdateCursor(TRUE);
                m_host.Invalidate();
            }
            m_caret.ClearSelection();
        }
        if (CEditNode* node = m_caret.m_caretNode; node != nullptr && operation(node, &m_caret, group.get(), data))
            AfterEdit(takeFormat);
    } catch (const CEditError&) {
        // What the step recorded before the failure stays undoable with the rest.
        m_host.Invalidate();
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const std::bad_alloc&) {
        m_host.Invalidate();
        ReportKuntenStepFailure(kKuntenEditFailed);
    }
    PushUndo(std::move(group));
}

void CKuntenEditor::InsertText(const std::u16string& text)
{
    if (text.empty())
        return;
    CStringW string{std::u16string_view(text)};
    EditingStep(true, TRUE,
                [](CEditNode* node, CCaret* caret, CUndoGroup* group, void* data) {
                    return node->InsertString(caret, static_cast<CStringW*>(data), group);
                },
                &string);
}

void CKuntenEditor::OnChar(char16_t ch, bool shift)
{
    switch (ch) {
    case 1: return;
    case 3: OnEditCopy(); return;
    case 8:
        EditingStep(false, TRUE, [](CEditNode* n, CCaret* c, CUndoGroup* g, void*) { return n->DeleteBackward(c, g); },
                    nullptr);
        return;
    case 9: MoveByArrow(shift ? kKeyUp : kKeyDown, shift); return;
    case 13:
        EditingStep(false, TRUE, [](CEditNode* n, CCaret* c, CUndoGroup* g, void*) { return n->InsertLineBreak(c, g); },
                    nullptr);
        return;
    case 22: OnEditPaste(); return;
    case 24: OnEditCut(); return;
    case 25: Redo(); return;
    case 26: Undo(); return;
    default: break;
    }
    // Every other control character (Esc, Ctrl+Enter) is left to the dialog's default handling.
    if (ch < 0x20 || ch == 0x7F)
        return;
    InsertText(std::u16string(1, ch));
}

void CKuntenEditor::OnImeComposition(const std::u16string& result)
{
    m_preedit.clear();
    if (m_caret.m_caretNode == nullptr || result.empty())
        return;
    CStringW string{std::u16string_view(result)};
    EditingStep(true, TRUE,
                [](CEditNode* node, CCaret* caret, CUndoGroup* group, void* data) {
                    return node->InsertChars(caret, static_cast<CStringW*>(data), group);
                },
                &string);
}

void CKuntenEditor::OnKeyDown(int key, bool shift)
{
    switch (key) {
    case kKeyLeft:
    case kKeyUp:
    case kKeyRight:
    case kKeyDown:
        MoveByArrow(key, shift);
        break;
    case kKeyDelete:
        EditingStep(false, TRUE, [](CEditNode* n, CCaret* c, CUndoGroup* g, void*) { return n->DeleteForward(c, g); },
                    nullptr);
        break;
    default:
        break;
    }
}

void CKuntenEditor::MoveByArrow(int key, bool shift)
{
    using Move = CEditNode* (CEditNode::*)(CCaret*, int);
    const bool vertical = m_displayMap.IsVertical() != 0;
    Move move = nullptr;
    switch (key) {
    case kKeyLeft: move = vertical ? &CEditNode::MoveDown : &CEditNode::MovePrev; break;
    case kKeyRight: move = vertical ? &CEditNode::MoveUp : &CEditNode::MoveNext; break;
    case kKeyUp: move = vertical ? &CEditNode::MovePrev : &CEditNode::MoveUp; break;
    case kKeyDown: move = vertical ? &CEditNode::MoveNext : &CEditNode::MoveDown; break;
    default: return;
    }
    MoveCaret(move, shift);
}

void CKuntenEditor::MoveCaret(CEditNode* (CEditNode::*move)(CCaret*, int), bool extend)
{
    CEditNode* node = m_caret.m_caretNode;
    if (node == nullptr)
        return;
    const CCaret saved = m_caret;
    const bool upDown = move == &CEditNode::MoveUp || move == &CEditNode::MoveDown;
    try {
        m_caret.m_verticalMove = upDown ? 1 : 0;
        (node->*move)(&m_caret, extend ? 1 : 0);
        m_caret.m_verticalMove = upDown ? 1 : 0;
    } catch (const CEditError&) {
        // A move that finds the tree not as it needs it leaves the caret where it was.
        m_caret = saved;
    }
    // The keys never take the caret out of the cell's boxes.
    CEditNode* now = m_caret.m_caretNode;
    if (now == nullptr || now == &m_root || now->GetParent() == &m_root)
        m_caret = saved;
    UpdateCursor(TRUE);
    m_host.Invalidate();
}

void CKuntenEditor::OnPaletteChar(char16_t ch, const LOGFONTA* font)
{
    m_host.TakeFocus();
    if (m_caret.m_caretNode == nullptr)
        return;
    const LOGFONTA saved = m_caret.m_logFont;
    if (font != nullptr) {
        char face[LF_FACESIZE + 1] = {};
        std::memcpy(face, font->lfFaceName, LF_FACESIZE);
        m_caret.SetTypingFace(face);
    }
    m_caret.m_logFont.lfWeight = 400;
    m_caret.m_logFont.lfItalic = 0;
    m_caret.m_logFont.lfUnderline = 0;
    m_caret.m_logFont.lfStrikeOut = 0;
    CStringW string{std::u16string_view(&ch, 1)};
    EditingStep(true, FALSE,
                [](CEditNode* node, CCaret* caret, CUndoGroup* group, void* data) {
                    return node->InsertString(caret, static_cast<CStringW*>(data), group);
                },
                &string);
    m_caret.m_logFont = saved;
}

// ---------------------------------------------------------------------------------------------
// Mouse

void CKuntenEditor::OnLButtonDown(POINT point)
{
    if (!m_host.HasFocus()) {
        UpdateCursor(TRUE);
        m_host.TakeFocus();
    }
    m_tracking = true;
    m_dragged = false;
    m_trackStart = point;
}

void CKuntenEditor::OnMouseMove(POINT point)
{
    if (!m_tracking)
        return;
    if (!m_dragged && std::abs(point.x - m_trackStart.x) < 2 && std::abs(point.y - m_trackStart.y) < 2)
        return;
    m_dragged = true;
    TrackSelection(m_trackStart, point);
    m_host.Invalidate();
}

void CKuntenEditor::OnLButtonUp(POINT point)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    if (m_dragged) {
        TrackSelection(m_trackStart, point);
        UpdateCursor(TRUE);
    } else {
        FinishClick(point);
    }
    m_host.Invalidate();
}

void CKuntenEditor::TrackSelection(POINT from, POINT to)
{
    ClientToDoc(&from);
    ClientToDoc(&to);
    int afterA = 0;
    int afterB = 0;
    CEditNode* a = m_root.HitTest(from.x, from.y, &afterA);
    CEditNode* b = m_root.HitTest(to.x, to.y, &afterB);
    if (a == nullptr && b == nullptr)
        return;
    if (a == nullptr || b == nullptr) {
        m_caret.ClearSelection();
        return;
    }
    if (a == b) {
        m_caret.m_anchorNode = a;
        m_caret.m_anchorAfter = afterA;
        m_caret.m_caretNode = b;
        m_caret.m_caretAfter = afterB;
        return;
    }
    if (afterA == 1 && NextSibling(a) != nullptr) {
        a = NextSibling(a);
        afterA = 0;
    }
    if (afterB == 1 && NextSibling(b) != nullptr) {
        b = NextSibling(b);
        afterB = 0;
    }
    if (a->GetParent() == b->GetParent()) {
        m_caret.m_anchorNode = a;
        m_caret.m_anchorAfter = afterA;
    } else {
        m_caret.ClearSelection();
    }
    m_caret.m_caretNode = b;
    m_caret.m_caretAfter = afterB;
}

void CKuntenEditor::FinishClick(POINT point)
{
    POINT doc = point;
    ClientToDoc(&doc);
    int after = 0;
    CEditNode* hit = m_root.HitTest(doc.x, doc.y, &after);
    m_caret.ClearSelection();
    if (hit != nullptr) {
        m_caret.m_caretNode = CaretSideOfHit(hit, after);
        m_caret.m_caretAfter = 0;
    }
    UpdateCursor(TRUE);
}

void CKuntenEditor::OnLButtonDblClk(POINT)
{
    CEditNode* node = m_caret.m_caretNode;
    if (node == nullptr || !(node->IsKind(EditKind::kChar) || node->IsKind(EditKind::kMathChar)))
        return;
    CEditNode* anchor = m_caret.m_caretAfter == 1 ? PrevSibling(node) : NextSibling(node);
    if (anchor == nullptr)
        return;
    m_caret.m_anchorNode = anchor;
    m_caret.m_anchorAfter = 0;
    m_host.Invalidate();
}

void CKuntenEditor::OnRButtonDown(POINT point)
{
    POINT doc = point;
    ClientToDoc(&doc);
    int after = 0;
    CEditNode* hit = m_root.HitTest(doc.x, doc.y, &after);
    if (hit == nullptr)
        return;
    hit = CaretSideOfHit(hit, after);
    // A click inside the selection keeps it.
    bool inside = false;
    int first = 0;
    int last = 0;
    if (m_caret.m_anchorNode != nullptr && CEditNode::GetSelectionRange(&m_caret, &first, &last)) {
        CEditNode* parent = m_caret.m_caretNode != nullptr ? m_caret.m_caretNode->GetEditParent() : nullptr;
        for (int i = first; parent != nullptr && i <= last && !inside; ++i) {
            CEditNode* selected = parent->GetEditChild(i);
            inside = selected != nullptr && (selected == hit || selected->IsAncestorOf(hit));
        }
    }
    if (!inside) {
        m_caret.ClearSelection();
        m_caret.m_caretNode = hit;
        m_caret.m_caretAfter = 0;
        UpdateCursor(TRUE);
        m_host.Invalidate();
    }
    m_host.PopupEditMenu(point);
}

// ---------------------------------------------------------------------------------------------
// Clipboard

bool CKuntenEditor::OnCommand(int id)
{
    switch (id) {
    case kEditCopy: OnEditCopy(); return true;
    case kEditCut: OnEditCut(); return true;
    case kEditPaste: OnEditPaste(); return true;
    default: return false;
    }
}

void CKuntenEditor::OnEditCopy()
{
    int first = 0;
    int last = 0;
    CEditNode* parent = m_caret.m_caretNode != nullptr ? m_caret.m_caretNode->GetEditParent() : nullptr;
    if (m_caret.m_anchorNode == nullptr || parent == nullptr || !CEditNode::GetSelectionRange(&m_caret, &first, &last))
        return;
    if (!CopyNodesToClipboard(parent->GetEditChildren(first, last)))
        ReportKuntenStepFailure(kKuntenCopyFailed);
}

void CKuntenEditor::OnEditCut()
{
    if (m_caret.m_anchorNode == nullptr || m_caret.m_caretNode == nullptr)
        return;
    OnEditCopy();
    EditingStep(true, TRUE, [](CEditNode*, CCaret*, CUndoGroup*, void*) -> BOOL { return TRUE; }, nullptr);
}

void CKuntenEditor::OnEditPaste()
{
    PASTED_CLIPBOARD pasted;
    if (!TryReadClipboardForPaste(&ProblemEditorNodeClasses(), &pasted)) {
        // A damaged or foreign list: nothing changes.
        ReportKuntenStepFailure(kKuntenPasteFailed);
        return;
    }
    if (pasted.kind == PASTED_CLIPBOARD::Kind::Nodes)
        PasteNodeList(std::move(pasted.nodes));
    else if (pasted.kind == PASTED_CLIPBOARD::Kind::Text)
        PasteText(pasted.text);
}

void CKuntenEditor::PasteNodeList(std::vector<std::unique_ptr<CEditNode>> nodes)
{
    if (nodes.empty() || m_caret.m_caretNode == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        if (m_caret.m_anchorNode != nullptr)
            CEditNode::DeleteSelection(&m_caret, group.get());
        m_caret.ClearSelection();
        for (std::unique_ptr<CEditNode>& pasted : nodes) {
            CEditNode* caretNode = m_caret.m_caretNode;
            CEditNode* parent = caretNode != nullptr ? caretNode->GetEditParent() : nullptr;
            if (parent == nullptr)
                break;
            std::unique_ptr<CEditNode> inserted;
            if (!parent->HasKindFlags(EditKind::kKanbun)) {
                // Between the cells: each character becomes a cell of its own.
                if (IsCharacter(pasted.get()) && !IsLineBreak(pasted.get()) && !pasted->GetText().IsEmpty()) {
                    auto cell = std::make_unique<CEditKan>();
                    cell->BuildFromText(pasted->GetText(), 0, &m_caret.m_logFont);
                    cell->LockSubBoxes(1);
                    cell->SetSatelliteSizes(nullptr);
                    inserted = std::move(cell);
                }
            } else {
                inserted = NodeForKanbunBox(std::move(pasted));
            }
            if (!inserted)
                continue;  // line breaks and every other node are dropped
            CEditNode* node = inserted.get();
            CUndoAction* action = group->RecordNode(UndoCode::kInsertBefore, node, caretNode, 0, 0);
            if (action == nullptr)
                break;
            caretNode->InsertBefore(inserted.release());
        }
    } catch (const CArchiveException&) {
        // What was pasted before the failure stays, as one step.
        ReportKuntenStepFailure(kKuntenPasteFailed);
    } catch (const CEditError&) {
        ReportKuntenStepFailure(kKuntenPasteFailed);
    } catch (const std::bad_alloc&) {
        ReportKuntenStepFailure(kKuntenPasteFailed);
    }
    PushUndo(std::move(group));
    m_caret.ClearSelection();
    AfterEdit(TRUE);
}

void CKuntenEditor::PasteText(const std::u16string& text)
{
    if (text.empty() || m_caret.m_caretNode == nullptr)
        return;
    auto group = std::make_unique<CUndoGroup>();
    const bool vertical = m_displayMap.IsVertical() != 0;
    CDefaultFontTable& defaults = CDefaultFontTable::Instance();
    try {
        if (m_caret.m_anchorNode != nullptr)
            CEditNode::DeleteSelection(&m_caret, group.get());
        m_caret.ClearSelection();
        for (char16_t ch : text) {
            if (IsControlCharacter(ch))
                continue;  // line ends included: a box takes no line break from text
            CEditNode* node = m_caret.m_caretNode;
            if (node == nullptr)
                break;
            const LOGFONTA saved = m_caret.m_logFont;
            LOGFONTA classFont{};
            int italic = 0;
            if (ch >= u'0' && ch <= u'9') {
                defaults.GetNumericFont(&classFont, vertical);
                italic = defaults.GetNumericItalic(vertical);
            } else if (ch < 0x80) {
                defaults.GetHankakuFont(&classFont, vertical);
                italic = defaults.GetHankakuItalic(vertical);
            } else {
                defaults.GetDefaultFont(&classFont, vertical);
                italic = defaults.GetDefaultItalic(vertical);
            }
            char16_t gaiji = 0;
            if (MapToGaijiChar(ch, &gaiji))
                ApplyInstalledFontFace(&m_caret.m_logFont, vertical ? "@Orvellan Gaiji" : "Orvellan Gaiji");
            else
                ApplyInstalledFontFace(&m_caret.m_logFont, classFont.lfFaceName);
            m_caret.m_logFont.lfItalic = static_cast<BYTE>(italic != 0);
            CStringW one{std::u16string_view(&ch, 1)};
            const BOOL inserted = node->InsertString(&m_caret, &one, group.get());
            if (inserted)
                m_caret.m_logFont = saved;
        }
    } catch (const CEditError&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const std::bad_alloc&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    }
    PushUndo(std::move(group));
    AfterEdit(TRUE);
}

void ReportKuntenStepFailure(const char16_t* text)
{
    ShellMessageBox(text, u"訓点", MB_OK | MB_ICONEXCLAMATION);
}
