#pragma once
// A list of the numbers 0..255 written in the session's number base; it is
// written again, on the same number, whenever the base changes.

#include <QComboBox>
#include <QStringList>

namespace tarvin {

class Session;

// The numbers 0..255 as the session writes them now.
QStringList NumberItems(const Session& session);

class NumberCombo : public QComboBox
{
    Q_OBJECT
public:
    NumberCombo(Session& session, int index, QWidget* parent);

private:
    // Quietly: the number chosen stays, so nothing has changed for anyone
    // listening to the list.
    void Refill();

    Session& m_session;
};

} // namespace tarvin
