// Lengths that the user types in points: shown in whole or half points, read back by one of two
// rules, and the field that remembers what it showed so that an unedited value comes back exactly.
#pragma once

#include <string>

enum class PointTextRule {
    // "10.5" is 10 points and 5 tenths (371); only the first digit after the point counts;
    // the whole points must lie within 0 to 10. Text without digits reads as 0.
    Tenths,
    // Whole or half points: nothing or exactly "5" after the point; 0 < value and whole points
    // within 0 to 10 ("10.5" is 370).
    Halves,
    // A font size: whole points 1 to 900, nothing or exactly "5" after the point, no leading point.
    FontSize,
};

// A length in 1/100 mm as "%d" or "%d.%d" of whole and half points; its sign is dropped.
std::string FormatPointField(int hmm);
// Reads a typed text by the rule; false, and `hmm` untouched, when the rule rejects it.
bool ReadPointText(const std::string& text, PointTextRule rule, int* hmm);

// A length field shown in points. Reading an unchanged text gives back the value shown, so that
// a stored 364 (shown "10") stays 364 when the user leaves the field alone.
class CPointField {
public:
    const std::string& Show(int hmm);
    bool Read(const std::string& text, PointTextRule rule, int* hmm) const;

private:
    std::string m_shown;
    int m_value = 0;
    bool m_hasShown = false;
};
