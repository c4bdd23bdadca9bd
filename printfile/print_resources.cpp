#include "printfile/print_resources.h"

#include "platform/utf8.h"

#include <string_view>

namespace {

std::u16string WithByteOrderMark(std::u8string_view text)
{
    std::u16string result(1, u'\uFEFF');
    result += Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    return result;
}

}  // namespace

std::u16string LoadXmlResource(int id)
{
    switch (id) {
    case IDR_XML_EMPTY_PAPER:
        return WithByteOrderMark(
#include "printfile/resource_290.inc"
        );
    case IDR_XML_FO_FRAME:
        return WithByteOrderMark(
#include "printfile/resource_291.inc"
        );
    case IDR_XML_SKELETON:
        return WithByteOrderMark(
#include "printfile/resource_292.inc"
        );
    case IDR_XML_EMPTY_PAPER_VERTICAL:
        return WithByteOrderMark(
#include "printfile/resource_371.inc"
        );
    case IDR_XML_SKELETON_VERTICAL:
        return WithByteOrderMark(
#include "printfile/resource_372.inc"
        );
    default:
        return {};
    }
}
