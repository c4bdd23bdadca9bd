#include "platform/shell.h"

#include "platform/utf8.h"

#include <cstdio>
#include <utility>

namespace {

ShellHandler& Handler()
{
    static ShellHandler handler;
    return handler;
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
