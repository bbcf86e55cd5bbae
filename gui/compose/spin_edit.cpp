#include "gui/compose/spin_edit.h"

#include "core/compose/compose_common.h"
#include "core/compose/measurement.h"

#include <QLineEdit>

#include <climits>

namespace tarvin {

namespace {

std::optional<int> Unclamped(const QString& text)
{
    return compose::ReadInteger(text.toLatin1().toStdString(), INT_MIN + 1, INT_MAX);
}

} // namespace

SpinEdit::SpinEdit(int minimum, int maximum, int value, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum),
      m_initial(compose::ClampInt(value, minimum, maximum))
{
    setValue(value);
    connect(this, &QAbstractSpinBox::editingFinished, this, &SpinEdit::LeaveField);
}

int SpinEdit::value() const
{
    return compose::SpinFieldValue(text().toLatin1().toStdString(), m_minimum, m_maximum);
}

void SpinEdit::setValue(int value)
{
    lineEdit()->setText(QString::number(compose::ClampInt(value, m_minimum, m_maximum)));
}

QString SpinEdit::text() const
{
    return lineEdit()->text();
}

void SpinEdit::setText(const QString& text)
{
    lineEdit()->setText(text);
}

int SpinEdit::stepBase() const
{
    const std::string typed = compose::CutAtPoint(text().toLatin1().toStdString());
    return compose::ReadInteger(typed, m_minimum, m_maximum).value_or(m_initial);
}

void SpinEdit::stepBy(int steps)
{
    setValue(stepBase() + steps);
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const
{
    const int v = stepBase();
    StepEnabled enabled = StepNone;
    if (v > m_minimum)
        enabled |= StepDownEnabled;
    if (v < m_maximum)
        enabled |= StepUpEnabled;
    return enabled;
}

QValidator::State SpinEdit::validate(QString&, int&) const
{
    return QValidator::Acceptable;
}

void SpinEdit::fixup(QString&) const {}

void SpinEdit::LeaveField()
{
    const std::optional<int> typed = Unclamped(text());
    if (typed && (*typed < m_minimum || *typed > m_maximum))
        setValue(*typed);
}

} // namespace tarvin
