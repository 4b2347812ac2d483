#include "tests/support/scratch_folder.h"

#include "tests/support/utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace hz::test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    const fs::path temporary = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "hz-test-";
        for (int i = 0; i < 10; ++i)
            name += kLetters[letter(random)];
        std::error_code error;
        // create_directory is false for a name already taken: another try with another name.
        if (fs::create_directory(temporary / name, error)) {
            path = Utf8Path(temporary / name);
            return;
        }
        if (error)
            break;
    }
    throw std::runtime_error("cannot create a scratch folder in " + Utf8Path(temporary));
}

ScratchFolder::~ScratchFolder() {
    // A test may leave a folder unwritable or a file read-only, which would keep them from being removed.
    std::error_code ignored;
    const fs::path root = PathOfUtf8(path);
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto entry = fs::recursive_directory_iterator(root, ignored); entry != fs::recursive_directory_iterator();
         entry.increment(ignored)) {
        const bool folder = entry->is_directory(ignored) && !entry->is_symlink(ignored);
        if (folder || entry->is_regular_file(ignored))
            fs::permissions(entry->path(), folder ? fs::perms::owner_all : fs::perms::owner_write,
                            fs::perm_options::add, ignored);
    }
    fs::remove_all(root, ignored);
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOfUtf8(folder)))
        names.push_back(Utf8Path(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(PathOfUtf8(path), std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(PathOfUtf8(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace hz::test
