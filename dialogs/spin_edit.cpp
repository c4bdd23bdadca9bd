#include "dialogs/spin_edit.h"

#include "base/length_units.h"
#include "platform/wide_runtime.h"

#include <QLineEdit>

#include <algorithm>
#include <cmath>

CSpinEdit::CSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
}

void CSpinEdit::SetRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

void CSpinEdit::SetMaxLength(int length)
{
    lineEdit()->setMaxLength(length);
}

QString CSpinEdit::Text() const
{
    return lineEdit()->text();
}

void CSpinEdit::SetText(const QString& text)
{
    lineEdit()->setText(text);
}

void CSpinEdit::stepBy(int steps)
{
    const std::string text = Text().toStdString();
    if (m_pointRounding && text.size() > 1 && text.find('.') != std::string::npos) {
        // From 10.5 up is 11 and down is 10: a step down from a fraction lands on its whole
        // points. A text without a fraction ("10.0") steps like a whole number.
        const double x = ParseDecimal(text.c_str());
        const double whole = std::trunc(x);
        const int next = static_cast<int>(whole) + steps + (steps < 0 && x != whole ? 1 : 0);
        // A fraction at the top of the range still steps up to the next whole point (10.5 to 11);
        // the field's own rule then judges it.
        if (whole >= m_minimum && whole <= m_maximum && next >= m_minimum) {
            SetText(QString::number(next));
            return;
        }
    }
    // The plain spin: from the number in the field, held within the range.
    const int position = std::clamp(NarrowAtoi(text), m_minimum, m_maximum);
    const long long next = std::clamp<long long>(static_cast<long long>(position) + steps, m_minimum, m_maximum);
    SetText(QString::number(next));
}

QValidator::State CSpinEdit::validate(QString& input, int& /*pos*/) const
{
    if (m_digitsOnly && std::any_of(input.begin(), input.end(), [](QChar c) { return c < u'0' || c > u'9'; }))
        return QValidator::Invalid;
    return QValidator::Acceptable;
}
