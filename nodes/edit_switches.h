// Application-wide switches that the node code reads while it measures and draws.
#pragma once

// 1: text is drawn as UTF-16 (the problem editor); 0: text is converted to code page 932 and
// drawn as bytes, wavy lines are polylines and in-text answers keep their colour (the formula
// editor sets it at start-up).
extern int UseWideTextOut;
// 1 while the paper is in vertical writing; new characters, paragraphs and the caret's typing
// font take the vertical default fonts then. Written by the print-file reader.
extern int CurrentWritingVertical;
// 1 makes empty line breaks draw their mark on screen; toggled by the view.
extern int LineBreakMarksVisible;
// 0 hides the drawing of in-text answers (they keep their size and place); toggled by the view.
extern int InTextAnswersVisible;
