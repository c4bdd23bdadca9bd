// Question and underline labels in the forms of Japanese school print, and the character-class
// tests that pick fonts, keep punctuation from starting a line and recognise blank text.
#pragma once

#include "base/wide_string.h"

void FormatKanjiNumber(int number, CStringW& result, int minimumWidth);
void FormatFullWidthNumber(int number, CStringW& result, int minimumWidth);
void FormatCircledNumber(int number, CStringW& result);
void FormatCircledIdeograph(int number, CStringW& result);
void FormatKatakanaLabel(int number, CStringW& result);
void FormatLowerLetterLabel(int number, CStringW& result);
void FormatUpperLetterLabel(int number, CStringW& result);
void FormatParenFullWidthNumber(int number, CStringW& result);
void FormatParenKatakanaLabel(int number, CStringW& result);
void FormatParenLowerLetterLabel(int number, CStringW& result);
void FormatParenUpperLetterLabel(int number, CStringW& result);

bool IsHalfWidthChar(char16_t unit);
void ToFullWidthOperator(CStringW& text);
bool IsOperatorChar(const CStringW& text);
bool IsAllSpaces(const CStringW& text);
bool IsAllDigits(const CStringW& text);
bool IsAllMathOperators(const CStringW& text);
bool IsAllLineStartForbidden(const CStringW& text);
bool IsQuoteOrLetter(const CStringW& text);
