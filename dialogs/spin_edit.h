// An edit field with its spin buttons. A step writes the new whole number into the field; with
// point rounding a field holding a fraction ("10.5") steps to the whole points on either side.
#pragma once

#include <QAbstractSpinBox>
#include <QString>

class CSpinEdit : public QAbstractSpinBox {
public:
    explicit CSpinEdit(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }
    // Steps from a fraction to the neighbouring whole points (the spacing fields).
    void SetPointRounding(bool on) { m_pointRounding = on; }
    // Refuses any typed character but the digits.
    void SetDigitsOnly(bool on) { m_digitsOnly = on; }
    void SetMaxLength(int length);

    QString Text() const;
    void SetText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    int m_minimum = 0;
    int m_maximum = 100;
    bool m_pointRounding = false;
    bool m_digitsOnly = false;
};
