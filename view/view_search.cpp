// The question-bank search: the command and its update handler.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateSearchCommand(int id, CMD_UI_STATE* state) const
{
    if (id != ViewCommand::kSearchQuestions)
        return false;
    OnUpdateSearchQuestions(state);
    return true;
}

bool CEditViewController::RunSearchCommand(int id)
{
    if (id != ViewCommand::kSearchQuestions)
        return false;
    OnSearchQuestions();
    return true;
}

void CEditViewController::OnUpdateSearchQuestions(CMD_UI_STATE* state) const
{
    state->known = true;
    state->enabled = m_searchHost != nullptr && m_searchHost->SearchInfoFlag();
}

void CEditViewController::OnSearchQuestions()
{
    if (m_searchHost == nullptr)
        return;
    const SEARCH_ENTRY_POINTS entries = m_searchHost->SearchEntryPoints();
    if (entries.searchProc20 != nullptr)
        SearchWithProc20();
    else if (entries.searchProc2 != nullptr)
        SearchWithProc2();
    else if (entries.searchProc != nullptr)
        SearchWithProc();
}

void CEditViewController::SearchWithProc20() { RunSearch(SearchFlow::WholePaper); }

void CEditViewController::SearchWithProc2() { RunSearch(SearchFlow::Replace); }

void CEditViewController::SearchWithProc() { RunSearch(SearchFlow::Merge); }
