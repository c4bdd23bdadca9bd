// Stylesheets as documents carry them: the input up to its first zero byte is a stylesheet,
// applied to the document after it (or to a small fixed document when there is none).
#include "fuzz/fuzz_input.h"
#include "platform/xml.h"

#include <cstdint>

namespace {

constexpr char kFixedDocument[] =
    "<?xml version='1.0'?><e:exam xmlns:e='urn:example' paper='B4'>"
    "<e:question no='1'><e:text>①から選びなさい。</e:text></e:question>"
    "<e:question no='2'><![CDATA[a<b]]><!-- note --><?pi x?></e:question></e:exam>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto [stylesheetBytes, documentBytes] = SplitAtZero(data, size);
    const MemoryFile stylesheetFile(reinterpret_cast<const uint8_t*>(stylesheetBytes.data()), stylesheetBytes.size());
    XmlDocument stylesheet;
    if (!stylesheet.load(stylesheetFile.Path()))
        return 0;

    XmlDocument document;
    const std::string_view source = documentBytes.empty() ? std::string_view(kFixedDocument) : documentBytes;
    const MemoryFile documentFile(reinterpret_cast<const uint8_t*>(source.data()), source.size());
    if (!document.load(documentFile.Path()))
        return 0;

    (void)document.transformNode(stylesheet.node());
    XmlDocument result;
    (void)document.transformNodeToObject(stylesheet.documentElement(), result);
    return 0;
}
