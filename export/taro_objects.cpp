// Formulas, kanbun passages, pictures and embedded objects of the Ichitaro export: formulas and
// kanbun passages as fragment files Ichitaro embeds by their extension, pictures as JPEG files
// zoomed to their size in the paper, objects pasted from the clipboard.
#include "export/taro_steps.h"
#include "export/taro_writer.h"

#include "base/dib_helpers.h"
#include "base/length_units.h"
#include "export/word_steps.h"
#include "nodes/edit_box.h"
#include "nodes/edit_kind.h"
#include "nodes/edit_object.h"
#include "nodes/edit_switches.h"
#include "nodes/picture_node.h"
#include "platform/embedding.h"
#include "platform/gdi.h"
#include "platform/global_memory.h"
#include "platform/image_files.h"
#include "platform/utf8.h"

#include <cstdint>
#include <vector>

using namespace taro;

namespace {

// InsertOLEObject's fifth argument: a formula object, a kanbun object.
constexpr int kFormulaObject = 2;
constexpr int kKanbunObject = 0;
// The resolution the vertical zoom is counted at.
constexpr int kFixedResolution = 96;

void InsertFragment(const CTaroDispatch& library, const std::string& path, int kind)
{
    library.InsertOLEObject(
        WithMissing({L(2), S(Utf8ToUtf16(path)), L(3), L(0), L(kind), L(1), L(0)}, 3));
}

// The screen's vertical logical resolution, 96 without a screen.
int ScreenResolutionY()
{
    const std::unique_ptr<CDC> screen = CreateScreenDC();
    const int resolution = screen ? screen->GetDeviceCaps(LOGPIXELSY) : 0;
    return resolution > 0 ? resolution : kFixedResolution;
}

}  // namespace

int IchitaroIndentColumn(int indent) { return MulDiv(indent, 2, PointsToHmm(10, 5)); }

std::optional<LONG> IchitaroPictureZoom(int size, int pixels, int resolution)
{
    if (resolution <= 0)
        return std::nullopt;
    const int inches = pixels / resolution;
    if (inches <= 0)
        return std::nullopt;
    return static_cast<LONG>(size / 2540.0 * 100.0 / inches);
}

void CTaroDocumentWriter::WriteFormula(CEditNode* container, int index, int indent)
{
    WordStep([&] {
        const CEditBox* box = BoxOf(container, container->GetEditChild(index));
        if (box == nullptr)
            throw COleException(E_POINTER);  // no layout: the formula is left out
        const CExportTempFile file = WriteFragmentFile(container, {index}, box->m_width - indent, box->m_height, true,
                                                       CurrentWritingVertical != 0, m_temp.Folder());
        InsertFragment(m_library, file.Path(), kFormulaObject);
    });
}

int CTaroDocumentWriter::WriteKanbun(CEditNode* container, int index, int indent)
{
    const KANBUN_PASSAGE passage = GatherKanbunPassage(container, index);
    WordStep([&] {
        const CEditBox* box = BoxOf(container, container->GetEditChild(index));
        if (box == nullptr)
            throw COleException(E_POINTER);  // no layout: the passage is left out
        const CExportTempFile file = WriteFragmentFile(container, passage.indexes, box->m_width - indent,
                                                       box->m_height, false, CurrentWritingVertical != 0,
                                                       m_temp.Folder());
        InsertFragment(m_library, file.Path(), kKanbunObject);
    });
    if (passage.returnDue)
        m_library.InsertReturn({L(1), L(1)});
    return passage.next;
}

bool CTaroDocumentWriter::WritePictureFile(CEditNode* picture, const std::string& path) const
{
    HGLOBAL copy = CopyGlobalHandle(static_cast<CEditGraphic*>(picture)->GetDib());
    if (copy == nullptr)
        return false;
    std::vector<uint8_t> jpeg;
    const bool encoded = EncodeDibToImage(copy, ImageFormatCode::kJpeg, 24, &jpeg);
    GlobalFree(copy);
    return encoded && WriteWholeFileReplacing(path.c_str(), jpeg);
}

void CTaroDocumentWriter::WritePicture(CEditNode* picture, int indent)
{
    const auto* graphic = static_cast<const CEditGraphic*>(picture);
    // Where the picture goes, to come back to after it; a value that cannot be read stays 0.
    CELLPOS back;
    WordStep([&] { back.page = Integer(m_library.GetPage()); });
    WordStep([&] { back.line = Integer(m_library.GetRow()); });
    if (indent > 0)
        back.column = IchitaroIndentColumn(indent);
    else
        WordStep([&] { back.column = Integer(m_library.GetColumn()); });

    VARIANT frame;
    {
        // The file is gone when this block ends, inserted or not.
        CExportTempFile file(NewFragmentPath(m_temp.Folder(), "IMG", ".JPG"));
        if (!file.Empty() && WritePictureFile(picture, file.Path()))
            WordStep([&] {
                frame = m_library.InsertPicture({S(Utf8ToUtf16(file.Path())), L(0), L(1), L(1), L(3), L(0), L(0), L(1)});
            });
    }
    int pageAfter = 0;
    WordStep([&] { pageAfter = Integer(m_library.GetPage()); });

    int frameId = 0;
    WordStep([&] { frameId = Integer(frame); });
    if (frameId > 0) {
        const auto horizontal = IchitaroPictureZoom(picture->m_width, graphic->GetPixelWidth(), ScreenResolutionY());
        const auto vertical = IchitaroPictureZoom(picture->m_height, graphic->GetPixelHeight(), kFixedResolution);
        if (horizontal && vertical) {
            WordStep([&] {
                m_library.SelectFrameID({L(frameId)});
                m_library.ZoomFrameMode({L(1)});
                m_library.ZoomFrame({L(*horizontal), L(*vertical), L(0)});
                m_library.CancelMode();
            });
            WordStep([&] { m_library.CancelSelectFrame(); });
        }
    }
    WordStep([&] {
        if (pageAfter >= 1 && pageAfter != back.page)
            m_library.Jump({L(pageAfter), L(1), L(1)});
        else
            m_library.Jump({L(pageAfter), L(back.line), L(back.column)});
    });
}

void CTaroDocumentWriter::WriteObject(CEditNode* object)
{
    const COleClientItem* item = static_cast<CEditObject*>(object)->GetClientItem();
    if (IsBlankItem(item))
        return;
    // The user's clipboard is kept before the first object goes through it.
    m_clipboard.Take();
    // An object that did not reach the clipboard is not pasted: Ichitaro would paste what is there.
    if (!item->CopyToClipboard())
        return;
    WordStep([&] { m_library.PasteOLEObject(WithMissing({L(1), L(0), L(3), L(0), L(0), L(1), L(0)}, 3)); });
}
