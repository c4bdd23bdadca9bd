// Embedded objects.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateObjectCommand(int /*id*/, CMD_UI_STATE* /*state*/) const
{
    return false;
}

bool CEditViewController::RunObjectCommand(int /*id*/)
{
    return false;
}
