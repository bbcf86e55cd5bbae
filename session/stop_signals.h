#pragma once
// SIGINT and SIGTERM for programs that run until stopped: the signal is
// handed to the event loop through a socket pair, so the program stops
// cleanly from its own thread.

#include <QObject>

#include <functional>

namespace tarvin {

// Runs `stop` in `context`'s event loop at the first SIGINT or SIGTERM;
// SIGPIPE is ignored from now on. False when the signals cannot be caught.
bool OnStopSignal(QObject* context, std::function<void()> stop);

} // namespace tarvin
