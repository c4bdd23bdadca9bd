// Records the message boxes that the dialogs show, and drives a dialog's controls by id.
#pragma once

#include "dialogs/dialog_template.h"
#include "dialogs/spin_edit.h"
#include "platform/shell.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class MessageRecorder {
public:
    MessageRecorder()
    {
        m_former = SetShellHandler([this](SHELL_REQUEST& request) {
            messages.push_back(request);
            return IDOK;
        });
    }
    ~MessageRecorder() { SetShellHandler(m_former); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<SHELL_REQUEST> messages;

private:
    ShellHandler m_former;
};

// Types into an edit or spin edit, or a combo box's edit field.
inline void TypeInto(QWidget* dialog, int id, const QString& text)
{
    if (auto* spin = FindControl<CSpinEdit>(dialog, id))
        spin->SetText(text);
    else if (auto* combo = FindControl<QComboBox>(dialog, id))
        combo->setEditText(text);
    else
        SetControlText(dialog, id, text);
}

inline void Click(QWidget* dialog, int id)
{
    auto* button = FindControl<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
}
