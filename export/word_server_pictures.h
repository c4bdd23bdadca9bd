// The pictures our Word server places inline: the clipboard's picture (a DIB) for Paste, and
// formulas and kanbun passages from the fragment files of AddOLEObject, read with the print-file
// converters, laid out and drawn by the node model at 300 dots per inch. The size a fragment's
// picture is shown at is the extent the formula editor would report for it: the measured size
// plus half a millimetre on each axis.
#pragma once

#include "export/word_server_model.h"

#include <string>

// The clipboard's picture as a PNG at its size at 96 dots per inch; throws WORD_MODEL_ERROR when
// the clipboard holds no picture or one beyond the imaging layer's limits.
WORD_PICTURE PictureFromClipboard();
// The picture of a fragment file of the object class ("Vumat.Document" for a formula,
// "Tobel.Document" for a kanbun passage); throws WORD_MODEL_ERROR for another class, a file
// that is missing, too large or does not parse, or a fragment that draws nothing.
WORD_PICTURE PictureFromFragment(const std::u16string& classType, const std::string& path);
