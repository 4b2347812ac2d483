#include "tests/support/held_file.h"

#include "tests/support/utf8_path.h"

#include <stdexcept>
#include <windows.h>

namespace hz::test {

struct HeldFile::Holder {
    HANDLE file = INVALID_HANDLE_VALUE;
};

HeldFile::HeldFile(const std::string& path) : holder(std::make_unique<Holder>()) {
    holder->file = CreateFileW(PathOfUtf8(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (holder->file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot hold " + path + " open (error " + std::to_string(GetLastError()) + ")");
}

HeldFile::~HeldFile() {
    CloseHandle(holder->file);
}

} // namespace hz::test
