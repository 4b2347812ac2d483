#pragma once

#include "engine/platform/file_handle.h"
#include "engine/platform/system_error.h"

#include <string>
#include <string_view>

namespace hz {

// A new file, open for writing, that no other file had the name of.
struct TemporaryFile {
    FileHandle file;
    std::string path;
};

// How many letters and digits follow the prefix in a temporary file's name.
constexpr std::size_t kTemporaryNameLetters = 6;

// Creates a file in folder named prefix followed by kTemporaryNameLetters random letters and digits, as mkostemp
// does, with the permissions that access gives.
SystemResult<TemporaryFile> CreateTemporaryFile(const std::string& folder, std::string_view prefix,
                                                NewFileAccess access);

// Whether name is one that CreateTemporaryFile gives for prefix.
bool IsTemporaryName(std::string_view name, std::string_view prefix);

} // namespace hz
