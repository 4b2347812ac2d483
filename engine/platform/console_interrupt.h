#pragma once

#include <QString>

namespace hz {

// While it lives, the user's request to stop a program from its console calls onInterrupt: SIGINT and SIGTERM on
// POSIX; Ctrl+C, Ctrl+Break and the closing of the console window on Windows. The first request only calls
// onInterrupt, so that the work in hand can end at a safe point; a second one ends the program at once, as the
// system does by default. onInterrupt runs in a signal handler (POSIX) or on a thread of the system's (Windows): it
// may only set a lock-free flag. Scopes do not nest.
class ConsoleInterruptScope {
public:
    explicit ConsoleInterruptScope(void (*onInterrupt)());
    ~ConsoleInterruptScope();
    ConsoleInterruptScope(const ConsoleInterruptScope&) = delete;
    ConsoleInterruptScope& operator=(const ConsoleInterruptScope&) = delete;
};

// How the user's help names those requests: "SIGINT 或 SIGTERM" on POSIX, "Ctrl+C、Ctrl+Break 或控制台窗口关闭"
// on Windows.
QString ConsoleInterruptNames();

} // namespace hz
