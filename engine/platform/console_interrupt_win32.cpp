#include "engine/platform/console_interrupt.h"

#include <windows.h>

#include <atomic>

namespace hz {

namespace {

std::atomic<void (*)()> interruptAction{nullptr};
std::atomic<int> stopRequests{0};
// Set when the scope ends; created once and never closed, since a handler may still be waiting on it.
HANDLE scopeEnded = nullptr;

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    void (*action)() = interruptAction.load();
    if (action == nullptr) {
        return FALSE;
    }
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        // The second request goes on to the system's handler, which ends the program.
        if (stopRequests.fetch_add(1) > 0) {
            return FALSE;
        }
        action();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The system ends the program once this returns (or after its grace period): hold it until the work in
        // hand has reached its safe point.
        action();
        WaitForSingleObject(scopeEnded, INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

ConsoleInterruptScope::ConsoleInterruptScope(void (*onInterrupt)()) {
    if (scopeEnded == nullptr) {
        scopeEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    } else {
        ResetEvent(scopeEnded);
    }
    stopRequests.store(0);
    interruptAction.store(onInterrupt);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

ConsoleInterruptScope::~ConsoleInterruptScope() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    interruptAction.store(nullptr);
    if (scopeEnded != nullptr) {
        SetEvent(scopeEnded);
    }
}

QString ConsoleInterruptNames() {
    return QStringLiteral("Ctrl+C、Ctrl+Break 或控制台窗口关闭");
}

} // namespace hz
