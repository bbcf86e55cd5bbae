#pragma once
// Every wait of the program: the event loop keeps running, so lines arrive
// and are logged, and nothing spins.

#include <QObject>

#include <functional>
#include <vector>

class QEventLoop;

namespace tarvin {

class Waiter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Runs the event loop until `done` is true (tested now and at every
    // poke()) or `milliseconds` have passed. Returns `done()`.
    bool waitUntil(const std::function<bool()>& done, int milliseconds);
    // Keeps processing events for the given time.
    void delay(double seconds);
    // Something a wait may be waiting for has changed.
    void poke();

    int depth() const { return static_cast<int>(m_frames.size()); }

private:
    struct Frame
    {
        const std::function<bool()>* done;
        QEventLoop* loop;
    };
    std::vector<Frame*> m_frames;
};

} // namespace tarvin
