#pragma once

#include <stdexcept>
#include <string>

namespace hz {

// A failure that ends an import run (not a row error). what() is the text shown to the user as it stands.
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace hz
