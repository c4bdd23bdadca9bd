// The mouse in the editing view: clicks and drags that place the caret and select, the trackers
// that resize pictures, objects and answer fields, double clicks, the context menus and the end
// of name-field editing.
#include "view/edit_view_controller.h"

#include "math/formula_family.h"
#include "nodes/drag_selection.h"
#include "nodes/edit_char.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/edit_print.h"
#include "nodes/node_archive.h"
#include "nodes/undo.h"
#include "platform/archive.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kNameFieldLeft = 0x101;  // name-field editing ended

bool IsShift(UINT flags) { return (flags & MouseFlag::kShift) != 0; }

RECT NormalizedRect(const RECT& r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

bool IsCharWithText(const CEditNode* node)
{
    return node != nullptr && node->HasKindFlags(EditKind::kCharacter) && !node->HasKindFlags(EditKind::kLineBreak) &&
           !node->GetText().IsEmpty();
}

bool IsPlainParagraph(const CEditNode* node) { return node != nullptr && node->IsKind(EditKind::kSentence); }

CEditNode* NextEdit(CEditNode* node) { return CEditNode::FromNode(node->GetNextSibling()); }
CEditNode* PrevEdit(CEditNode* node) { return CEditNode::FromNode(node->GetPrevSibling()); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

void CEditViewController::DeviceToLogicalRect(RECT* rect) const
{
    if (m_displayMap.IsVertical()) {
        rect->left -= ClientSize().cx;
        rect->right -= ClientSize().cx;
    }
    m_displayMap.DeviceToDocRect(rect);
}

RECT CEditViewController::NodeDeviceRect(CEditNode* node) const
{
    RECT r = node->m_rcLayout;
    LogicalToDeviceRect(&r);
    return NormalizedRect(r);
}

void CEditViewController::ArmTracker(CRectTracker& tracker, CEditNode* node)
{
    tracker.m_rect = node != nullptr ? NodeDeviceRect(node) : RECT{};
    tracker.m_nStyle = CRectTracker::hatchedBorder | CRectTracker::resizeOutside;
}

int CEditViewController::TrackerHitAt(POINT point)
{
    switch (m_tracking) {
    case Tracking::Selection: return CRectTracker::hitNothing;
    case Tracking::Object: return m_trackerObject.TrackedHandle();
    case Tracking::Image: return m_trackerImage.TrackedHandle();
    case Tracking::Field: return m_trackerField.TrackedHandle();
    case Tracking::None: break;
    }
    CRectTracker* tracker = nullptr;
    CEditNode* node = nullptr;
    if (m_nViewMode == ViewMode::kText && m_pSelection != nullptr) {
        tracker = &m_trackerObject;
        node = m_pSelection;
    } else if (m_nViewMode == ViewMode::kPicture) {
        tracker = &m_trackerImage;
        node = m_pImage;
    } else if (m_nViewMode == ViewMode::kFieldSize) {
        tracker = &m_trackerField;
        node = m_pCurrentField;
    }
    if (tracker == nullptr || node == nullptr)
        return CRectTracker::hitNothing;
    ArmTracker(*tracker, node);
    return tracker->HitTest(point);
}

// ---------------------------------------------------------------------------------------------
// Button down, move, up

void CEditViewController::OnLButtonDown(UINT flags, POINT point)
{
    if (IsTracking() || Root() == nullptr)
        return;
    POINT doc = point;
    DeviceToLogicalPoint(&doc);
    switch (m_nViewMode) {
    case ViewMode::kText:
        if (m_pSelection != nullptr) {
            ArmTracker(m_trackerObject, m_pSelection);
            if (m_trackerObject.HitTest(point) < 0) {
                m_pSelection = nullptr;
                OnUpdate(UpdateHint::kAll);
            } else if (m_trackerObject.Track(point, IsShift(flags))) {
                m_tracking = Tracking::Object;
                return;
            }
        }
        TrackSelection(flags, point);
        return;
    case ViewMode::kPicture: {
        int after = 0;
        CEditNode* child = Root()->ChildAtPoint(doc.x, doc.y, &after);
        if (child != nullptr && child->IsKind(EditKind::kGraphic))
            m_pImage = child;
        ArmTracker(m_trackerImage, m_pImage);
        if (m_pImage == nullptr || m_trackerImage.HitTest(point) < 0) {
            m_pImage = nullptr;
            m_nViewMode = ViewMode::kText;
            OnUpdate(UpdateHint::kAll);
            return;
        }
        if (m_trackerImage.Track(point, IsShift(flags)))
            m_tracking = Tracking::Image;
        return;
    }
    case ViewMode::kFieldSize: OnLButtonDownField(flags, point, doc); return;
    case ViewMode::kNameField: {
        int after = 0;
        if (Root()->NameFieldAtPoint(doc.x, doc.y, &after) != nullptr)
            TrackSelection(flags, point);
        else
            CommitNameFieldEdit();
        return;
    }
    default: return;
    }
}

void CEditViewController::OnLButtonDownField(UINT flags, POINT point, POINT doc)
{
    int after = 0;
    CEditNode* child = Root()->ChildAtPoint(doc.x, doc.y, &after);
    if (IsShift(flags) && IsPlainParagraph(child)) {
        m_pCurrentField = child;
        if (std::find(m_selectedFields.begin(), m_selectedFields.end(), child) == m_selectedFields.end())
            m_selectedFields.push_back(child);
        OnUpdate(UpdateHint::kAll);
        return;
    }
    ArmTracker(m_trackerField, m_pCurrentField);
    if (m_pCurrentField == nullptr || m_trackerField.HitTest(point) < 0) {
        m_pCurrentField = nullptr;
        m_selectedFields.clear();
        m_nViewMode = ViewMode::kText;
        OnUpdate(UpdateHint::kAll);
        return;
    }
    SetFieldTrackerLimits();
    if (m_trackerField.Track(point, IsShift(flags)))
        m_tracking = Tracking::Field;
}

void CEditViewController::SetFieldTrackerLimits()
{
    CEditPrint* root = Root();
    RECT least{0, 0, 2000, 500};
    LogicalToDeviceRect(&least);
    m_trackerField.m_sizeMin = SIZE{std::abs(least.right - least.left), std::abs(least.bottom - least.top)};
    m_trackerField.m_vertical = m_displayMap.IsVertical();
    int printableWidth = 0;
    int printableHeight = 0;
    root->GetPrintableSize(&printableWidth, &printableHeight);
    const int columns = std::max(1, root->m_geometry.columnCount);
    const int columnWidth = (printableWidth - (columns - 1) * root->m_geometry.columnGap) / columns;
    RECT most{0, 0, columnWidth, printableHeight};
    LogicalToDeviceRect(&most);
    m_trackerField.m_maxWidth = std::abs(most.right - most.left);
    m_trackerField.m_maxHeight = std::abs(most.bottom - most.top);
}

void CEditViewController::OnMouseMove(UINT flags, POINT point)
{
    const bool shift = IsShift(flags);
    switch (m_tracking) {
    case Tracking::Selection: m_selectionTracker->TrackMove(point, shift); return;
    case Tracking::Object: m_trackerObject.TrackMove(point, shift); break;
    case Tracking::Image: m_trackerImage.TrackMove(point, shift); break;
    case Tracking::Field: m_trackerField.TrackMove(point, shift); break;
    case Tracking::None: return;
    }
    // The frame being dragged is drawn by the next paint.
    InvalidateAll();
}

void CEditViewController::OnLButtonUp(UINT flags, POINT point)
{
    const bool shift = IsShift(flags);
    bool changed = false;
    switch (m_tracking) {
    case Tracking::Selection: changed = m_selectionTracker->EndTrack(point, shift); break;
    case Tracking::Object: changed = m_trackerObject.EndTrack(point, shift); break;
    case Tracking::Image: changed = m_trackerImage.EndTrack(point, shift); break;
    case Tracking::Field: changed = m_trackerField.EndTrack(point, shift); break;
    case Tracking::None: return;
    }
    FinishTracking(flags, point, changed);
}

void CEditViewController::CancelTracking()
{
    const Tracking was = m_tracking;
    m_tracking = Tracking::None;
    switch (was) {
    case Tracking::Selection: m_selectionTracker.reset(); break;
    case Tracking::Object: m_trackerObject.CancelTrack(); break;
    case Tracking::Image: m_trackerImage.CancelTrack(); break;
    case Tracking::Field: m_trackerField.CancelTrack(); break;
    case Tracking::None: return;
    }
    InvalidateAll();
}

void CEditViewController::FinishTracking(UINT flags, POINT point, bool changed)
{
    const Tracking was = m_tracking;
    m_tracking = Tracking::None;
    switch (was) {
    case Tracking::Selection: FinishSelection(changed); return;
    case Tracking::Object:
        if (!changed) {
            // A click on the object without a drag: an ordinary click at that point.
            TrackSelection(flags, point);
            OnLButtonUp(flags, point);
            return;
        }
        if (m_pSelection != nullptr && CaretNode() != nullptr && CaretNode()->IsKind(EditKind::kObject)) {
            ResizeByTracker(CaretNode(), m_trackerObject.m_rect);
            m_document.SetModifiedFlag(true);
        }
        OnUpdate(UpdateHint::kAll);
        return;
    case Tracking::Image:
        if (changed && m_pImage != nullptr) {
            ResizeByTracker(m_pImage, m_trackerImage.m_rect);
            m_document.SetModifiedFlag(true);
        }
        OnUpdate(UpdateHint::kAll);
        return;
    case Tracking::Field:
        if (changed && m_pCurrentField != nullptr) {
            SetFieldWidths();
            m_document.SetModifiedFlag(true);
        }
        OnUpdate(UpdateHint::kAll);
        return;
    case Tracking::None: return;
    }
}

void CEditViewController::ResizeByTracker(CEditNode* node, const RECT& deviceRect)
{
    // The on-screen width and height: converted with the rotation off.
    RECT r = NormalizedRect(deviceRect);
    const int vertical = m_displayMap.IsVertical();
    m_displayMap.SetVertical(0);
    m_displayMap.DeviceToDocRect(&r);
    m_displayMap.SetVertical(vertical);
    const int width = std::abs(r.right - r.left);
    const int height = std::abs(r.bottom - r.top);
    node->m_width = vertical ? height : width;
    node->m_height = vertical ? width : height;
    if (node->IsKind(EditKind::kObject)) {
        node->m_rcLayout.right = node->m_rcLayout.left + node->m_width;
        node->m_rcLayout.bottom = node->m_rcLayout.top + node->m_height;
    }
    node->MarkDirty();
}

void CEditViewController::SetFieldWidths()
{
    RECT r = m_trackerField.m_rect;
    DeviceToLogicalRect(&r);
    const int width = std::abs(r.right - r.left);
    m_pCurrentField->m_areaWidth = width;
    m_pCurrentField->MarkDirty();
    for (CEditNode* field : m_selectedFields) {
        field->m_areaWidth = width;
        field->MarkDirty();
    }
}

// ---------------------------------------------------------------------------------------------
// Selecting

void CEditViewController::TrackSelection(UINT flags, POINT point)
{
    if (Root() == nullptr)
        return;
    m_selectionTracker = std::make_unique<CSelectionTracker>([this](const RECT& rect) { OnDragSelect(rect); });
    m_selectionTracker->m_rect = RECT{point.x, point.y, point.x, point.y};
    m_drag.Begin(IsShift(flags));
    m_selectionTracker->BeginRubberBand(point, IsShift(flags), true);
    m_tracking = Tracking::Selection;
}

void CEditViewController::FinishSelection(bool changed)
{
    m_selectionTracker.reset();
    if (!changed) {
        // A plain click: no selection, and a click on a character's right half puts the caret after it.
        m_caret.ClearSelection();
        CEditNode* node = CaretNode();
        if (node != nullptr && m_caret.m_caretAfter == 1 && IsCharWithText(node)) {
            if (CEditNode* next = NextEdit(node))
                m_caret.m_caretNode = next;
        }
        UpdateCaret(TRUE);
        node = CaretNode();
        m_pSelection = node != nullptr && node->IsKind(EditKind::kObject) ? node : nullptr;
    }
    InvalidateAll();
}

void CEditViewController::OnDragSelect(const RECT& rect)
{
    CEditPrint* root = Root();
    if (root == nullptr)
        return;
    POINT start{rect.left, rect.top};
    POINT end{rect.right, rect.bottom};
    DeviceToLogicalPoint(&start);
    DeviceToLogicalPoint(&end);
    CEditNode* within = m_nViewMode == ViewMode::kNameField ? m_pNameField : root;
    switch (DragSelect(m_drag, within, start, end, &m_caret)) {
    case DragSelectOutcome::NoHit: return;
    case DragSelectOutcome::OneNode: UpdateCaret(TRUE); break;
    case DragSelectOutcome::Selected:
        UpdateCaret(TRUE);
        InvalidateAll();
        break;
    case DragSelectOutcome::Cleared: InvalidateAll(); break;
    }
    ScrollToPoint(end);
}

// ---------------------------------------------------------------------------------------------
// Double and right clicks

void CEditViewController::OnLButtonDblClk(UINT flags, POINT point)
{
    CEditPrint* root = Root();
    if (root == nullptr || IsTracking())
        return;
    POINT doc = point;
    DeviceToLogicalPoint(&doc);
    int after = 0;
    if (m_nViewMode != ViewMode::kNameField) {
        if (CEditNode* field = root->NameFieldAtPoint(doc.x, doc.y, &after)) {
            m_pNameField = field;
            m_host.PostCommand(ViewCommand::kNameFieldEdit);
            return;
        }
    }
    CEditNode* node = CaretNode();
    if ((m_nViewMode != ViewMode::kText && m_nViewMode != ViewMode::kNameField) || node == nullptr)
        return;
    const auto kind = static_cast<uint32_t>(node->GetKind());
    if (kind == EditKind::kGraphic) {
        m_host.PostCommand(ViewCommand::kImageSize);
    } else if (kind == EditKind::kObject) {
        OnObjectDoubleClick(flags);
    } else if (kind == EditKind::kChar || kind == EditKind::kMathChar) {
        // The character at the caret becomes the selection.
        CEditNode* anchor = m_caret.m_caretAfter == 1 ? PrevEdit(node) : NextEdit(node);
        if (anchor != nullptr) {
            m_caret.m_anchorNode = anchor;
            m_caret.m_anchorAfter = 0;
        }
        InvalidateAll();
    } else if (kind == EditKind::kKanChar || kind == EditKind::kKanCR || kind == EditKind::kKan) {
        m_host.PostCommand(ViewCommand::kKuntenFrame);
    }
}

void CEditViewController::OnRButtonDown(UINT, POINT point)
{
    CEditPrint* root = Root();
    if (root == nullptr || IsTracking() || (m_nViewMode != ViewMode::kText && m_nViewMode != ViewMode::kNameField))
        return;
    POINT doc = point;
    DeviceToLogicalPoint(&doc);
    int after = 0;
    CEditNode* hit = root->HitTest(doc.x, doc.y, &after);
    if (hit == nullptr) {
        CEditNode* field = root->NameFieldAtPoint(doc.x, doc.y, &after);
        if (m_nViewMode == ViewMode::kNameField) {
            if (field == nullptr)
                return;
            hit = field->HitTest(doc.x, doc.y, &after);
        }
        if (hit == nullptr) {
            if (field != nullptr) {
                m_pNameField = field;
                m_host.PopupMenu(ContextMenu::kNameField, m_host.ClientToScreen(point));
            }
            return;
        }
    }
    // A click inside the selection keeps it.
    bool keep = false;
    int first = 0;
    int last = 0;
    CEditNode* node = CaretNode();
    if (m_caret.m_anchorNode != nullptr && node != nullptr && CEditNode::GetSelectionRange(&m_caret, &first, &last)) {
        CEditNode* parent = node->GetEditParent();
        for (int i = first; parent != nullptr && i <= last && !keep; ++i) {
            CEditNode* child = parent->GetEditChild(i);
            if (child == nullptr)
                continue;
            if (child == hit || child->IsAncestorOf(hit)) {
                keep = true;
            } else if (child->IsKind(EditKind::kKan)) {
                m_host.PopupMenu(ContextMenu::kKanbunCell, m_host.ClientToScreen(point));
                return;
            }
        }
    }
    if (!keep) {
        m_caret.ClearSelection();
        m_caret.m_caretNode = hit;
        m_caret.m_caretAfter = 0;
        UpdateCaret(TRUE);
        m_pSelection = hit->IsKind(EditKind::kObject) ? hit : nullptr;
        OnUpdate(UpdateHint::kAll);
    }
    ShowContextMenu(point);
}

void CEditViewController::ShowContextMenu(POINT point)
{
    CEditNode* node = CaretNode();
    if (node == nullptr)
        return;
    // The nearest ancestor decides, in this order.
    static constexpr struct {
        uint32_t kind;
        int menu;
    } kMenus[] = {{EditKind::kKan, ContextMenu::kKanbunCell},
                  {EditKind::kFloat, ContextMenu::kFloatingFrame},
                  {EditKind::kGai, ContextMenu::kTextBox},
                  {EditKind::kKaiPage, ContextMenu::kPageBreak}};
    int menu = ContextMenu::kParagraph;
    for (const auto& row : kMenus) {
        if (node->FindAncestorOfType(EditKind::Code(row.kind), 1) != nullptr) {
            menu = row.menu;
            break;
        }
    }
    m_host.PopupMenu(menu, m_host.ClientToScreen(point));
}

// ---------------------------------------------------------------------------------------------
// The end of name-field editing

void CEditViewController::CommitNameFieldEdit()
{
    CEditPrint* root = Root();
    if (root == nullptr || m_pNameField == nullptr)
        return;
    CEditNode* layer = root->GetNameFieldLayer();
    // Every copy is read before anything changes, so that a failure leaves the paper and the
    // former name fields as they were and records nothing.
    const int count = layer->GetChildCount();
    std::vector<std::unique_ptr<CEditNode>> copies;
    std::unique_ptr<CEditNode> master;
    try {
        CEditNode* edited = m_pNameField;
        const std::vector<BYTE> bytes = NodeListToBytes(std::span<CEditNode* const>(&edited, 1));
        auto readOne = [&bytes]() {
            auto list = NodeListFromBytes(bytes, &ProblemEditorNodeClasses());
            if (list.size() != 1)
                throw CArchiveException(CArchiveException::genericException);
            return std::move(list.front());
        };
        master = readOne();
        for (int i = 0; i < count; ++i)
            copies.push_back(readOne());
    } catch (const CArchiveException&) {
        return;
    }

    auto group = std::make_unique<CUndoGroup>();
    CEditNode* savedCaretNode = m_savedCaret.m_caretNode;
    group->RecordNode(kNameFieldLeft, m_pNameField, savedCaretNode, m_nViewMode, 0);
    m_nViewMode = ViewMode::kText;
    m_caret = m_savedCaret;
    m_pNameField = nullptr;
    m_pSelection = nullptr;
    root->SetNameFieldTemplate(std::move(master));

    // Each former name field out, then a copy of the edited one in, as one step.
    while (layer->GetChildCount() > 0) {
        const int index = layer->GetChildCount() - 1;
        CEditNode* old = layer->GetEditChild(index);
        layer->RemoveChild(old);
        CUndoAction* action = group->RecordNodeEx(UndoCode::kRemoveAt, old, savedCaretNode, index, layer, 0, 0);
        if (action != nullptr)
            action->Keep(std::unique_ptr<CEditNode>(old));
        else
            delete old;
    }
    for (auto& copy : copies) {
        CEditNode* node = copy.release();
        const int index = layer->AppendChild(node);
        group->RecordNodeEx(UndoCode::kInsertAt, node, savedCaretNode, index, layer, 0, 0);
    }
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    OnUpdate(UpdateHint::kAll);
}
