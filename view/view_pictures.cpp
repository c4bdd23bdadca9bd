// The picture commands: a picture file into the line at the caret or into a floating frame on
// its own line, and the switch into picture resizing.
#include "view/edit_view_controller.h"

#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_node.h"
#include "nodes/picture_node.h"
#include "nodes/undo.h"
#include "platform/shell.h"
#include "platform/utf8.h"

namespace {

constexpr char16_t kUnreadablePicture[] = u"イメージを読み込めませんでした。\n\n";

// The picture file the user picks; false on Cancel.
bool AskForPictureFile(std::string* path)
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::OpenFile;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.filters = {{u"イメージファイル (*.bmp;*.jpg;*.png)", "*.bmp; *.jpg; *.png"}, {u"全てのファイル (*.*)", "*.*"}};
    if (!ShellFileDialog(request) || request.file.empty())
        return false;
    *path = request.file;
    return true;
}

}  // namespace

CDisplayMap CEditViewController::ActualSizeMap() const
{
    // A picture is its pixel size at 100 % and 96 dpi, whatever the zoom of the moment, turned
    // with the paper.
    CDisplayMap map;
    map.SetResolution(96, 96, 100);
    map.SetVertical(m_displayMap.IsVertical());
    return map;
}

std::unique_ptr<CEditGraphic> CEditViewController::LoadPictureFile()
{
    std::string path;
    if (!AskForPictureFile(&path))
        return nullptr;
    auto picture = std::make_unique<CEditGraphic>();
    CDisplayMap actualSize = ActualSizeMap();
    if (!picture->LoadFile(path.c_str(), &actualSize)) {
        ShellMessageBox(kUnreadablePicture + Utf8ToUtf16(path), kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    return picture;
}

void CEditViewController::OnInsertImageInline()
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent == nullptr || parent->HasKindFlags(EditKind::kFormula))
        return;
    std::unique_ptr<CEditGraphic> picture = LoadPictureFile();
    if (!picture)
        return;
    auto group = std::make_unique<CUndoGroup>();
    try {
        InsertBeforeNode(node, std::move(picture), group.get());
    } catch (const CEditError&) {
    } catch (const std::bad_alloc&) {
    }
    const bool inserted = group->GetCount() > 0;
    FinishChange(std::move(group));
    if (!inserted)
        return;
    // The caret stays before the same node, now behind the picture.
    AfterChange(FALSE);
}

void CEditViewController::OnInsertImage()
{
    CEditNode* node = CaretNode();
    CEditNode* parent = node != nullptr ? node->GetEditParent() : nullptr;
    if (parent == nullptr || !parent->IsKind(EditKind::kSentence))
        return;
    std::unique_ptr<CEditGraphic> picture = LoadPictureFile();
    if (!picture)
        return;
    CreateImageNode(std::move(picture), std::make_unique<CUndoGroup>());
}

void CEditViewController::CreateImageNode(std::unique_ptr<CEditGraphic> picture, std::unique_ptr<CUndoGroup> group)
{
    CEditNode* partNode = CaretNode();
    try {
        CEditNode* frame = InsertFloatingFrame(group.get());
        // The caret goes inside the frame, behind the picture.
        m_caret.m_caretNode = frame->GetFirstInner();
        m_caret.ClearSelection();
        InsertBeforeNode(CaretNode(), std::move(picture), group.get());
    } catch (const std::exception&) {
        // What was built stays, as one step that takes it back.
    }
    if (group->GetCount() == 0)
        return;
    FinishChange(std::move(group));
    m_document.SetModifiedFlag(true);
    if (partNode != nullptr)
        partNode->MarkPartModified(TRUE);
    Relayout();
    UpdateCaret(TRUE);
    UpdateScrollBars();
    InvalidateAll();
}

void CEditViewController::OnImageSize()
{
    if (CaretNode() == nullptr)
        return;
    if (m_nViewMode != ViewMode::kPicture) {
        m_nViewMode = ViewMode::kPicture;
        m_pImage = CaretNode();
    } else {
        m_nViewMode = ViewMode::kText;
        m_pImage = nullptr;
    }
    OnUpdate(UpdateHint::kAll);
}
