#include "engine/workbook/byte_source.h"

#include <algorithm>
#include <cstring>

namespace hz {

std::size_t ViewByteSource::Read(char* buffer, std::size_t capacity) {
    std::size_t count = std::min(capacity, bytes.size() - position);
    std::memcpy(buffer, bytes.data() + position, count);
    position += count;
    return count;
}

} // namespace hz
