#pragma once

#include <QString>

#include <vector>

namespace hz::cli {

// The exit statuses of huizhang-cli.
constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;
constexpr int kExitFailed = 2;
constexpr int kExitRowsLeftOut = 3;
constexpr int kExitUsage = 64;
// 128 + SIGINT, as a shell reports a program that an interrupt ended; the same on every system.
constexpr int kExitInterrupted = 130;

struct ExitStatusMeaning {
    int status;
    QString meaning;
};

// What each status tells a script, as --help lists them; the interrupts are named as the system knows them.
std::vector<ExitStatusMeaning> ExitStatusMeanings();

} // namespace hz::cli
