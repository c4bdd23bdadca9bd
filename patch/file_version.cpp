#include "patch/file_version.h"

#include "patch/patch_table.h"
#include "platform/file_version_note.h"

#include <climits>

namespace {

// atoi's reading: blanks skipped, an optional sign, the digits up to the first other character;
// 0 without digits. A number too large for an int stops at the int's limit instead of overflowing.
int AtoiRule(std::string_view text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value <= INT_MAX)
            value = value * 10 + (text[at] - '0');
    }
    if (value > INT_MAX)
        return negative ? INT_MIN : INT_MAX;
    return int(negative ? -value : value);
}

}  // namespace

bool CFileVersion::Load()
{
    if (m_loaded)
        return true;
    if (!ReadFileVersionNote(m_path, &m_fileVersion))
        return false;
    m_loaded = true;
    return true;
}

std::string CFileVersion::GetStringValue(const std::string& name)
{
    if (!Load() || name != "FileVersion")
        return std::string();
    return m_fileVersion;
}

int CFileVersion::Compare(double minimum, double target)
{
    const std::string text = GetStringValue("FileVersion");
    if (text.empty())
        throw PATCH_ERROR_NO_VERSION;
    const double version = ParseVersionNumber(text);
    // Current first: a row whose minimum lay above its target would find such a file current.
    if (version >= target)
        return 2;
    return version < minimum ? 1 : 0;
}

char DetectVersionSeparator(std::string_view text)
{
    if (text.find('.') != std::string_view::npos)
        return '.';
    if (text.find(',') != std::string_view::npos)
        return ',';
    return 0;
}

double ParseVersionNumber(std::string_view text)
{
    const char separator = DetectVersionSeparator(text);
    if (separator == 0)
        throw PATCH_ERROR_NO_VERSION;
    const size_t first = text.find(separator);
    const std::string_view rest = text.substr(first + 1);
    const int major = AtoiRule(text.substr(0, first));
    const int minor = AtoiRule(rest.substr(0, rest.find(separator)));
    return major + minor * 0.01;
}
