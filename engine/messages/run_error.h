#pragma once

#include <stdexcept>
#include <string>

namespace hz {

// A failure that ends an import run (not a row error). what() is the text shown to the user as it stands.
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A cell that cannot be read as the row needs it (no number, no date). It ends an import like any RunError; a check
// reports it as the error of its row and reads on.
class CellError : public RunError {
public:
    using RunError::RunError;
};

} // namespace hz
