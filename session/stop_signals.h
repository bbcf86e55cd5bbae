#pragma once
// SIGINT and SIGTERM for programs that run until stopped (on Windows:
// Ctrl+C, Ctrl+Break and the console closing): the request is handed to the
// event loop, so the program stops cleanly from its own thread.

#include <QObject>

#include <functional>

namespace tarvin {

// Runs `stop` in `context`'s event loop at the first SIGINT or SIGTERM
// (SIGPIPE is ignored from now on), or the first console control event on
// Windows. False when they cannot be caught.
bool OnStopSignal(QObject* context, std::function<void()> stop);

} // namespace tarvin
