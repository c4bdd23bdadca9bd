// The name field and the kanbun commands.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateKanbunCommand(int /*id*/, CMD_UI_STATE* /*state*/) const
{
    return false;
}

bool CEditViewController::RunKanbunCommand(int /*id*/)
{
    return false;
}
