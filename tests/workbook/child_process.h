#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace hz::test {

// The user id that RunInChild drops to for tests that need permission checks to apply (they do not to root).
inline constexpr uid_t kNobody = 65534;

// Runs body in a forked child (POSIX only) and returns what it returned (or "exception: ..." when it threw), so that a
// test can change what only a whole process can have (resource limits, its user) without touching the test runner. When
// asNobody is set and the test runs as root, the child gives up root for kNobody first.
std::string RunInChild(const std::function<std::string()>& body, bool asNobody = false);

} // namespace hz::test
