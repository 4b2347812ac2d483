#pragma once

namespace hz::cli {

// The exit statuses of huizhang-cli.
constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;

} // namespace hz::cli
