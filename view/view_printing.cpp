// Printing and print preview: the printer's paper from the paper table, the print dialog, one
// page per call laid out at the sheet's top-left and drawn at the device's resolution through the
// same node drawing as the screen, and the preview's reopening after page setup.
#include "view/edit_view_controller.h"

#include "nodes/edit_print.h"
#include "platform/shell.h"

#include <algorithm>

namespace {

constexpr char16_t kCommandFailed[] = u"コマンドの実行に失敗しました。";
constexpr char16_t kPrintFailed[] = u"印刷を開始できませんでした。";
constexpr char16_t kPrintCaption[] = u"印刷";

// The sheets the printer is asked for, portrait, in 1/100 mm.
struct PAPER_ROW {
    int width;
    int height;
    int paperCode;
};
constexpr PAPER_ROW kPaperTable[] = {
    {18200, 25700, PrinterPaper::kB5},
    {21000, 29700, PrinterPaper::kA4},
    {25700, 36400, PrinterPaper::kB4},
};

}  // namespace

bool CEditViewController::UpdatePrintCommand(int id, CMD_UI_STATE* state) const
{
    switch (id) {
    case ViewCommand::kFilePrint:
    case ViewCommand::kFilePrintDirect:
    case ViewCommand::kFilePrintPreview:
        state->enabled = Root() != nullptr;
        return true;
    default:
        return false;
    }
}

bool CEditViewController::RunPrintCommand(int id)
{
    switch (id) {
    case ViewCommand::kFilePrint: OnFilePrint(true); return true;
    case ViewCommand::kFilePrintDirect: OnFilePrint(false); return true;
    case ViewCommand::kFilePrintPreview: OnFilePrintPreview(); return true;
    default: return false;
    }
}

SIZE CEditViewController::PhysicalSheet(const CEditPrint& root)
{
    // The root keeps a vertical paper turned: its stored width runs down the sheet.
    const int width = root.m_geometry.width;
    const int height = root.m_geometry.height;
    return root.m_vertical != 0 ? SIZE{height, width} : SIZE{width, height};
}

SIZE CEditViewController::GetPrintSheet() const
{
    const CEditPrint* root = Root();
    return root != nullptr ? PhysicalSheet(*root) : SIZE{0, 0};
}

PRINTER_PAPER CEditViewController::PaperForPrinter(const CEditPrint& root)
{
    const SIZE sheet = PhysicalSheet(root);
    for (const PAPER_ROW& row : kPaperTable) {
        if (sheet.cx == row.width && sheet.cy == row.height)
            return PRINTER_PAPER{row.paperCode, PrinterOrientation::kPortrait};
        if (sheet.cx == row.height && sheet.cy == row.width)
            return PRINTER_PAPER{row.paperCode, PrinterOrientation::kLandscape};
    }
    return PRINTER_PAPER{};
}

bool CEditViewController::OnPreparePrinting(CPrintInfo* info)
{
    CEditPrint* root = Root();
    if (root == nullptr || info == nullptr)
        return false;
    const PRINTER_PAPER paper = PaperForPrinter(*root);
    SetDevModePaper(paper.paperCode, paper.orientation);
    const int pages = std::max(root->GetPageCount(), 1);
    if (m_previewReopen.reopen != 0) {
        info->m_nCurPage = std::clamp(m_previewReopen.page, 1, pages);
        info->m_nNumPreviewPages = m_previewReopen.pages;
    } else {
        info->m_nNumPreviewPages = 1;
    }
    info->m_nMinPage = 1;
    info->m_nMaxPage = pages;
    info->m_settings = ApplicationPrinter();
    info->m_settings.outputFile.clear();
    if (info->m_bPreview || info->m_bDirect)
        return true;

    SHELL_REQUEST request;
    request.title = kPrintCaption;
    request.minPage = info->m_nMinPage;
    request.maxPage = info->m_nMaxPage;
    request.printerName = info->m_settings.printerName;
    request.copies = info->m_settings.copies;
    if (!ShellPrintDialog(request))
        return false;
    info->m_settings.printerName = request.printerName;
    info->m_settings.outputFile = request.file;
    info->m_settings.copies = std::max(request.copies, 1);
    info->m_nFromPage = request.fromPage;
    info->m_nToPage = request.toPage;
    // The next print dialog starts on the printer chosen now.
    ApplicationPrinter().printerName = request.printerName;
    return true;
}

void CEditViewController::SetPrintOrigin(CDC* dc, const CDisplayMap& map, const RECT& page)
{
    dc->SetMapMode(MM_TEXT);
    int x = 0;
    if (map.IsVertical()) {
        SIZE size{page.right - page.left, page.bottom - page.top};
        map.DocToDeviceSize(&size);  // turned: the page's height runs across the sheet
        x = -size.cx;
    }
    dc->SetWindowOrg(x, 0);
}

void CEditViewController::OnPrint(CDC* dc, CPrintInfo* info)
{
    CEditPrint* root = Root();
    if (root == nullptr || dc == nullptr || info == nullptr)
        return;
    LAYOUT_CONTEXT context;
    context.page = info->m_nCurPage;
    root->LayoutPage(&context, root->m_vertical);

    // The page stands at the document's origin now; drawn at the device's resolution, 100 %.
    CDisplayMap map = m_displayMap;
    map.SetVertical(root->m_vertical);
    map.SetOrigin(0, 0);
    map.SetResolution(dc->GetDeviceCaps(LOGPIXELSX), dc->GetDeviceCaps(LOGPIXELSY), 100);
    // The whole sheet, as the screen draws the page: a vertical page's first column stands at
    // the sheet's right edge, not a top margin further in.
    const RECT page{0, 0, root->m_geometry.width, root->m_geometry.height};
    SetPrintOrigin(dc, map, page);

    context = LAYOUT_CONTEXT();
    context.page = info->m_nCurPage;
    root->DrawPage(dc, &map, &context);
}

void CEditViewController::OnFilePrint(bool withDialog)
{
    CPrintInfo info;
    info.m_bDirect = !withDialog;
    if (!OnPreparePrinting(&info))
        return;
    const int first = info.m_nFromPage > 0 ? std::clamp(info.m_nFromPage, info.m_nMinPage, info.m_nMaxPage) : info.m_nMinPage;
    const int last = info.m_nToPage > 0 ? std::clamp(info.m_nToPage, first, info.m_nMaxPage) : info.m_nMaxPage;
    std::unique_ptr<CPrintJob> job = CPrintJob::Start(info.m_settings, std::u16string());
    if (!job) {
        ShellMessageBox(kPrintFailed, kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    bool printed = true;
    for (int page = first; page <= last && printed; ++page) {
        if (page > first && !job->NewPage()) {
            printed = false;
            break;
        }
        info.m_nCurPage = page;
        OnPrint(job->DC(), &info);
    }
    printed = job->End() && printed;
    OnEndPrinting();
    if (!printed)
        ShellMessageBox(kPrintFailed, kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CEditViewController::OnFilePrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = true;
    const bool prepared = OnPreparePrinting(&info);
    if (!prepared || !m_host.ShowPrintPreview(info))
        ShellMessageBox(kCommandFailed, kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CEditViewController::OnEndPrinting() { OnUpdate(UpdateHint::kAll); }

void CEditViewController::OnEndPrintPreview() { OnUpdate(UpdateHint::kAll); }
