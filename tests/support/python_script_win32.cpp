#include "tests/support/python_script.h"

#include <stdexcept>

namespace hz::test {

bool PythonRuns() {
    return false;
}

ProgramResult RunPython(const std::string&, const std::vector<std::string>&) {
    throw std::runtime_error("a Windows program cannot start the host's python3: skip with HZ_SKIP_WITHOUT_PYTHON");
}

} // namespace hz::test
