#include "tests/support/python_script.h"

namespace hz::test {

bool PythonRuns() {
    return true;
}

ProgramResult RunPython(const std::string& script, const std::vector<std::string>& arguments) {
    ScratchFolder folder;
    const std::string scriptPath = folder.File("script.py");
    WriteFileBytes(scriptPath, script);
    std::vector<std::string> all = {scriptPath};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(HZ_PYTHON3, all);
}

} // namespace hz::test
