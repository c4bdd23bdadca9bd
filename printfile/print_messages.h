// The messages that reading and saving a print file show the user. They go to one sink, which
// the program points at its message box and tests point at a recorder; without one they are
// written to the standard error stream.
#pragma once

#include "base/wide_string.h"

#include <functional>
#include <vector>

using PrintFileMessageSink = std::function<void(const CStringW& text)>;

// Installs the sink and returns the former one.
PrintFileMessageSink SetPrintFileMessageSink(PrintFileMessageSink sink);
void ShowPrintFileMessage(const CStringW& text);

// Tells which pictures of a paper just read could not be loaded and stand as placeholders: one
// message naming every file, one line each; nothing for an empty list.
void ReportMissingPictures(const std::vector<CStringW>& lines);
