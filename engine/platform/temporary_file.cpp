#include "engine/platform/temporary_file.h"

#include "engine/platform/file_path.h"

#include <algorithm>
#include <random>

namespace hz {

namespace {

bool IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

SystemResult<TemporaryFile> CreateTemporaryFile(const std::string& folder, std::string_view prefix,
                                                NewFileAccess access) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    SystemResult<TemporaryFile> created;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(prefix);
        for (std::size_t i = 0; i < kTemporaryNameLetters; ++i)
            name += kLetters[pick(random)];
        created.value.path = JoinPath(folder, name);
        created.error = created.value.file.Open(created.value.path, FileOpen::CreateNew, access);
        if (created.error.fault != SystemFault::Exists)
            break;
    }
    if (created.error)
        created.value.path.clear();
    return created;
}

bool IsTemporaryName(std::string_view name, std::string_view prefix) {
    return name.size() == prefix.size() + kTemporaryNameLetters && name.starts_with(prefix) &&
           std::all_of(name.end() - kTemporaryNameLetters, name.end(), IsLetterOrDigit);
}

} // namespace hz
