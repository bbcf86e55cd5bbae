#include "session/waiter.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace tarvin {

bool Waiter::waitUntil(const std::function<bool()>& done, int milliseconds)
{
    if (done())
        return true;
    if (milliseconds <= 0)
        return false;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    Frame frame{&done, &loop};
    m_frames.push_back(&frame);
    deadline.start(milliseconds);
    loop.exec();
    m_frames.erase(std::remove(m_frames.begin(), m_frames.end(), &frame), m_frames.end());
    return done();
}

void Waiter::delay(double seconds)
{
    static const std::function<bool()> never = [] { return false; };
    waitUntil(never, static_cast<int>(seconds * 1000.0 + 0.5));
}

void Waiter::poke()
{
    // A copy: a predicate may run code that starts or ends another wait.
    const auto frames = m_frames;
    for (Frame* frame : frames)
        if (std::find(m_frames.begin(), m_frames.end(), frame) != m_frames.end() &&
            (*frame->done)())
            frame->loop->quit();
}

} // namespace tarvin
