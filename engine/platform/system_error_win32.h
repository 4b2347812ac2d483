#pragma once

#include "engine/platform/system_error.h"

namespace hz {

// The error for a code that a Windows call returned or left in GetLastError.
SystemError SystemErrorOf(unsigned long error);

} // namespace hz
