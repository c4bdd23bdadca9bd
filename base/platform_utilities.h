// Helpers over the platform that the editors use in many places: painting and measuring packed
// DIBs held in global memory, copying global memory, the input method of a window, the characters
// only the gaiji font draws, the system version test of start-up, the system text of an error,
// existence tests for files and directories, and an int exchange.
#pragma once

#include "platform/fonts.h"
#include "platform/gdi.h"
#include "platform/global_memory.h"
#include "platform/input_context.h"
#include "platform/system.h"
#include "platform/win_types.h"

#include <span>
#include <string>

// The characters the gaiji font "Orvellan Gaiji" draws, each with the Shift-JIS code at which
// the font holds it, in the font's order. The table goes with the font: it holds the pairs
// known here, not the font's full set.
inline constexpr std::span<const GaijiPair> GAIJI_MAP{kGaijiFontPairs};

// The system's version record, filled by IsSupportedWindowsVersion at start-up; its platform
// id (1 Windows 95/98/Me, 2 NT) chooses the narrow text output of the drawing code.
extern OSVERSIONINFOA OsVersionInfo;

// Paints the source rectangle of the DIB into the destination rectangle: a plain copy when both
// have the same size, else stretched. Returns the device context's result; 0 without a DIB or
// when the block is too short for the DIB its header declares.
int PaintDib(HDC dc, const RECT* destination, HGLOBAL dib, const RECT* source, HPALETTE palette);
// A palette of the DIB's colour table; null without a DIB or without a colour table.
HPALETTE CreateDibPalette(HGLOBAL dib);
// Width and height from the header (BITMAPCOREHEADER when its size field is 12, else
// BITMAPINFOHEADER).
int DibWidth(const void* header);
int DibHeight(const void* header);
// Number of colour-table entries: biClrUsed when set, else 2, 16 or 256 for 1, 4 and 8 bits
// per pixel and 0 for more.
WORD DibColorCount(const void* header);
// Width and height in pixels; 0 × 0 for a DIB that cannot be locked and for a top-down one.
SIZE DibSize(HGLOBAL dib);
// A new movable, zeroed block with the same size and bytes; null for null or when no memory.
HGLOBAL CopyGlobalHandle(HGLOBAL block);

// The input method of a window, through its input context (the window code gives windows that
// take text one); a window without a context is closed and takes no changes.
BOOL ImeIsOpen(HWND window);
BOOL ImeSetOpen(HWND window, BOOL open);
BOOL ImeSetCompositionPos(HWND window, const POINT* point);
BOOL ImeSetCompositionFont(HWND window, const LOGFONTA* font);
DWORD ImeGetProperty(HWND window, DWORD index);

// The code of the first pair of GAIJI_MAP for the character.
BOOL FindGaijiCode(char16_t character, WORD* code);
// For a character of GAIJI_MAP: true and the character the system code page assigns to its
// code (U+25A0 when the code has none); false and `out` untouched otherwise.
BOOL MapToGaijiChar(char16_t character, char16_t* out);

// Fills OsVersionInfo and tells whether the editors run on this system: 1 on Windows 95/98/Me
// and on NT up to 5.x, 0 otherwise.
int IsSupportedWindowsVersion();
// The same decision for a given record.
int IsSupportedVersion(const OSVERSIONINFOA& info);

// Gives the caller the system's text for a Win32 error code (a copy into the caller's string).
// Returns false and leaves the text as it was for a code the system has no text for.
BOOL FormatSystemMessage(DWORD error, std::string* text);

// Whether some entry matching the path or wildcard pattern (code page 932) is a directory, or
// is not a directory.
BOOL DirectoryExists(const char* pattern);
BOOL FileExists(const char* pattern);

// Exchanges the two values and returns the first pointer.
int* SwapInts(int* a, int* b);
