#pragma once

#include <string>
#include <vector>

namespace hz::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end of scope.
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

// Runs /usr/bin/python3 (Debian's, with openpyxl and xlwt) on a script; returns its exit status and
// puts its standard output into output.
int RunPython(const std::string& script, const std::string& arguments, std::string* output = nullptr);

std::string ReadFileBytes(const std::string& path);
// The names of the entries of folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace hz::test
