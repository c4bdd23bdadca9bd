#include "dialogs/value_dialog.h"

#include "platform/shell.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QShowEvent>

void ShowValueMessage(QWidget* /*owner*/, const std::u16string& text, const std::u16string& caption)
{
    ShellMessageBox(text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowBadNumber(QWidget* owner, const std::u16string& fieldTitle)
{
    ShowValueMessage(owner, u"数値が正しくありません。", fieldTitle);
}

void ShowOutOfRange(QWidget* owner, const std::u16string& fieldName, int minimum, int maximum)
{
    const QString text = QString::fromUtf16(u"「%1」には %2 から %3 までの整数を入力してください。")
                             .arg(QString::fromStdU16String(fieldName))
                             .arg(minimum)
                             .arg(maximum);
    ShowValueMessage(owner, text.toStdU16String(), owner ? owner->windowTitle().toStdU16String() : std::u16string());
}

CValueDialog::CValueDialog(int templateId, QWidget* parent, const DialogControlFactory& factory)
    : QDialog(parent), m_templateId(templateId)
{
    const DIALOG_TEMPLATE& dialogTemplate = GetDialogTemplate(templateId);
    setWindowTitle(QString::fromStdU16String(dialogTemplate.title));
    m_grid = BuildDialogControls(this, dialogTemplate, factory);
    if (auto* ok = Control<QAbstractButton>(IDOK_RESULT))
        connect(ok, &QAbstractButton::clicked, this, [this] {
            EnsureInitialised();
            OnOK();
        });
    if (auto* cancel = Control<QAbstractButton>(IDCANCEL_RESULT))
        connect(cancel, &QAbstractButton::clicked, this, [this] { done(IDCANCEL_RESULT); });
}

int CValueDialog::DoModal()
{
    return exec() == IDOK_RESULT ? IDOK_RESULT : IDCANCEL_RESULT;
}

void CValueDialog::EnsureInitialised()
{
    if (m_initialised)
        return;
    m_initialised = true;
    OnInitDialog();
}

void CValueDialog::showEvent(QShowEvent* event)
{
    EnsureInitialised();
    QDialog::showEvent(event);
}
