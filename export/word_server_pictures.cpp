#include "export/word_server_pictures.h"

#include "base/element_classes.h"
#include "math/math_container.h"
#include "nodes/display_map.h"
#include "nodes/edit_sentence.h"
#include "nodes/edit_switches.h"
#include "platform/clipboard.h"
#include "platform/codepage.h"
#include "platform/gdi.h"
#include "platform/gdi_qt.h"
#include "platform/global_memory.h"
#include "platform/image_files.h"
#include "platform/packed_dib.h"
#include "platform/xml.h"
#include "printfile/fo_to_edit.h"
#include "printfile/fo_tree.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

[[noreturn]] void Refuse(const char16_t* what) { throw WORD_MODEL_ERROR{what}; }

// Pictures on the clipboard are taken at the screen's resolution.
constexpr float kClipboardDpi = 96;
// Formulas and kanbun passages are drawn at print resolution.
constexpr int kFragmentDpi = 300;
constexpr int kHmmPerInch = 2540;
// The extent the formula editor reports: the measured size plus half a millimetre each way.
constexpr int kExtentMargin = 50;
// Fragments are small documents; a larger file is no fragment of the export's.
constexpr size_t kMaxFragmentBytes = size_t(16) << 20;
// Without a width of its own a fragment is laid out on an A4 page turned sideways.
constexpr int kDefaultWidth = 29700;
constexpr int kDefaultHeight = 21000;
// A picture side beyond this many pixels is not drawn.
constexpr int kMaxSide = 8192;

constexpr char16_t kFormulaClass[] = u"Vumat.Document";
constexpr char16_t kKanbunClass[] = u"Tobel.Document";

bool HoldsFormulaKind(const CEditNode* node) { return node->HasKindFlags(EditKind::kFormula); }

const CEditNode* FindFormula(const CEditNode* node)
{
    for (int i = 0; i < node->GetChildCount(); ++i) {
        const CEditNode* child = const_cast<CEditNode*>(node)->GetEditChild(i);
        if (child == nullptr)
            continue;
        if (HoldsFormulaKind(child))
            return child;
        if (const CEditNode* found = FindFormula(child))
            return found;
    }
    return nullptr;
}

RECT Normalised(const RECT& r)
{
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

// The rectangle the visible content of the paragraph covers, in 1/100 mm.
RECT ContentBounds(CEditNode* paragraph)
{
    RECT bounds{};
    bool any = false;
    for (int i = 0; i < paragraph->GetChildCount(); ++i) {
        const CEditNode* child = paragraph->GetEditChild(i);
        if (child == nullptr || !child->IsVisible() || child->HasKindFlags(EditKind::kLineBreak))
            continue;
        const RECT r = Normalised(child->m_rcLayout);
        bounds = any ? RECT{std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                            std::max(bounds.bottom, r.bottom)}
                     : r;
        any = true;
    }
    return bounds;
}

std::string PngOf(QImage& image)
{
    image.setDotsPerMeterX(MulDiv(kFragmentDpi, 10000, 254));
    image.setDotsPerMeterY(MulDiv(kFragmentDpi, 10000, 254));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

WORD_PICTURE PictureFromClipboard()
{
    std::vector<BYTE> dib;
    if (!GetClipboardDib(dib) || !IsValidPackedDib(dib))
        Refuse(u"クリップボードに図がありません。");
    DibLayout layout{};
    if (!ReadDibLayout(dib.data(), dib.size(), &layout))
        Refuse(u"クリップボードの図を読めません。");
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (handle == nullptr)
        Refuse(u"クリップボードの図が大きすぎます。");
    if (void* bytes = GlobalLock(handle)) {
        std::memcpy(bytes, dib.data(), dib.size());
        GlobalUnlock(handle);
    }
    WORD_PICTURE picture;
    std::vector<uint8_t> png;
    const bool encoded = EncodeDibToImage(handle, ImageFormatCode::kPng, 24, &png);
    GlobalFree(handle);
    if (!encoded)
        Refuse(u"クリップボードの図を読めません。");
    picture.png.assign(png.begin(), png.end());
    picture.width = static_cast<float>(layout.width) * 72.0f / kClipboardDpi;
    picture.height = static_cast<float>(layout.height) * 72.0f / kClipboardDpi;
    return picture;
}

WORD_PICTURE PictureFromFragment(const std::u16string& classType, const std::string& path)
{
    const bool formula = classType == kFormulaClass;
    if (!formula && classType != kKanbunClass)
        Refuse(u"この種類のオブジェクトは挿入できません。");
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), &bytes, kMaxFragmentBytes))
        Refuse(u"オブジェクトのファイルを開けません。");
    const auto start = std::find(bytes.begin(), bytes.end(), uint8_t('<'));
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()) + (start - bytes.begin()),
                                static_cast<size_t>(bytes.end() - start));

    // The fragment's tree, through the print-file converters, into a paragraph of its own.
    CEditSentence paragraph;
    int width = 0;
    int height = 0;
    try {
        XmlDocument document;
        if (start == bytes.end() || !document.loadXML(Cp932ToWide(text)))
            Refuse(u"オブジェクトのファイルを読めません。");
        const XmlNode top = document.documentElement();
        std::unique_ptr<CQNXMLNode> tree(top ? BuildFoTree(top) : nullptr);
        if (!tree || tree->m_typeCode != XEC_FO_ROOT)
            Refuse(u"オブジェクトのファイルを読めません。");
        for (int i = 0; i < tree->GetChildCount(); ++i)
            if (const auto* container = dynamic_cast<const CFoBlockContainer*>(tree->GetChildAt(i))) {
                width = container->m_width;
                height = container->m_height;
            }
        CFoToEditBuilder::ForFormulaObject().BuildFromFo(tree.get(), &paragraph);
    } catch (const XmlError&) {
        Refuse(u"オブジェクトのファイルを読めません。");
    }

    // Laid out at print resolution: formulas always horizontally, kanbun in the paper's direction.
    std::unique_ptr<CDC> screen = CreateScreenDC();
    std::unique_ptr<CDC> memory = screen ? screen->CreateCompatibleDC() : nullptr;
    if (!memory)
        Refuse(u"図を描けません。");
    CDisplayMap map;
    map.SetResolution(kFragmentDpi, kFragmentDpi, 100);
    const int vertical = formula ? 0 : CurrentWritingVertical;
    map.SetVertical(vertical);
    LAYOUT_CONTEXT measure;
    measure.availableWidth = width > 0 ? width : kDefaultWidth;
    measure.fullWidth = measure.availableWidth;
    measure.columnWidth = measure.availableWidth;
    measure.remainingHeight = std::max(height, kDefaultHeight);
    measure.pageHeight = measure.remainingHeight;
    measure.page = 1;
    measure.column = 1;
    const int saved = memory->SaveDC();
    memory->SetMapMode(MM_ANISOTROPIC);
    memory->SetWindowExt(kHmmPerInch, kHmmPerInch);
    memory->SetViewportExt(kFragmentDpi, kFragmentDpi);
    paragraph.SetDirtyRecursive(1);
    paragraph.Measure(memory.get(), &map, &measure);
    memory->RestoreDC(saved);
    LAYOUT_CONTEXT layout;
    paragraph.Layout(&layout, vertical);

    // The drawn rectangle in pixels (turned in vertical writing) with half the extent's margin
    // on each side.
    RECT bounds{};
    SIZE extent{};
    if (formula) {
        const CEditNode* node = FindFormula(&paragraph);
        if (node == nullptr)
            Refuse(u"数式がありません。");
        bounds = Normalised(node->m_rcLayout);
        extent = SIZE{node->m_width + kExtentMargin, node->m_height + kExtentMargin};
    } else {
        bounds = ContentBounds(&paragraph);
        extent = SIZE{bounds.right - bounds.left + kExtentMargin, bounds.bottom - bounds.top + kExtentMargin};
    }
    RECT device = bounds;
    map.DocToDeviceRect(&device);
    device = Normalised(device);
    SIZE pixels = extent;
    map.DocToDeviceSize(&pixels);
    pixels = SIZE{std::abs(pixels.cx), std::abs(pixels.cy)};
    if (extent.cx <= kExtentMargin || extent.cy <= kExtentMargin || pixels.cx <= 0 || pixels.cy <= 0 ||
        pixels.cx > kMaxSide || pixels.cy > kMaxSide)
        Refuse(u"図を描けません。");
    const POINT origin{device.left - (pixels.cx - (device.right - device.left)) / 2,
                       device.top - (pixels.cy - (device.bottom - device.top)) / 2};

    // Drawn as on a printed page, without the editing marks of the screen.
    QImage image(pixels.cx, pixels.cy, QImage::Format_RGB32);
    if (image.isNull())
        Refuse(u"図を描けません。");
    image.fill(Qt::white);
    {
        std::unique_ptr<CQtDC> page = CQtDC::ForPreviewPage(&image, kFragmentDpi, kFragmentDpi);
        page->SetMapMode(MM_TEXT);
        page->SetWindowOrg(origin.x, origin.y);
        const EmptySlotMarksHidden noMarks;
        LAYOUT_CONTEXT context;
        paragraph.Draw(page.get(), &map, &context);
        page->End();
    }
    WORD_PICTURE picture;
    picture.png = PngOf(image);
    if (picture.png.empty())
        Refuse(u"図を描けません。");
    // Shown at the extent, across and down the page as drawn.
    const float across = static_cast<float>(vertical ? extent.cy : extent.cx) * 72.0f / kHmmPerInch;
    const float down = static_cast<float>(vertical ? extent.cx : extent.cy) * 72.0f / kHmmPerInch;
    picture.width = across;
    picture.height = down;
    return picture;
}
