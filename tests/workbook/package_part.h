#pragma once

#include "tests/support/scratch_folder.h"

#include <stdexcept>
#include <string>

namespace hz::test {

// The bytes of one part of a zip package, read by Python's zipfile so that no code under test takes part.
inline std::string ReadPackagePart(const std::string& packagePath, const std::string& partName) {
    std::string bytes;
    int status = RunPython("import sys, zipfile\n"
                           "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))\n",
                           "'" + packagePath + "' '" + partName + "'", &bytes);
    if (status != 0)
        throw std::runtime_error("cannot read " + partName + " from " + packagePath);
    return bytes;
}

} // namespace hz::test
