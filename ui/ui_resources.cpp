#include "ui/ui_resources.h"

#include <QtGlobal>

// Outside any namespace, as the registration macro requires.
static void RegisterUiResources()
{
    Q_INIT_RESOURCE(ui);
}

void InitUiResources()
{
    static const bool registered = (RegisterUiResources(), true);
    (void)registered;
}
