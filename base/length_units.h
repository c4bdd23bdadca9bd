// Lengths are integers in 1/100 mm; points appear only in texts. Conversions between the two,
// and the readers and writers of length texts.
#pragma once

#include "base/wide_string.h"

#include <string>

int PointsToHmm(int points, int tenths);
// Whole points and a half digit (0 or 5), rounded to the half point; a negative length gives
// both parts negated (-370 is -10 and -5).
void HmmToPoints(int units, int& points, int& half);
// Whole points and tenths, truncated toward zero.
void HmmToPointsTenths(int units, int& points, int& tenths);

// Reads "12mm", "1.5mm", "10pt", "10.5pt"; any other text gives 0.
int ParseLength(const CStringW& text);
// The same, false when the text is no length of that form ("1.2em", "12", "xmm").
bool TryParseLength(const CStringW& text, int& units);
void FormatLengthPoints(int units, CStringW& out);
// The length that units become when written by FormatLengthPoints and read back. Readers keep
// lengths that the writer writes in half points at this precision: a value a save would round
// is rounded on reading already, so that one save cannot make two different values equal (and
// the runs or tokens that held them merge on the next read).
int RoundToWrittenPoints(int units);

// Reads the number of a spin-button edit field, e.g. "1.25".
double ParseDecimal(const char* text);
// Reads a font size typed in points, which the size dialog accepts in half points.
int ParsePointsTextToHmm(const char* text);
void FormatPointsText(int units, std::string& out);
