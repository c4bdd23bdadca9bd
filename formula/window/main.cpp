// The formula editor's entry point.
#include "formula/window/vumat_program.h"

int main(int argc, char** argv)
{
    return RunVumat(argc, argv);
}
