#pragma once

#include <cstddef>

namespace hz::test {

// The memory this process holds in RAM now.
std::size_t ResidentBytes();

} // namespace hz::test
