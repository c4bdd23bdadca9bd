// Names for the cases of parameterised tests, so that a case keeps its name from build to build
// and can be picked by meaning (ctest -R 'truncated_file'): letters and digits are kept and every
// other run of characters becomes one underscore.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

inline std::string CaseNameFrom(std::string_view text)
{
    std::string name;
    bool gap = false;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            if (gap && !name.empty())
                name += '_';
            name += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return name;
}

// A case named by its description, the `what` of its table row.
struct CaseNameFromWhat {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const
    {
        return CaseNameFrom(info.param.what);
    }
};

// A case that is a file name, named by the file's name without its extension.
struct CaseNameFromFile {
    template <class File>
    std::string operator()(const ::testing::TestParamInfo<File>& info) const
    {
        const std::string_view file(info.param);
        const size_t slash = file.rfind('/');
        std::string_view stem = slash == std::string_view::npos ? file : file.substr(slash + 1);
        if (const size_t dot = stem.rfind('.'); dot != std::string_view::npos && dot > 0)
            stem = stem.substr(0, dot);
        return CaseNameFrom(stem);
    }
};
