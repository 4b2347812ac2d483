#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace hz {

// A stream of bytes read in chunks, such as one inflated package part.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to capacity bytes; returns 0 at the end. Throws WorkbookError on a damaged stream.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

// A ByteSource over bytes that the caller keeps in memory while it is read.
class ViewByteSource : public ByteSource {
public:
    explicit ViewByteSource(std::string_view bytes) : bytes(bytes) {}
    std::size_t Read(char* buffer, std::size_t capacity) override;

private:
    std::string_view bytes;
    std::size_t position = 0;
};

// A ByteSource over bytes that it holds itself (tests, small parts).
class StringByteSource : public ByteSource {
public:
    explicit StringByteSource(std::string bytes) : bytes(std::move(bytes)), view(this->bytes) {}
    StringByteSource(const StringByteSource&) = delete;
    StringByteSource& operator=(const StringByteSource&) = delete;
    std::size_t Read(char* buffer, std::size_t capacity) override { return view.Read(buffer, capacity); }

private:
    std::string bytes;
    ViewByteSource view;
};

} // namespace hz
