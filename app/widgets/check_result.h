#pragma once

#include "engine/messages/run_message.h"

#include <QString>

#include <vector>

namespace hz {

// What a finished check run found, as the window lists it.
struct CheckResult {
    // Beyond this many errors the window counts them without keeping them, so that a check of a huge workbook in
    // which every row fails cannot exhaust memory; the summary still gives the full count.
    static constexpr int MaxListedErrors = 100000;

    QString summary;                // the check's final message
    std::vector<RunMessage> errors; // the errors with their worksheet and row, in the order found
    int unlistedErrors = 0;         // errors found after the list was full
};

} // namespace hz
