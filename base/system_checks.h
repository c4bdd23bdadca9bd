// What the editors ask of the system beyond files and drawing: the version test of start-up
// with the version record it keeps, and the system's text of an error code.
#pragma once

#include "platform/system.h"
#include "platform/win_types.h"

#include <string>

// The system's version record, filled by IsSupportedWindowsVersion at start-up; its platform
// id (1 Windows 95/98/Me, 2 NT) chooses the narrow text output of the drawing code.
extern OSVERSIONINFOA OsVersionInfo;

// Fills OsVersionInfo and tells whether the editors run on this system: 1 on Windows 95/98/Me
// and on NT up to 5.x, 0 otherwise.
int IsSupportedWindowsVersion();
// The same decision for a given record.
int IsSupportedVersion(const OSVERSIONINFOA& info);

// Gives the caller the system's text for a Win32 error code (a copy into the caller's string).
// Returns false and leaves the text as it was for a code the system has no text for.
BOOL FormatSystemMessage(DWORD error, std::string* text);
