// The problem editor's entry point.
#include "editor/sorel_app.h"

int main(int argc, char** argv)
{
    return RunSorelApp(argc, argv);
}
