#include "formula/vumat_doc.h"

#include "base/element_classes.h"
#include "formula/vumat_srvr_item.h"
#include "nodes/display_map.h"
#include "nodes/edit_switches.h"
#include "nodes/undo.h"
#include "platform/codepage.h"
#include "platform/shell.h"
#include "printfile/fo_fragment.h"
#include "printfile/fo_tree.h"

#include <algorithm>
#include <new>

namespace {

constexpr const char16_t* kFoNamespaceDeclaration = u"xmlns:fo='http://www.w3.org/1999/XSL/Format'";
// The data is read in pieces of this size until a piece comes back short.
constexpr UINT kReadPiece = 10;
// Without a stored size the formula is laid out on an A4 page turned sideways.
constexpr int kLayoutWidth = 29700;
constexpr int kLayoutHeight = 21000;

bool Contains(const std::optional<std::u16string>& value, std::u16string_view part)
{
    return value && !value->empty() && value->find(part) != std::u16string::npos;
}

}  // namespace

CVumatDoc::CVumatDoc()
{
    // Formulas are never laid out vertically in this program.
    CurrentWritingVertical = 0;
}

CVumatDoc::~CVumatDoc()
{
    m_history.ClearUndo();
    m_root.reset();
}

void CVumatDoc::DeleteRoot()
{
    // Groups that name nodes of the formula go with it.
    m_history.ClearUndo();
    m_root.reset();
}

void CVumatDoc::MakeEmptyRoot(int useMathsFont)
{
    auto root = std::make_unique<CEditMathSentence>();
    root->m_vertical = 0;
    root->InitContent(useMathsFont);
    m_root = std::move(root);
}

BOOL CVumatDoc::OnNewDocument()
{
    if (!COleServerDoc::OnNewDocument())
        return FALSE;
    if (!m_root)
        MakeEmptyRoot(1);
    LayoutRoot();
    return TRUE;
}

void CVumatDoc::DeleteContents()
{
    ClearUndo();
    DeleteRoot();
    COleServerDoc::DeleteContents();
    UpdateAllViews(0);
}

COleServerItem* CVumatDoc::OnGetEmbeddedItem() { return new CVumatSrvrItem(this); }

void CVumatDoc::OnDeactivateUI(BOOL)
{
    UpdateAllViews(0);
    UpdateAllItems(0);
}

// ---------------------------------------------------------------------------------------------
// FORMULA_OBJECT_DATA

void CVumatDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        std::string bytes;
        if (!StoreObjectData(&bytes))
            throw CArchiveException(CArchiveException::genericException);
        ar.Write(bytes.data(), bytes.size());
        return;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(4096);
    uint8_t piece[kReadPiece];
    for (;;) {
        const UINT got = ar.Read(piece, kReadPiece);
        bytes.insert(bytes.end(), piece, piece + got);
        if (got < kReadPiece || bytes.size() > kMaxObjectData)
            break;
    }
    LoadObjectData(bytes);
}

bool CVumatDoc::StoreObjectData(std::string* bytes)
{
    bytes->clear();
    try {
        auto container = std::make_unique<CFoBlockContainer>();
        XML_BUILD_CONTEXT context;
        context.Clear();
        BuildXmlTree(m_root.get(), container.get(), &context);
        if (m_sizeStored) {
            container->m_width = m_storedWidth;
            container->m_height = m_storedHeight;
        }
        return ExportMathFo(container.get(), bytes);
    } catch (const std::bad_alloc&) {
        bytes->clear();
        return false;
    }
}

bool CVumatDoc::ExportMathFo(CFoBlockContainer* container, std::string* bytes)
{
    return WriteFormulaObjectFragment(container, bytes);
}

void CVumatDoc::LoadObjectData(const std::vector<uint8_t>& bytes)
{
    const auto start = std::find(bytes.begin(), bytes.end(), uint8_t('<'));
    bool loaded = false;
    if (start != bytes.end() && bytes.size() <= kMaxObjectData) {
        const std::string_view text(reinterpret_cast<const char*>(&*start), size_t(bytes.end() - start));
        auto root = std::make_unique<CEditMathSentence>();
        if (LoadXmlString(root.get(), CStringW(Cp932ToWide(text)))) {
            m_history.ClearUndo();
            m_root = std::move(root);
            loaded = true;
            if (m_root->m_width > 0 || m_root->m_height > 0) {
                m_storedWidth = m_root->m_width;
                m_storedHeight = m_root->m_height;
                m_sizeStored = 1;
            }
        }
    }
    // Text that gives no formula (no "<" at all included) leaves the document an empty one.
    if (!loaded && !m_root)
        MakeEmptyRoot(0);
    LayoutRoot();
}

int CVumatDoc::LoadXmlString(CEditMathSentence* root, const CStringW& text)
{
    try {
        XmlDocument document;
        if (!document.loadXML(text.View())) {
            const XmlParseError& error = document.parseError();
            CStringW message;
            message.Format(u"XML Parsing Error: Code=0x%x Source=Line:%ld; Char:%ld Error Description=%s",
                           static_cast<int>(error.errorCode), static_cast<int>(error.line),
                           static_cast<int>(error.linepos), CStringW(error.reason));
            ShellMessageBox(message.View().data(), u"", MB_OK);
            return 0;
        }
        return ReadFoDocument(root, document);
    } catch (const XmlError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int CVumatDoc::ReadFoDocument(CEditMathSentence* root, XmlDocument& document)
{
    try {
        document.setProperty(u"SelectionLanguage", u"XPath");
        document.setProperty(u"SelectionNamespaces", kFoNamespaceDeclaration);
        if (const XmlNode container = document.selectSingleNode(u"//fo:block-container"))
            if (Contains(container.getAttribute(u"id"), u"converted"))
                m_sizeStored = 1;
        const XmlNode top = document.documentElement();
        if (!top)
            return 0;
        // Hidden in-text answers stay hidden for the rest of the process.
        if (top.nodeName() == u"fo:root" && Contains(top.getAttribute(u"id"), u"cyukaiinvisible"))
            InTextAnswersVisible = 0;
        std::unique_ptr<CQNXMLNode> tree(BuildFoTree(top));
        if (!tree || tree->m_typeCode != XEC_FO_ROOT)
            return 0;
        BuildFromFo(tree.get(), root);
        return 1;
    } catch (const XmlError&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Layout

void CVumatDoc::LayoutRoot(CDC* dc, CDisplayMap* map)
{
    if (!m_root)
        return;
    std::unique_ptr<CDC> screen;
    std::unique_ptr<CDC> memory;
    if (dc == nullptr) {
        screen = CreateScreenDC();
        memory = screen ? screen->CreateCompatibleDC() : nullptr;
        if (!memory)
            return;
        dc = memory.get();
    }
    CDisplayMap ownMap;
    if (map == nullptr) {
        ownMap.SetResolution(96, 96, 100);
        map = &ownMap;
    }
    LAYOUT_CONTEXT context;
    context.availableWidth = std::max(m_sizeStored ? m_storedWidth : kLayoutWidth, m_storedWidth);
    context.fullWidth = context.availableWidth;
    context.pageHeight = std::max(m_sizeStored ? m_storedHeight : kLayoutHeight, m_storedHeight);
    context.remainingHeight = context.pageHeight;
    const int savedDc = dc->SaveDC();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(2540, 2540);
    dc->SetViewportExt(96, 96);
    m_root->SetDirtyRecursive(1);
    m_root->Measure(dc, map, &context);
    dc->RestoreDC(savedDc);
    m_root->Layout(&context, map->IsVertical());
}
