#pragma once

#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Some fixtures are written by python3 with openpyxl or xlwt, producers independent of ours, and some results are
// read back with it. A Linux test program starts Debian's python3 itself. A Windows program cannot start the host's
// python3: it takes the fixtures from the folder that HZ_FIXTURE_DIR names, where a Linux run of the same tests left
// them, and the tests that read back with python3 are skipped.
namespace hz::test {

// Whether this program can start python3.
bool PythonRuns();

// Runs python3 on the script with the arguments, to its end; only where PythonRuns.
ProgramResult RunPython(const std::string& script, const std::vector<std::string>& arguments);

// Writes the file at path with a python3 script, which gets path as its first argument, then the arguments, then
// the paths of inputs, files that it reads. The fixture is known by the script, the file name of path, the arguments
// and the bytes of the inputs: with HZ_FIXTURE_DIR set, a program that runs python3 keeps a copy of what it wrote
// there, and one that does not takes the file from there. Throws when the file cannot be made.
void WriteWithPython(const std::string& path, const std::string& script, const std::vector<std::string>& arguments = {},
                     const std::vector<std::string>& inputs = {});

// Whether a program that some fixtures need (e.g. "soffice") is installed where the fixtures are made: asked of the
// shell where python3 runs (and noted in HZ_FIXTURE_DIR), read from that note elsewhere.
bool FixtureToolInstalled(const std::string& tool);

} // namespace hz::test

// Ends a test that reads its results back with python3 as skipped where python3 cannot run.
#define HZ_SKIP_WITHOUT_PYTHON()                                                                                       \
    if (!::hz::test::PythonRuns())                                                                                     \
    GTEST_SKIP() << "reads back with python3, which a Windows program cannot start"
