// Dialog templates: each dialog's controls, in the order they are created, read from the text
// resources of this library ("dialog_<id>.txt"). The controls are laid out on a grid of rows and
// columns in place of dialog units, so that the Japanese texts always fit.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QGridLayout;
class QWidget;

struct DIALOG_CONTROL {
    enum Kind {
        Label,        // a static text; an id only where the dialog changes it
        Edit,         // an edit field; a spin that follows joins it
        Spin,         // the spin of the edit before it
        Check,
        Radio,        // joins the last radio group; "group" starts a new one
        DropList,     // a combo box without edit field
        DropDown,     // a combo box with an edit field
        Group,        // a frame's caption
        Picture,      // a static showing an image resource
        Placeholder,  // a static the dialog covers with a control of its own
        Button,
    };
    Kind kind = Label;
    int id = -1;  // -1: the control has no id of its own
    int row = 0;
    int column = 0;
    int span = 1;
    std::u16string text;
    bool groupStart = false;
};

struct DIALOG_TEMPLATE {
    int id = 0;
    std::u16string title;
    std::vector<DIALOG_CONTROL> controls;
};

// Reads a template's text; false, with the line at fault in `error`, when it is malformed.
bool ParseDialogTemplate(std::string_view text, DIALOG_TEMPLATE* out, std::string* error = nullptr);
// The template of that id from the resources; an empty template when there is none.
const DIALOG_TEMPLATE& GetDialogTemplate(int id);

// Creates the template's controls in the host, in order, each named by its id, on a grid layout
// set on the host; returns the layout. Radio groups become QButtonGroups named by the id of
// their first button; an edit followed by a spin becomes one CSpinEdit, which keeps the spin's id
// in its "spinId" property. Button 1 (OK) is the default button.
// A dialog's own control class for a template control: null keeps the standard one.
using DialogControlFactory = std::function<QWidget*(const DIALOG_CONTROL& control, QWidget* host)>;
QGridLayout* BuildDialogControls(QWidget* host, const DIALOG_TEMPLATE& dialogTemplate,
                                 const DialogControlFactory& factory = {});
// Puts a control of the dialog's own into a placeholder's cell and hides the placeholder.
void CoverPlaceholder(QWidget* host, int placeholderId, QWidget* control);

// The control of that id in the host (null when absent or of another class).
template <typename T>
T* FindControl(const QObject* host, int id)
{
    for (QObject* object : host->findChildren<QObject*>(QString::number(id)))
        if (auto* control = dynamic_cast<T*>(object))
            return control;
    return nullptr;
}
// The text of an edit, spin edit, combo box, label or button; empty for none.
QString ControlText(const QObject* host, int id);
void SetControlText(const QObject* host, int id, const QString& text);
