#include "gui/compose/number_combo.h"

#include "session/session.h"

#include <QSignalBlocker>

#include <array>

namespace tarvin {

QStringList NumberItems(const Session& session)
{
    // Written once for each base and shared by every numbered list: there
    // are a score of them, each filled at start and again on a change of base.
    static std::array<QStringList, 2> written;
    QStringList& items = written[session.hexNumbers() ? 1 : 0];
    if (items.isEmpty()) {
        items.reserve(256);
        for (int n = 0; n <= 255; ++n)
            items << session.NumberString(n);
    }
    return items;
}

NumberCombo::NumberCombo(Session& session, int index, QWidget* parent)
    : QComboBox(parent), m_session(session)
{
    addItems(NumberItems(m_session));
    setCurrentIndex(index);
    connect(&m_session, &Session::hexNumbersChanged, this, &NumberCombo::Refill);
}

void NumberCombo::Refill()
{
    const int index = currentIndex();
    const QSignalBlocker quiet(this);
    clear();
    addItems(NumberItems(m_session));
    setCurrentIndex(index);
}

} // namespace tarvin
