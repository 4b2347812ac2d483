#include "engine/run/stop_request.h"

#include <atomic>

namespace hz {

namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

void RequestStop() {
    stopRequested.store(true, std::memory_order_relaxed);
}

bool StopRequested() {
    return stopRequested.load(std::memory_order_relaxed);
}

void ClearStopRequest() {
    stopRequested.store(false, std::memory_order_relaxed);
}

} // namespace hz
