#include "engine/platform/local_time.h"

namespace hz {

std::tm LocalTime(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    return local;
}

} // namespace hz
