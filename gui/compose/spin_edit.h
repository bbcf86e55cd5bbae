#pragma once
// A number field with up/down arrows that keeps whatever the user typed
// until it is used: a text that is not an integer reads as the minimum and
// stays as typed (so a "2.7" can still be cut at its point), an integer
// outside the range is pulled into it when the user leaves the field. The
// arrows count from the number a send would read (the text up to its
// point), or from the field's first value when there is none.

#include <QAbstractSpinBox>

namespace tarvin {

class SpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    SpinEdit(int minimum, int maximum, int value, QWidget* parent);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // The field's number: its text read as an integer within the range, the
    // minimum when the text is not an integer.
    int value() const;
    void setValue(int value);
    // The text exactly as shown.
    QString text() const;
    void setText(const QString& text);

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    void LeaveField();
    int stepBase() const;

    int m_minimum;
    int m_maximum;
    int m_initial;
};

} // namespace tarvin
