#pragma once

#include "engine/messages/run_error.h"

#include <string>

namespace hz::test {

// The text of the RunError that action throws, or "(no RunError)" when it returns.
template <typename Action> std::string RunErrorText(Action&& action) {
    try {
        action();
    } catch (const RunError& error) {
        return error.what();
    }
    return "(no RunError)";
}

} // namespace hz::test
