// The question-bank search.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateSearchCommand(int /*id*/, CMD_UI_STATE* /*state*/) const
{
    return false;
}

bool CEditViewController::RunSearchCommand(int /*id*/)
{
    return false;
}
