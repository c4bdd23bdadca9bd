// The update patch's message boxes on the screen: the shell's requests shown as Qt message boxes.
#pragma once

// Answers the shell's message boxes with windows; where no one can see a window (the offscreen
// and minimal platforms) the text goes to the standard error stream and the safe answer is given.
void InstallPatchMessageBoxes();
