#include "printfile/print_messages.h"

#include "platform/utf8.h"

#include <cstdio>
#include <utility>

namespace {

PrintFileMessageSink& Sink()
{
    static PrintFileMessageSink sink;
    return sink;
}

}  // namespace

PrintFileMessageSink SetPrintFileMessageSink(PrintFileMessageSink sink)
{
    return std::exchange(Sink(), std::move(sink));
}

void ShowPrintFileMessage(const CStringW& text)
{
    if (Sink()) {
        Sink()(text);
        return;
    }
    std::fprintf(stderr, "%s\n", Utf16ToUtf8(text.View()).c_str());
}

void ReportMissingPictures(const std::vector<CStringW>& lines)
{
    if (lines.empty())
        return;
    CStringW text(u"イメージを読み込めませんでした。\n");
    for (const CStringW& line : lines)
        text += CStringW(u"\n") + line;
    ShowPrintFileMessage(text);
}
