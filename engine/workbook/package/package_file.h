#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <zip.h>

namespace hz {

// The package's file as a libzip source that counts the bytes libzip reads from it. Those read while one part
// is inflated are that part's compressed bytes so far, which lets the inflate ratio be checked as the part
// streams, not only against the size of the whole entry.
class PackageFile {
public:
    // Throws WorkbookError when the file cannot be opened.
    explicit PackageFile(const std::string& path);
    ~PackageFile() { zip_error_fini(&error); }
    PackageFile(const PackageFile&) = delete;
    PackageFile& operator=(const PackageFile&) = delete;

    // A new libzip source over this file; libzip owns the source, this object must outlive it.
    zip_source_t* CreateSource(zip_error_t* error);
    std::uint64_t BytesRead() const { return bytesRead; }

private:
    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command);
    zip_int64_t Fail(int zipError);

    std::ifstream file;
    std::uint64_t size = 0;
    std::uint64_t position = 0;       // where libzip reads next
    std::uint64_t streamPosition = 0; // where the stream stands, to seek only when they differ
    std::uint64_t bytesRead = 0;
    zip_error_t error;
};

} // namespace hz
