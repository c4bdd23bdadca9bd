#include "dialogs/point_text.h"

#include "base/length_units.h"
#include "platform/win_types.h"
#include "platform/wide_runtime.h"

#include <cstdlib>

namespace {

constexpr int kHmmPerInch = 2540;
constexpr int kPointsPerInch = 72;

struct PointTextParts {
    int whole = 0;
    std::string fraction;  // the text after the first point
    bool hasPoint = false;
    bool leadingPoint = false;
};

PointTextParts SplitPointText(const std::string& text)
{
    PointTextParts parts;
    const size_t point = text.find('.');
    parts.hasPoint = point != std::string::npos;
    parts.leadingPoint = point == 0;
    parts.whole = parts.leadingPoint ? 0 : NarrowAtoi(std::string_view(text).substr(0, point));
    if (parts.hasPoint)
        parts.fraction = text.substr(point + 1);
    return parts;
}

// Whole points plus nothing or one half point ("5" after the point); false for another fraction.
bool HalvesValue(const PointTextParts& parts, int* hmm)
{
    if (!parts.fraction.empty() && parts.fraction != "5")
        return false;
    *hmm = MulDiv(parts.whole, kHmmPerInch, kPointsPerInch) +
           (parts.fraction.empty() ? 0 : MulDiv(5, kHmmPerInch, kPointsPerInch) / 10);
    return true;
}

}  // namespace

std::string FormatPointField(int hmm)
{
    std::string text;
    FormatPointsText(std::abs(hmm), text);
    return text;
}

bool ReadPointText(const std::string& text, PointTextRule rule, int* hmm)
{
    const PointTextParts parts = SplitPointText(text);
    int value = 0;
    switch (rule) {
    case PointTextRule::Tenths: {
        const char first = parts.fraction.empty() ? '\0' : parts.fraction.front();
        const int tenths = first >= '0' && first <= '9' ? first - '0' : 0;
        if (parts.whole < 0 || parts.whole > 10)
            return false;
        value = PointsToHmm(parts.whole, tenths);
        if (value > 1000)
            return false;
        break;
    }
    case PointTextRule::Halves:
        if (parts.whole < 0 || parts.whole > 10 || !HalvesValue(parts, &value) || value <= 0 || value > 1000)
            return false;
        break;
    case PointTextRule::FontSize:
        if (parts.leadingPoint || parts.whole < 1 || parts.whole > 900 || !HalvesValue(parts, &value))
            return false;
        break;
    }
    *hmm = value;
    return true;
}

const std::string& CPointField::Show(int hmm)
{
    m_shown = FormatPointField(hmm);
    m_value = hmm;
    m_hasShown = true;
    return m_shown;
}

bool CPointField::Read(const std::string& text, PointTextRule rule, int* hmm) const
{
    if (m_hasShown && text == m_shown) {
        *hmm = m_value;
        return true;
    }
    return ReadPointText(text, rule, hmm);
}
