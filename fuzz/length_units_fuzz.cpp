// Length and number texts of documents and dialog fields ("12mm", "10.5pt", "1.25"), the
// formatting of what they give, and the labels numbers become.
#include "base/length_units.h"
#include "base/number_labels.h"
#include "base/wide_string.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    std::u16string wide(size / 2, u'\0');
    if (!wide.empty())
        std::memcpy(wide.data(), data, wide.size() * 2);

    const int length = ParseLength(CStringW(std::u16string_view(wide)));
    const int fromNarrow = ParseLength(CStringW(narrow.c_str()));
    const int points = ParsePointsTextToHmm(narrow.c_str());
    (void)ParseDecimal(narrow.c_str());

    CStringW text;
    std::string pointsText;
    for (int units : {length, fromNarrow, points}) {
        FormatLengthPoints(units, text);
        FormatPointsText(units, pointsText);
        int whole = 0, half = 0;
        HmmToPoints(units, whole, half);
        HmmToPointsTenths(units, whole, half);
    }

    // A number stored in a document, shown as every kind of label.
    int number = 0;
    if (size >= 4)
        std::memcpy(&number, data, 4);
    for (auto format : {FormatCircledNumber, FormatCircledIdeograph, FormatKatakanaLabel,
                        FormatLowerLetterLabel, FormatUpperLetterLabel, FormatParenFullWidthNumber,
                        FormatParenKatakanaLabel, FormatParenLowerLetterLabel, FormatParenUpperLetterLabel})
        format(number, text);
    FormatKanjiNumber(number, text, size > 4 ? data[4] % 8 : 0);
    FormatFullWidthNumber(number, text, size > 4 ? data[4] % 8 : 0);
    (void)PointsToHmm(number, size > 5 ? data[5] : 0);
    return 0;
}
