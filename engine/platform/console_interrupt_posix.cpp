#include "engine/platform/console_interrupt.h"

#include <atomic>
#include <csignal>

namespace hz {

namespace {

std::atomic<void (*)()> interruptAction{nullptr};
static_assert(std::atomic<void (*)()>::is_always_lock_free);

struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

// The first signal asks for the stop; SA_RESETHAND gives the next one the default action, which ends the program.
extern "C" void OnStopSignal(int) {
    if (void (*action)() = interruptAction.load(std::memory_order_relaxed)) {
        action();
    }
}

void Install(int signal, struct sigaction& previous) {
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = SA_RESETHAND;
    sigaction(signal, &stop, &previous);
}

} // namespace

ConsoleInterruptScope::ConsoleInterruptScope(void (*onInterrupt)()) {
    interruptAction.store(onInterrupt, std::memory_order_relaxed);
    Install(SIGINT, previousInterrupt);
    Install(SIGTERM, previousTerminate);
}

ConsoleInterruptScope::~ConsoleInterruptScope() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    interruptAction.store(nullptr, std::memory_order_relaxed);
}

QString ConsoleInterruptNames() {
    return QStringLiteral("SIGINT 或 SIGTERM");
}

} // namespace hz
