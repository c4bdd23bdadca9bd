#include "nodes/edit_switches.h"

int UseWideTextOut = 1;
int CurrentWritingVertical = 0;
int LineBreakMarksVisible = 0;
int InTextAnswersVisible = 1;
