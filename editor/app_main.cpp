// RunSorelApp: the program with its windows (stub until the main frame exists).
#include "editor/sorel_app.h"

int RunSorelApp(int, char**) { return 0; }
