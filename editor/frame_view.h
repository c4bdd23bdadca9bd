// IFrameView: the one way the main frame reaches the active editing view. The frame routes the
// commands it does not handle and their update handlers here, the bars' box notices, the
// palette's characters, and what the font-defaults command reads and sets.
#pragma once

#include "platform/win_types.h"
#include "ui/palette_target.h"

struct BAR_NOTIFY;

class IFrameView : public IPaletteCharTarget {
public:
    // A menu, button or key command the frame does not handle: true when the view took it.
    virtual bool OnCommand(unsigned id) = 0;
    // The view's update handler of the command; false, leaving the flags, when it has none.
    virtual bool OnUpdateCommand(unsigned id, bool* enabled, bool* checked) = 0;
    // A box of a toolbar changed.
    virtual void OnBarNotify(const BAR_NOTIFY& notice) = 0;

    virtual bool IsVertical() const = 0;
    // The font that typed characters get.
    virtual LOGFONTA& TypingFont() = 0;
    // Puts the caret and the input method's window in place after a font change.
    virtual void ShowCaretAndIme() = 0;
};
