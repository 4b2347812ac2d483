#pragma once

#include <ctime>

namespace hz {

// The computer's local time at the instant, in its time zone (localtime_r; localtime_s on Windows), which is read
// once per process rather than on every call as Qt's current date does.
std::tm LocalTime(std::time_t instant);

} // namespace hz
