#include "base/length_units.h"

#include "platform/win_types.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

namespace {

constexpr int kHmmPerInch = 2540;
constexpr int kPointsPerInch = 72;

// The fraction digits that follow the first point of the text, at most six of them, with their
// count; digits beyond the sixth are too small to change a length.
struct Fraction {
    int value = 0;
    int scale = 1;  // 10 to the number of digits taken
};

Fraction FractionAfterPoint(std::u16string_view text, size_t point)
{
    Fraction f;
    for (size_t i = point + 1; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && f.scale < 1000000; ++i) {
        f.value = f.value * 10 + (text[i] - u'0');
        f.scale *= 10;
    }
    return f;
}

bool StartsNegative(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsWideSpace(text[i]))
        ++i;
    return i < text.size() && text[i] == u'-';
}

// |value|, with the most negative int taken as the largest positive one.
int Magnitude(int value) { return value == INT_MIN ? INT_MAX : (value < 0 ? -value : value); }

// Lengths read from files may be absurdly large; they stop at the ends of the int range.
int Saturate(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

// Whole points in units, stopping at the ends of the int range where MulDiv would fail.
int64_t WholePointsToHmm(int points)
{
    constexpr int kLargestPoints = static_cast<int>(int64_t{INT_MAX} * kPointsPerInch / kHmmPerInch);
    if (Magnitude(points) > kLargestPoints)
        return points < 0 ? INT_MIN : INT_MAX;
    return MulDiv(points, kHmmPerInch, kPointsPerInch);
}

} // namespace

int PointsToHmm(int points, int tenths)
{
    return Saturate(static_cast<int64_t>(MulDiv(points, kHmmPerInch, kPointsPerInch)) +
                    MulDiv(tenths, kHmmPerInch / 10, kPointsPerInch));
}

void HmmToPointsTenths(int units, int& points, int& tenths)
{
    const int64_t v = static_cast<int64_t>(units) * kPointsPerInch;
    const int64_t whole = v / kHmmPerInch;
    const int64_t rest = v - whole * kHmmPerInch;
    points = static_cast<int>(whole);
    tenths = static_cast<int>(rest * 100 / kHmmPerInch / 10);
}

void HmmToPoints(int units, int& points, int& half)
{
    // A negative length mirrors its positive one, both parts negated, so that texts written
    // from it read back the same.
    const int64_t v = (units < 0 ? -int64_t{units} : int64_t{units}) * kPointsPerInch;
    int64_t whole = v / kHmmPerInch;
    const int64_t rest = v - whole * kHmmPerInch;
    const int64_t hundredths = rest * 100 / kHmmPerInch;
    int64_t halfDigit = 0;
    if (hundredths > 60)
        whole += 1;
    else if (hundredths >= 40)
        halfDigit = 5;
    points = static_cast<int>(units < 0 ? -whole : whole);
    half = static_cast<int>(units < 0 ? -halfDigit : halfDigit);
}

bool TryParseLength(const CStringW& text, int& result)
{
    result = 0;
    const std::u16string_view units = text.View();
    const int mm = text.Find(u"mm");
    const int point = text.Find(u'.');
    const bool negative = StartsNegative(units);
    int whole = 0;
    int fractionRead = 0;
    if (mm > 0) {
        if (point > 0) {
            const int read = WideScan(units, u"%d.%dmm", {&whole, &fractionRead});
            if (read < 2) {
                result = Saturate(int64_t{whole} * 100);
                return read > 0;
            }
            // The digits after the point are a decimal fraction of a millimetre, signed like the number.
            const Fraction f = FractionAfterPoint(units, point);
            const int hundredths = MulDiv(f.value, 100, f.scale);
            const int64_t magnitude = int64_t{Magnitude(whole)} * 100 + hundredths;
            result = Saturate(negative ? -magnitude : magnitude);
            return true;
        }
        const int read = WideScan(units, u"%dmm", {&whole});
        result = Saturate(int64_t{whole} * 100);
        return read > 0;
    }
    if (text.Find(u"pt") > 0) {
        if (point > 0) {
            const int read = WideScan(units, u"%d.%dpt", {&whole, &fractionRead});
            if (read < 2) {
                result = Saturate(WholePointsToHmm(whole));
                return read > 0;
            }
            // Tenths of a point as the single-digit case gives them, finer digits in proportion.
            const Fraction f = FractionAfterPoint(units, point);
            const int fraction = MulDiv(f.value, kHmmPerInch / 10, kPointsPerInch * (f.scale / 10));
            const int64_t magnitude = WholePointsToHmm(Magnitude(whole)) + fraction;
            result = Saturate(negative ? -magnitude : magnitude);
            return true;
        }
        const int read = WideScan(units, u"%dpt", {&whole});
        result = Saturate(WholePointsToHmm(whole));
        return read > 0;
    }
    return false;
}

int ParseLength(const CStringW& text)
{
    int units = 0;
    TryParseLength(text, units);
    return units;
}

void FormatLengthPoints(int units, CStringW& out)
{
    int whole = 0, half = 0;
    HmmToPoints(Magnitude(units), whole, half);
    // A length that rounds to no points at all is written without a sign.
    const bool negative = units < 0 && (whole > 0 || half > 0);
    if (negative && half > 0)
        out.Format(u"-%d.%dpt", whole, half);
    else if (negative)
        out.Format(u"-%dpt", whole);
    else if (half > 0)
        out.Format(u"%d.%dpt", whole, half);
    else
        out.Format(u"%dpt", whole);
}

int RoundToWrittenPoints(int units)
{
    CStringW text;
    FormatLengthPoints(units, text);
    return ParseLength(text);
}

double ParseDecimal(const char* text)
{
    if (!text)
        return 0.0;
    const std::string_view s(text);
    const size_t point = s.find('.');
    if (point == std::string_view::npos)
        return NarrowAtoi(s);
    const double whole = point == 0 ? 0.0 : NarrowAtoi(s.substr(0, point));
    double fraction = 0.0;
    double scale = 1.0;
    for (size_t i = point + 1; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        scale /= 10.0;
        fraction += (s[i] - '0') * scale;
    }
    // The fraction takes the sign of the number: "-1.5" is -1.5.
    const size_t first = s.find_first_not_of(" \t\n\v\f\r");
    const bool negative = first != std::string_view::npos && s[first] == '-';
    return negative ? whole - fraction : whole + fraction;
}

int ParsePointsTextToHmm(const char* text)
{
    if (!text)
        return 0;
    const std::string_view s(text);
    const size_t point = s.find('.');
    if (point == std::string_view::npos)
        return Saturate(WholePointsToHmm(NarrowAtoi(s)));
    const int whole = point == 0 ? 0 : NarrowAtoi(s.substr(0, point));
    const std::string_view after = s.substr(point + 1);
    if (after.empty() || after.find_first_not_of('0') == std::string_view::npos)
        return Saturate(WholePointsToHmm(whole));
    // ".5" is the half point of the default size; any other fraction counts as a half point too.
    // The half point takes the sign of the number: "-10.5" is -(10.5), "-0.5" is -0.5.
    const bool exactHalf = after[0] == '5' && after.find_first_not_of('0', 1) == std::string_view::npos;
    const int64_t halfPoint = exactHalf ? MulDiv(5, kHmmPerInch / 10, kPointsPerInch)
                                        : MulDiv(5, kHmmPerInch, kPointsPerInch) / 10;
    const size_t first = s.find_first_not_of(" \t\n\v\f\r");
    const bool negative = first != std::string_view::npos && s[first] == '-';
    const int64_t magnitude = WholePointsToHmm(Magnitude(whole)) + halfPoint;
    return Saturate(negative ? -magnitude : magnitude);
}

void FormatPointsText(int units, std::string& out)
{
    int whole = 0, half = 0;
    HmmToPoints(Magnitude(units), whole, half);
    // A size that rounds to no points at all is shown without a sign.
    const std::string sign = units < 0 && (whole > 0 || half > 0) ? "-" : "";
    out = sign + (half > 0 ? std::to_string(whole) + "." + std::to_string(half) : std::to_string(whole));
}
