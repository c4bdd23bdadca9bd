// The base of the dialogs that hold values for their caller: built from a template, opened by
// DoModal, which returns IDOK or IDCANCEL. The caller sets the members before DoModal and reads
// them after IDOK; OnOK decides whether the dialog may end.
#pragma once

#include "dialogs/dialog_template.h"

#include <QDialog>
#include <QString>

#include <string>

class QGridLayout;

// The messages of the dialogs, owned by the dialog, with the information icon.
void ShowValueMessage(QWidget* owner, const std::u16string& text, const std::u16string& caption);
// The message for a typed point length that its rule rejects, titled with the field's name.
void ShowBadNumber(QWidget* owner, const std::u16string& fieldTitle);
// The message for a whole number outside its range, naming the field and its two limits.
void ShowOutOfRange(QWidget* owner, const std::u16string& fieldName, int minimum, int maximum);

class CValueDialog : public QDialog {
public:
    // Builds the template's controls; the title is the template's.
    CValueDialog(int templateId, QWidget* parent, const DialogControlFactory& factory = {});

    int DoModal();
    int TemplateId() const { return m_templateId; }

    // The control of that id (null when absent or of another class).
    template <typename T>
    T* Control(int id) const
    {
        return FindControl<T>(this, id);
    }
    QString ControlText(int id) const { return ::ControlText(this, id); }
    void SetControlText(int id, const QString& text) { ::SetControlText(this, id, text); }

protected:
    // Runs once, when the dialog is first shown: the members go into the controls.
    virtual void OnInitDialog() {}
    // The OK button: the controls go into the members; ends with IDOK when they are accepted.
    virtual void OnOK() { done(IDOK_RESULT); }
    // Makes sure OnInitDialog has run (a test may drive a dialog that it never showed).
    void EnsureInitialised();

    void showEvent(QShowEvent* event) override;
    void reject() override { done(IDCANCEL_RESULT); }

    static constexpr int IDOK_RESULT = 1;
    static constexpr int IDCANCEL_RESULT = 2;

    QGridLayout* m_grid = nullptr;

private:
    int m_templateId;
    bool m_initialised = false;
};
