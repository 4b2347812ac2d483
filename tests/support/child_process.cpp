#include "tests/support/child_process.h"

namespace hz::test {

ProgramResult ChildProcess::Wait() {
    ProgramResult result;
    result.status = Reap();
    result.out = ReadFileBytes(outputs.File("out"));
    result.err = ReadFileBytes(outputs.File("err"));
    return result;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    return ChildProcess(program, arguments).Wait();
}

} // namespace hz::test
