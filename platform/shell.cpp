#include "platform/shell.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

ShellHandler& Handler()
{
    static ShellHandler handler;
    return handler;
}

// The held-back boxes of the open message groups.
struct HeldMessages {
    int depth = 0;
    bool any = false;
    std::u16string caption;
    UINT style = MB_OK;
    std::vector<std::u16string> lead;
    std::vector<std::u16string> others;
};

HeldMessages& Held()
{
    static HeldMessages held;
    return held;
}

// The text's lines, empty ones left out.
std::vector<std::u16string> LinesOf(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos)
            end = text.size();
        std::u16string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == u'\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

void Hold(const std::u16string& text, const std::u16string& caption, UINT style, bool lead)
{
    HeldMessages& held = Held();
    if (!held.any || lead) {
        held.caption = caption;
        held.style = style;
    }
    held.any = true;
    for (std::u16string& line : LinesOf(text))
        (lead ? held.lead : held.others).push_back(std::move(line));
}

bool IsHeldBack(const SHELL_REQUEST& request)
{
    return Held().depth > 0 && request.kind == ShellRequestKind::MessageBox &&
           (request.style & MB_TYPEMASK) == MB_OK;
}

}  // namespace

ShellHandler SetShellHandler(ShellHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

int ShellDefaultAnswer(const SHELL_REQUEST& request)
{
    if (request.kind != ShellRequestKind::MessageBox)
        return IDCANCEL;
    switch (request.style & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

int ShellRequest(SHELL_REQUEST& request)
{
    if (IsHeldBack(request)) {
        Hold(request.text, request.caption, request.style, false);
        return IDOK;
    }
    if (Handler())
        return Handler()(request);
    if (request.kind == ShellRequestKind::MessageBox) {
        const std::string text = Utf16ToUtf8(request.text);
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    return ShellDefaultAnswer(request);
}

int ShellMessageBox(const std::u16string& text, const std::u16string& caption, UINT style)
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::MessageBox;
    request.text = text;
    request.caption = caption;
    request.style = style;
    return ShellRequest(request);
}

bool ShellFileDialog(SHELL_REQUEST& request)
{
    return ShellRequest(request) == IDOK;
}

bool ShellPrintDialog(SHELL_REQUEST& request)
{
    request.kind = ShellRequestKind::Print;
    return ShellRequest(request) == IDOK;
}

void ShellNotice(const std::u16string& text, const std::u16string& caption, UINT style)
{
    SHELL_REQUEST request;
    request.kind = ShellRequestKind::MessageBox;
    request.text = text;
    request.caption = caption;
    request.style = (style & ~MB_TYPEMASK) | MB_OK;
    request.modeless = true;
    ShellRequest(request);
}

ShellMessageGroup::ShellMessageGroup() { ++Held().depth; }

ShellMessageGroup::~ShellMessageGroup()
{
    HeldMessages& held = Held();
    if (--held.depth > 0 || !held.any)
        return;
    HeldMessages taken = std::exchange(held, HeldMessages{});
    // The lead's lines first, then the others; a line said twice is shown once.
    std::vector<std::u16string> lines;
    for (const std::vector<std::u16string>* part : {&taken.lead, &taken.others})
        for (const std::u16string& line : *part)
            if (std::find(lines.begin(), lines.end(), line) == lines.end())
                lines.push_back(line);
    std::u16string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += u'\n';
        text += lines[i];
    }
    try {
        ShellMessageBox(text, taken.caption, taken.style);
    } catch (...) {
        // A box that cannot be shown while unwinding is dropped rather than ending the program.
    }
}

void ShellMessageGroup::Lead(const std::u16string& text, const std::u16string& caption, UINT style)
{
    if (Held().depth > 0)
        Hold(text, caption, style, true);
    else
        ShellMessageBox(text, caption, style);
}
