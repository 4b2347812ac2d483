#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Little-endian fields and records of a BIFF workbook stream, for streams built record by record.

namespace hz::test {

inline std::string U8(unsigned value) {
    return std::string(1, static_cast<char>(value & 0xFF));
}

inline std::string U16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}

inline std::string U32(std::uint32_t value) {
    return U16(value & 0xFFFF) + U16(value >> 16);
}

inline std::string F64(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(static_cast<std::uint32_t>(bits)) + U32(static_cast<std::uint32_t>(bits >> 32));
}

inline std::string Record(unsigned type, const std::string& data) {
    return U16(type) + U16(static_cast<unsigned>(data.size())) + data;
}

// The row, column and XF index that every cell record starts with.
inline std::string Cell(unsigned row, unsigned column, unsigned xf) {
    return U16(row) + U16(column) + U16(xf);
}

} // namespace hz::test
