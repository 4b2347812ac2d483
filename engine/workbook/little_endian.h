#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace hz {

// Little-endian fields of binary file formats. Readers: the caller has checked that the bytes are there.
inline std::uint16_t ReadU16(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

inline std::uint32_t ReadU32(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(ReadU16(bytes, offset)) | static_cast<std::uint32_t>(ReadU16(bytes, offset + 2))
                                                                    << 16;
}

inline std::uint64_t ReadU64(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint64_t>(ReadU32(bytes, offset)) | static_cast<std::uint64_t>(ReadU32(bytes, offset + 4))
                                                                    << 32;
}

inline double ReadF64(std::string_view bytes, std::size_t offset) {
    std::uint64_t bits = ReadU64(bytes, offset);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Writers: the field at the end of out.
inline void AppendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    }
}

inline void AppendU64(std::string& out, std::uint64_t value) {
    AppendU32(out, static_cast<std::uint32_t>(value));
    AppendU32(out, static_cast<std::uint32_t>(value >> 32));
}

} // namespace hz
