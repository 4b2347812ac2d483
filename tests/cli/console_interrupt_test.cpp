#include "engine/platform/console_interrupt.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <atomic>
#include <csignal>

namespace hz {
namespace {

std::atomic<int> stopRequests{0};
std::atomic<int> earlierHandlerCalls{0};

void CountStopRequest() {
    ++stopRequests;
}

extern "C" void EarlierHandler(int) {
    ++earlierHandlerCalls;
}

// The first SIGINT or SIGTERM only asks for the stop; the next one of the same signal would end the program (the
// system's default), and the handlers from before the scope are back after it.
TEST(ConsoleInterrupt, TheFirstSignalAsksForTheStopAndTheScopeGivesTheEarlierHandlersBack) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows stops by console events, which a test process without a console does not receive";
#else
    for (int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        stopRequests = 0;
        earlierHandlerCalls = 0;
        std::signal(signal, EarlierHandler);
        {
            const ConsoleInterruptScope scope(CountStopRequest);
            std::raise(signal);
            EXPECT_EQ(stopRequests, 1);
            struct sigaction now {};
            sigaction(signal, nullptr, &now);
            EXPECT_EQ(now.sa_handler, SIG_DFL) << "a second signal ends the program";
        }
        std::raise(signal);
        EXPECT_EQ(stopRequests, 1);
        EXPECT_EQ(earlierHandlerCalls, 1);
        std::signal(signal, SIG_DFL);
    }
#endif
}

} // namespace
} // namespace hz
