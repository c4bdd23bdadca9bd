// Question structure, question numbers and points.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateQuestionCommand(int /*id*/, CMD_UI_STATE* /*state*/) const
{
    return false;
}

bool CEditViewController::RunQuestionCommand(int /*id*/)
{
    return false;
}
