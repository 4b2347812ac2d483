#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace hz {

// A stream of bytes read in chunks, such as one inflated package part.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to capacity bytes; returns 0 at the end. Throws WorkbookError on a damaged stream.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

// A ByteSource over bytes held in memory (tests, small parts).
class StringByteSource : public ByteSource {
public:
    explicit StringByteSource(std::string bytes) : bytes(std::move(bytes)) {}
    std::size_t Read(char* buffer, std::size_t capacity) override;

private:
    std::string bytes;
    std::size_t position = 0;
};

} // namespace hz
