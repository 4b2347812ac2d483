#pragma once

#include "tests/support/python_script.h"
#include "tests/support/zip_entries.h"

#include <stdexcept>
#include <string>

namespace hz::test {

// The bytes of one part of a zip package, read by Python's zipfile so that no code under test takes part; by
// libzip where python3 cannot run.
inline std::string ReadPackagePart(const std::string& packagePath, const std::string& partName) {
    if (!PythonRuns())
        return ZipEntryContent(ReadZipEntries(packagePath), partName);
    const ProgramResult result = RunPython("import sys, zipfile\n"
                                           "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))\n",
                                           {packagePath, partName});
    if (result.status != 0)
        throw std::runtime_error("cannot read " + partName + " from " + packagePath + ": " + result.err);
    return result.out;
}

} // namespace hz::test
