#include "platform/input_context.h"

#include <map>

namespace {

std::map<HWND, CInputContext*>& Contexts()
{
    static auto* contexts = new std::map<HWND, CInputContext*>;
    return *contexts;
}

} // namespace

void ImmAssociateContext(HWND window, CInputContext* context)
{
    if (window == nullptr)
        return;
    if (context == nullptr)
        Contexts().erase(window);
    else
        Contexts()[window] = context;
}

CInputContext* ImmGetContext(HWND window)
{
    const auto it = Contexts().find(window);
    return it == Contexts().end() ? nullptr : it->second;
}

BOOL ImmReleaseContext(HWND window, CInputContext* context)
{
    return window != nullptr && context != nullptr ? TRUE : FALSE;
}
