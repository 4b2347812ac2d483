#include "engine/workbook/xls/biff_records.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/workbook_error.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace hz {

namespace {

// The longest record data BIFF8 allows.
constexpr std::uint16_t kMaxRecordData = 8224;
// How much of the stream the reader reads at once.
constexpr std::uint64_t kReadAhead = 256 * 1024;

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code >> 6));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code >> 12));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code >> 18));
        out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

BiffReader::BiffReader(const std::string& path, CompoundStream& stream, std::uint64_t offset)
    : path(path), stream(stream), windowStart(offset), offset(offset) {}

bool BiffReader::Load(std::uint64_t keep, std::uint64_t from, std::size_t count) {
    if (from > stream.Size() || count > stream.Size() - from)
        return false;
    const std::uint64_t windowEnd = windowStart + window.size();
    if (from >= windowStart && from + count <= windowEnd)
        return true;
    // The window keeps the bytes from keep on, and reads ahead far enough that most records need no read of their own.
    if (keep < windowStart || keep > windowEnd) {
        window.clear();
        windowStart = keep;
    } else {
        window.erase(0, static_cast<std::size_t>(keep - windowStart));
        windowStart = keep;
    }
    const std::uint64_t end =
        std::min<std::uint64_t>(stream.Size(), std::max(from + count, windowStart + window.size() + kReadAhead));
    const std::size_t have = window.size();
    window.resize(static_cast<std::size_t>(end - windowStart));
    stream.Read(windowStart + have, window.data() + have, window.size() - have);
    return true;
}

std::string_view BiffReader::Bytes(std::uint64_t from, std::size_t count) const {
    return std::string_view(window).substr(static_cast<std::size_t>(from - windowStart), count);
}

bool BiffReader::Next(BiffRecord& record) {
    // Fewer than four bytes left are padding.
    if (!Load(offset, offset, 4))
        return false;
    std::string_view header = Bytes(offset, 4);
    std::uint16_t type = ReadU16(header, 0);
    std::uint16_t length = ReadU16(header, 2);
    if (type == 0 && length == 0)
        return false;
    if (length > kMaxRecordData)
        Damaged("记录过长");
    if (!Load(offset, offset, 4u + length))
        Damaged("记录超出数据流末尾");
    recordOffset = offset;
    record.type = type;
    record.data = Bytes(offset + 4, length);
    offset += 4u + length;
    return true;
}

std::vector<std::string_view> BiffReader::TakeContinues(BiffRecord& record) {
    // Offsets first: loading a later part may move the window and with it the parts before.
    const std::uint64_t first = recordOffset;
    std::vector<std::pair<std::uint64_t, std::size_t>> places;
    while (Load(first, offset, 4) && ReadU16(Bytes(offset, 4), 0) == biff::kContinue) {
        std::size_t length = ReadU16(Bytes(offset, 4), 2);
        if (length > kMaxRecordData)
            Damaged("记录过长");
        if (!Load(first, offset, 4 + length))
            Damaged("记录超出数据流末尾");
        places.emplace_back(offset + 4, length);
        offset += 4 + length;
    }
    record.data = Bytes(recordOffset + 4, record.data.size());
    std::vector<std::string_view> parts;
    for (const auto& [at, length] : places)
        parts.push_back(Bytes(at, length));
    return parts;
}

void BiffReader::Damaged(const std::string& detail) const {
    throw WorkbookReadError(path, "文件已损坏（工作簿数据流在位置 " + std::to_string(offset) + "：" + detail + "）");
}

void AppendUtf16AsUtf8(std::string& out, const std::vector<std::uint16_t>& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t unit = units[i];
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                   units[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
        }
    }
}

std::string DecodeBiffString(const std::vector<std::string_view>& parts, std::size_t countBytes) {
    if (parts.empty() || parts[0].size() < countBytes + 1)
        return {};
    std::size_t remaining = countBytes == 1 ? static_cast<unsigned char>(parts[0][0]) : ReadU16(parts[0], 0);
    std::vector<std::uint16_t> units;
    units.reserve(remaining);
    std::size_t part = 0;
    std::size_t at = countBytes;
    while (remaining > 0 && part < parts.size()) {
        std::string_view data = parts[part];
        if (at >= data.size()) {
            ++part;
            at = 0;
            continue;
        }
        bool wide = (data[at] & 1) != 0;
        ++at;
        for (; remaining > 0 && at + (wide ? 2 : 1) <= data.size(); --remaining) {
            units.push_back(wide ? ReadU16(data, at) : static_cast<unsigned char>(data[at]));
            at += wide ? 2 : 1;
        }
        ++part;
        at = 0;
    }
    std::string text;
    AppendUtf16AsUtf8(text, units);
    return text;
}

bool BiffStringFits(std::string_view data, std::size_t at) {
    if (data.size() < at + 3)
        return false;
    std::size_t count = ReadU16(data, at);
    auto options = static_cast<unsigned char>(data[at + 2]);
    std::size_t start = at + 3 + ((options & 0x08) ? 2 : 0) + ((options & 0x04) ? 4 : 0);
    return start <= data.size() && count * ((options & 1) ? 2 : 1) <= data.size() - start;
}

std::string_view BiffByteString(std::string_view data, std::size_t countBytes) {
    if (data.size() < countBytes)
        return {};
    const std::size_t count = countBytes == 1 ? static_cast<unsigned char>(data[0]) : ReadU16(data, 0);
    return data.substr(countBytes, count);
}

bool BiffByteStringFits(std::string_view data, std::size_t at, std::size_t countBytes) {
    if (data.size() < at + countBytes)
        return false;
    const std::size_t count = countBytes == 1 ? static_cast<unsigned char>(data[at]) : ReadU16(data, at);
    return count <= data.size() - at - countBytes;
}

double DecodeRk(std::uint32_t rk) {
    double value;
    if (rk & 2) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

std::string_view ErrorLiteral(std::uint8_t code) {
    switch (code) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    default:
        return "#N/A";
    }
}

} // namespace hz
