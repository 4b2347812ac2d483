#pragma once

#include <memory>
#include <string>

namespace hz::test {

// Another program holding a file open the way office programs hold the documents they show: on POSIX a process that
// keeps a write lock on the whole file; on Windows a handle that lets others read the file but neither write,
// replace nor delete it (sharing modes bind every handle, so this process may hold it). Throws when it cannot.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    struct Holder; // the system's handles
    std::unique_ptr<Holder> holder;
};

} // namespace hz::test
