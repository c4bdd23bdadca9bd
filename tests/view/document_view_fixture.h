// The document of the program with the editing view around it, for the document's commands
// that change the paper and are undone through the view: a document without files, a host whose
// active view is the controller, and the document as the view reaches it.
#pragma once

#include "tests/view/view_fixture.h"

#include "editor/print_file_access.h"
#include "editor/sorel_doc.h"
#include "nodes/edit_kind.h"

namespace viewtest {

// A new paper is an empty root; nothing else is read or written.
class NoFiles : public IPrintFileAccess {
public:
    bool LoadNewTemplate(CEditPrint*, bool) override { return true; }
    bool LoadXmlFile(CEditPrint*, const std::string&) override { return false; }
    bool WritePrintFile(CEditPrint*, const std::string&) override { return false; }
    bool PackFilesToCabinet(const std::vector<std::string>&, const std::string&, const std::string&) override
    {
        return false;
    }
    bool ExtractCabinet(const std::string&, const std::string&) override { return false; }
    std::string GetExtractedFirstFile() override { return {}; }
    bool ExportHtml(CEditPrint*, const std::string&) override { return false; }
    bool ExportText(CEditPrint*, const std::string&) override { return false; }
};

// The program around the document: the editing view is its active view.
class ViewDocHost : public CSorelDocHost {
public:
    bool RelayoutActiveView() override
    {
        if (view == nullptr)
            return false;
        view->Relayout();
        return true;
    }
    void UpdateAllViews(int hint) override
    {
        hints.push_back(hint);
        if (view != nullptr)
            view->OnUpdate(hint);
    }
    CEditViewController* view = nullptr;
    std::vector<int> hints;
};

// The document as the view reaches it.
class DocumentForView : public IViewDocument {
public:
    explicit DocumentForView(CSorelDoc& doc) : m_doc(doc) {}
    CEditPrint* GetRoot() const override { return m_doc.GetRoot(); }
    void PushUndo(std::unique_ptr<CUndoGroup> group) override { m_doc.PushUndo(std::move(group)); }
    CUndoGroup* GetUndoRecord() override { return m_doc.GetUndoRecord(); }
    CUndoGroup* GetRedoRecord() override { return m_doc.GetRedoRecord(); }
    void SetModifiedFlag(bool modified) override { m_doc.SetModifiedFlag(modified); }
    void UpdateAllViews(int) override {}

private:
    CSorelDoc& m_doc;
};

class NameField : public CEditSentence {
public:
    NameField() : CEditSentence(EditKind::Code(EditKind::kKimeiran))
    {
        AddChars(this, u"name");
        AddCR(this);
    }
};

}  // namespace viewtest
