// Reading a print file into a document root: the question-bank data out of the data part, the
// file's own stylesheet applied to the file (with no access to other files or the network), the
// XSL-FO result parsed into element objects and built into editing nodes, and the repairs the
// file leaves open: vertical geometry, part identities, question-bank records, points labels.
#pragma once

#include "base/wide_string.h"
#include "platform/xml.h"

#include <string>

class CEditPrint;

// 1 when the last file read had a question-bank program identifier (even one of blanks only):
// the question-bank search is then offered.
extern int PrintFileSearchInfoFlag;

// A new paper from the empty-paper template of the writing direction.
bool LoadNewTemplate(CEditPrint* root, bool vertical);
// Reads the print file at path (a file-system path) into root, which takes it as its path.
bool LoadXmlFile(CEditPrint* root, const std::string& path);
// Reads a print file's text; a leading U+FEFF is skipped.
bool LoadXmlString(CEditPrint* root, std::u16string_view text);
// The reading proper, on a loaded document. Every failure answers false; the root then keeps
// whatever was filled and must not be shown.
bool ReadPrintXml(CEditPrint* root, XmlDocument& document);

// Shows "<kind>: Code=0x… Source=Line:…; Char:… Error Description=…" for a parse error.
void ReportParseError(const char16_t* kind, const XmlParseError& error);
