#pragma once

#include "tests/support/scratch_folder.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace hz::test {

struct ProgramResult {
    int status = -1; // the exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Another program running beside the test, its standard output and error caught in files.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits for the end of the program.
    ProgramResult Wait();

private:
    int Reap();

    ScratchFolder outputs;
    pid_t pid = -1;
};

// Runs a program to its end.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

} // namespace hz::test
