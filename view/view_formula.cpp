// Formula input and templates, furigana and tables.
#include "view/edit_view_controller.h"

bool CEditViewController::UpdateFormulaCommand(int /*id*/, CMD_UI_STATE* /*state*/) const
{
    return false;
}

bool CEditViewController::RunFormulaCommand(int /*id*/)
{
    return false;
}
