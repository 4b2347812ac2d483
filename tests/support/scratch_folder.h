#pragma once

#include <string>
#include <vector>

namespace hz::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end of scope. Its path
// is UTF-8 with forward slashes on every system, as the tests join names onto it with File.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

std::string ReadFileBytes(const std::string& path);
// The names of the entries of folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace hz::test
