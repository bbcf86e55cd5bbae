// Windows has no SIGINT or SIGTERM: Ctrl+C, Ctrl+Break and the console
// window closing arrive as console control events, on a thread of their own.
#include "session/stop_signals.h"

#include <QMetaObject>
#include <QPointer>

#include <qt_windows.h>

#include <mutex>
#include <utility>

namespace tarvin {

namespace {

std::mutex g_mutex;
QPointer<QObject> g_context;
std::function<void()> g_stop;
HANDLE g_stopped = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_context || !g_stop)
            return FALSE;
        // Queued into the context's own thread. Only the first event stops
        // cleanly; another one ends the program the system's way.
        QMetaObject::invokeMethod(
            g_context.data(),
            [stop = std::exchange(g_stop, nullptr)] {
                stop();
                SetEvent(g_stopped);
            },
            Qt::QueuedConnection);
    }
    // When the console closes (or the user logs off) the process ends as
    // soon as this returns: give the stop a few seconds to finish first.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(g_stopped, 4000);
    return TRUE;
}

} // namespace

bool OnStopSignal(QObject* context, std::function<void()> stop)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_stopped)
        g_stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_stopped)
        return false;
    g_context = context;
    g_stop = std::move(stop);
    return SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

} // namespace tarvin
