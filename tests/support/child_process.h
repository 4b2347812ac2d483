#pragma once

#include "tests/support/scratch_folder.h"

#include <memory>
#include <string>
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
    struct Running; // the system's handle of the program
    int Reap();

    ScratchFolder outputs;
    std::unique_ptr<Running> running;
};

// Runs a program to its end.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

} // namespace hz::test
