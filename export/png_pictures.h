// The picture files of the HTML export: formula bitmaps and object pictures written as 8-bit
// indexed PNG files, and the check of an object's side file before it is drawn.
#pragma once

#include "platform/gdi_objects.h"
#include "platform/win_types.h"

#include <string>

enum class OBJECT_SIDE_FILE_STATE {
    Readable,    // an object side file of a sane size
    Unopenable,  // missing or not readable
    Unreadable,  // opens, but is no object side file or too large to be one
};

// What the side file of an embedded object at path holds.
OBJECT_SIDE_FILE_STATE ReadObjectSideFile(const std::string& path);
// The bitmap as an indexed PNG file at path; false when it cannot be written.
bool WriteBitmapPng(const std::string& path, HBITMAP bitmap);
// An object's picture: a plain frame of its size (1/100 mm, at 96 dots per inch) on white, as
// an indexed PNG file at path; false for an empty or unreasonably large size.
bool WriteObjectFramePng(const std::string& path, SIZE size);
