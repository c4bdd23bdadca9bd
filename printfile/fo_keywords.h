// The FO attribute values that the print-file template emitters and the fragment writers share:
// the keywords of line styles, background patterns and numbering types, and the numbering
// attributes of labelled runs, ruby and kanbun cells.
#pragma once

#include "base/property_records.h"
#include "base/wide_string.h"
#include "platform/win_types.h"
#include "platform/xml.h"

// The line width code that decorations write as "thick".
inline constexpr int kLineWidthThick = 3;

// Border and line styles 1 to 7; null outside.
const char16_t* LineStyleKeyword(int style);
// Background patterns 1 to 6; null outside.
const char16_t* BackgroundPatternKeyword(int pattern);
// Numbering types 1 to 6; any other type gives an empty value.
const char16_t* NumberingTypeKeyword(int type);

// A face name of a property record, which fills its whole field when it is that long.
CStringW FaceNameText(const char (&face)[LF_FACESIZE]);

// The numbering attributes ("bango-...") of the record; nothing for a type of 0 or less.
void WriteNumberingAttributes(XmlNode& element, const CKasenRenbanProperties& numbering);
