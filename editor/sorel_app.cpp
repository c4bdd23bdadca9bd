#include "editor/sorel_app.h"
int RunSorelApp(int, char**) { return 0; }
