#include "engine/platform/local_time.h"

#include <time.h>

namespace hz {

std::tm LocalTime(std::time_t instant) {
    std::tm local{};
    localtime_s(&local, &instant);
    return local;
}

} // namespace hz
