#pragma once

#include "engine/run/import_request.h"
#include "engine/run/import_run.h"
#include "engine/run/run_observer.h"

#include <functional>

namespace hz {

// One import or check run, called by the start button on the window's thread. It reports through the observer,
// returns how the run ended and throws RunError (or any std::exception) when a failure ends the run; the window
// shows its text.
using ImportRunner = std::function<RunOutcome(const ImportRequest& request, RunObserver& observer)>;

} // namespace hz
