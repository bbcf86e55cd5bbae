#include "gui/compose/time_tab.h"

#include "core/compose/control.h"
#include "gui/compose/tab_support.h"

#include <QPushButton>

namespace tarvin {

using namespace tabs;

TimeTab::TimeTab(Session& session, QWidget* parent)
    : QWidget(parent), m_session(session), m_clock([] { return QDateTime::currentDateTime(); })
{
    TimeButton = AddButton(this, "TimeButton", QStringLiteral("Broadcast Time"), {16, 20, 130, 28});
    DateButton = AddButton(this, "DateButton", QStringLiteral("Broadcast Date"), {16, 60, 130, 28});
    connect(TimeButton, &QPushButton::clicked, this, &TimeTab::TimeButtonClick);
    connect(DateButton, &QPushButton::clicked, this, &TimeTab::DateButtonClick);
}

void TimeTab::TimeButtonClick()
{
    const QTime now = m_clock().time();
    SendSAL(m_session, compose::kClockApp,
            compose::TimeBody(now.hour(), now.minute(), now.second()));
}

void TimeTab::DateButtonClick()
{
    const QDate today = m_clock().date();
    SendSAL(m_session, compose::kClockApp,
            compose::DateBody(today.year(), today.month(), today.day()));
}

} // namespace tarvin
