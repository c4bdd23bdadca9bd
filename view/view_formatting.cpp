// Character formatting, in-text answers, page breaks and underline numbering.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateFormattingCommand(int /*id*/, CMD_UI_STATE* /*state*/) const
{
    return false;
}

bool CEditViewController::RunFormattingCommand(int /*id*/)
{
    return false;
}
