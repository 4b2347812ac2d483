#include "engine/platform/console_output.h"

namespace hz {

// A POSIX terminal takes the bytes as they are; the user's locale decides how they are shown.
void UseUtf8ConsoleOutput() {}

} // namespace hz
