// The editing view inside the main frame.
#include "editor/view_hookup.h"

#include <QDockWidget>

#include "editor/main_frame.h"
#include "editor/sorel_app.h"
#include "editor/sorel_doc.h"
#include "editor/toolbars.h"
#include "nodes/edit_print.h"
#include "platform/codepage.h"
#include "printfile/print_reader.h"
#include "platform/embedding.h"
#include "platform/shell.h"

#include <QInputDialog>
#include <QStringList>

#include <algorithm>
#include <cstring>

CSorelDoc* CDocumentForView::Doc() const { return m_app.GetDocument(); }

CEditPrint* CDocumentForView::GetRoot() const { return Doc() != nullptr ? Doc()->GetRoot() : nullptr; }

void CDocumentForView::PushUndo(std::unique_ptr<CUndoGroup> group)
{
    if (Doc() != nullptr)
        Doc()->PushUndo(std::move(group));
}

CUndoGroup* CDocumentForView::GetUndoRecord() { return Doc() != nullptr ? Doc()->GetUndoRecord() : nullptr; }

CUndoGroup* CDocumentForView::GetRedoRecord() { return Doc() != nullptr ? Doc()->GetRedoRecord() : nullptr; }

void CDocumentForView::SetModifiedFlag(bool modified)
{
    if (Doc() != nullptr)
        Doc()->SetModifiedFlag(modified);
}

void CDocumentForView::UpdateAllViews(int hint) { m_app.UpdateAllViews(hint); }

SEARCH_ENTRY_POINTS CDocumentForView::SearchEntryPoints() const
{
    SEARCH_ENTRY_POINTS entries;
    entries.searchProc20 = m_app.SearchProc20();
    entries.searchProc2 = m_app.SearchProc2();
    entries.searchProc = m_app.SearchProc();
    return entries;
}

bool CDocumentForView::SearchInfoFlag() const { return Doc() != nullptr && PrintFileSearchInfoFlag != 0; }

void CDocumentForView::ClearUndo()
{
    if (Doc() != nullptr)
        Doc()->ClearUndo();
}

bool CDocumentForView::IsModified() const { return Doc() != nullptr && Doc()->IsModified(); }

std::unique_ptr<CEditPrint> CDocumentForView::TakeRoot()
{
    return Doc() != nullptr ? Doc()->TakeRoot() : nullptr;
}

void CDocumentForView::PutRoot(std::unique_ptr<CEditPrint> root)
{
    if (Doc() != nullptr)
        Doc()->PutRoot(std::move(root));
}

bool CDocumentForView::LoadPlainFile(const std::string& path)
{
    return Doc() != nullptr && Doc()->LoadFile(path, false);
}

bool CDocumentForView::WritePlainFile(const std::string& path)
{
    return Doc() != nullptr && Doc()->WriteFile(path);
}

void CObjectContainer::UpdateAllViews(int hint, CEditNode* node)
{
    if (m_view != nullptr)
        m_view->Controller().OnUpdate(hint, node);
}

void CObjectContainer::SetModifiedFlag(bool modified)
{
    if (CSorelDoc* doc = m_app.GetDocument())
        doc->SetModifiedFlag(modified);
}

bool CObjectContainer::DocToDeviceRect(RECT* rect)
{
    if (m_view == nullptr)
        return false;
    m_view->Controller().LogicalToDeviceRect(rect);
    return true;
}

bool CObjectContainer::DeviceToDocRect(RECT* rect, bool* vertical)
{
    if (m_view == nullptr)
        return false;
    m_view->Controller().DeviceToLogicalRect(rect);
    *vertical = m_view->Controller().GetDisplayMap().IsVertical() != 0;
    return true;
}

long CViewForFrame::OnPaletteChar(char16_t unit, const LOGFONTA& font)
{
    if (m_view != nullptr)
        m_view->Controller().OnPaletteChar(unit, &font);
    return 0;
}

bool CViewForFrame::OnCommand(unsigned id)
{
    return m_view != nullptr && m_view->Controller().OnCommand(static_cast<int>(id));
}

bool CViewForFrame::OnUpdateCommand(unsigned id, bool* enabled, bool* checked)
{
    if (m_view == nullptr)
        return false;
    const CMD_UI_STATE state = m_view->Controller().OnUpdateCommand(static_cast<int>(id));
    if (!state.known)
        return false;
    *enabled = state.enabled;
    *checked = state.check != 0;
    return true;
}

void CViewForFrame::OnBarNotify(const BAR_NOTIFY& notice)
{
    if (m_view == nullptr)
        return;
    CEditViewController& view = m_view->Controller();
    // A zoom typed into the zoom box and confirmed goes to the view.
    if (notice.idFrom == BoxId::kZoom && notice.code == NM_ZOOMCOMBO_RETURN)
        view.OnCommand(ViewCommand::kZoomBox);
    // Enter in the size box applies the size; the font-name box takes a face only when one is
    // selected in it, so Enter there changes nothing.
    if (notice.idFrom == BoxId::kFontSize && notice.code == NM_BARCOMBO_RETURN)
        view.OnBarComboReturn();
    // The bar's refresh request: the boxes show the typing face and size.
    if (notice.idFrom == BoxId::kFontSize && notice.code == NM_BARCOMBO_SELCHANGE)
        view.OnBarComboSelChange();
}

void CNumberingDefaultsForView::GetNumberingDefaults(CKasenRenbanProperties* numbering,
                                                     CCharacterProperties* underline) const
{
    const SOREL_SETTINGS& settings = m_app.Settings();
    numbering->Copy(settings.bango);
    const std::string face = WideToCp932(m_settings.numberingFace);
    std::memset(numbering->m_renbanFace, 0, sizeof numbering->m_renbanFace);
    std::memcpy(numbering->m_renbanFace, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    underline->m_underlineStyle = settings.underlineStyle;
    underline->m_underlineWidth = settings.underlineWidth;
}

void CNumberingDefaultsForView::SetNumberingDefaults(const CKasenRenbanProperties& numbering,
                                                     const CCharacterProperties& underline)
{
    SOREL_SETTINGS& settings = m_app.Settings();
    settings.bango.Copy(numbering);
    settings.underlineStyle = underline.m_underlineStyle;
    settings.underlineWidth = underline.m_underlineWidth;
    m_settings.numberingFace = Cp932ToWide(std::string_view(numbering.m_renbanFace, strnlen(numbering.m_renbanFace, LF_FACESIZE)));
}

void CFrameForView::CaretMoved()
{
    if (m_view != nullptr)
        m_frame.SetPagePaneText(m_view->Controller().PageIndicatorText());
}

bool CFrameForView::RouteCommand(unsigned id)
{
    m_frame.OnCommand(id);
    return true;
}

void CFrameForView::ShowContextMenu(int menuId, QPoint globalPoint) { m_frame.PopupContextMenu(menuId, globalPoint); }

CStandardToolBar* CFrameForView::StandardBar() const
{
    return dynamic_cast<CStandardToolBar*>(m_frame.Bar(BarId::kStandard));
}

// The zoom box shows the view's zoom, and a zoom typed into it goes to the view.
int CFrameForView::ZoomBoxValue() const
{
    const CStandardToolBar* standard = StandardBar();
    return standard != nullptr ? standard->GetZoom() : 100;
}

void CFrameForView::ShowZoomInBox(int percent)
{
    if (CStandardToolBar* standard = StandardBar())
        standard->SetZoom(percent);
}

// While the reading-mark dialog is up the frame takes no input and the palette bar is hidden.
void CFrameForView::SetMainWindowEnabled(bool enabled) { m_frame.setEnabled(enabled); }

bool CFrameForView::HidePaletteBar()
{
    QDockWidget* bar = m_frame.PaletteBar();
    if (bar == nullptr || !bar->isVisible())
        return false;
    bar->hide();
    return true;
}

void CFrameForView::ShowPaletteBar()
{
    if (QDockWidget* bar = m_frame.PaletteBar())
        bar->show();
}

CFrameView::CFrameView(CSorelApp& app, CMainFrame& frame)
    : m_document(app), m_numberingDefaults(app, m_settings), m_frame(frame), m_objects(app, m_view)
{
    m_settings.zoom = app.Settings().zoom;
    m_settings.numberingFace = Cp932ToWide(
        std::string_view(app.Settings().bango.m_renbanFace, strnlen(app.Settings().bango.m_renbanFace, LF_FACESIZE)));
    m_view = new CSorelView(m_document, m_settings, &frame);
    m_view->Controller().m_searchHost = &m_document;
    frame.setCentralWidget(m_view);
    frame.SetActiveView(&m_forFrame);
    m_view->SetFrame(&m_forView);
    m_view->Controller().m_numberingDefaults = &m_numberingDefaults;
    HookFormatBar();
    // Embedded objects: their items are the editor's own, and Insert Object lists the classes
    // that have a server.
    CSorelCntrItem::InstallFactory();
    m_view->Controller().m_pOleDocument = &m_objects;
    m_view->Controller().m_insertObjectDialog = [this](std::string* className) {
        QStringList classes;
        for (const std::string& name : Embedding::InsertableClasses())
            classes << QString::fromStdString(name);
        if (classes.isEmpty())
            classes << QStringLiteral("Vumat.Document");
        bool ok = false;
        const QString chosen = QInputDialog::getItem(&m_frame, QStringLiteral("オブジェクトの挿入"),
                                                     QStringLiteral("オブジェクトの種類:"), classes, 0, false, &ok);
        if (!ok || chosen.isEmpty())
            return false;
        *className = chosen.toStdString();
        return true;
    };
    // Print preview in place of the view; its page-setup button runs the frame's page setup.
    m_forView.printPreview = [this](const CPrintInfo& info) { return m_preview.Open(m_view, &m_forFrame, info); };
    m_preview.pageSetup = [&app] {
        CSorelDoc* doc = app.GetDocument();
        return doc != nullptr ? doc->DoPageSetup(0, nullptr) : IDCANCEL;
    };
}

void CFrameView::UpdateAllViews(int hint)
{
    if (m_view != nullptr)
        m_view->Controller().OnUpdate(hint);
}

bool CFrameView::Relayout()
{
    if (m_view == nullptr)
        return false;
    m_view->Controller().Relayout();
    return true;
}

void CFrameView::CommitPendingEdit()
{
    if (m_view != nullptr && m_view->Controller().GetViewMode() == ViewMode::kNameField)
        m_view->Controller().CommitNameFieldEdit();
}

void CFrameView::InitialUpdate()
{
    if (m_view == nullptr)
        return;
    m_view->Controller().OnInitialUpdate();
    m_frame.SetWritingDirectionUI(m_view->Controller().GetDisplayMap().IsVertical() != 0);
    m_view->setFocus();
}

void CFrameView::HookFormatBar()
{
    auto* bar = dynamic_cast<CFormatToolBar*>(m_frame.Bar(BarId::kFormat));
    if (bar == nullptr)
        return;
    FORMAT_BAR_HOOKS& hooks = m_view->Controller().m_formatBar;
    hooks.getFont = [bar](LOGFONTA* font) { return bar->GetFontName(font); };
    hooks.selectFontName = [bar](const char* face) {
        bar->SelectFontName(QString::fromStdU16String(Cp932ToWide(std::string_view(face, strnlen(face, LF_FACESIZE)))));
    };
    hooks.getSize = [bar](int* size) { return bar->GetSize(size); };
    hooks.setSize = [bar](int size) { bar->SetSize(size); };
}
