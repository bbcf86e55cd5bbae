#pragma once
// The Time page: broadcasts the computer's time or date on the clock
// application.

#include <QDateTime>
#include <QWidget>

#include <functional>

class QPushButton;

namespace tarvin {

class Session;

// A page of the command area; its controls are its direct children (or sit
// in group boxes directly on it), so the main window's enabling rule reaches
// them.
class TimeTab : public QWidget
{
    Q_OBJECT
public:
    TimeTab(Session& session, QWidget* parent);

    void TimeButtonClick();
    void DateButtonClick();

    // The local clock; tests set their own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    QPushButton* TimeButton = nullptr;
    QPushButton* DateButton = nullptr;

private:
    Session& m_session;
    std::function<QDateTime()> m_clock;
};

} // namespace tarvin
