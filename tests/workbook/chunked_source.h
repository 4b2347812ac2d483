#pragma once

#include "engine/workbook/byte_source.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace hz::test {

// Hands out at most `step` bytes per Read, as a slow stream would.
class ChunkedByteSource : public ByteSource {
public:
    ChunkedByteSource(std::string bytes, std::size_t step) : bytes(std::move(bytes)), step(step) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        std::size_t count = std::min({capacity, step, bytes.size() - position});
        std::memcpy(buffer, bytes.data() + position, count);
        position += count;
        return count;
    }

private:
    std::string bytes;
    std::size_t step;
    std::size_t position = 0;
};

} // namespace hz::test
