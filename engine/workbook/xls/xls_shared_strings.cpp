#include "engine/workbook/xls/xls_shared_strings.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/xls/biff_records.h"

namespace hz {

namespace {

// Reads bytes over a record and its CONTINUE records as one run, except where characters resume in a new part.
class PartCursor {
public:
    PartCursor(const BiffReader& reader, std::vector<std::string_view> parts)
        : reader(reader), parts(std::move(parts)) {}

    std::uint64_t TotalBytes() const {
        std::uint64_t total = 0;
        for (std::string_view part : parts)
            total += part.size();
        return total;
    }

    std::uint8_t Byte() {
        while (at >= parts[part].size())
            NextPart();
        return static_cast<std::uint8_t>(parts[part][at++]);
    }

    std::uint32_t Number(int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return value;
    }

    void Skip(std::uint64_t bytes) {
        while (bytes > 0) {
            while (at >= parts[part].size())
                NextPart();
            std::uint64_t step = std::min<std::uint64_t>(bytes, parts[part].size() - at);
            at += static_cast<std::size_t>(step);
            bytes -= step;
        }
    }

    // Appends count characters as UTF-16 units; a part boundary inside them brings a new option byte.
    void Characters(std::uint32_t count, bool wide, std::vector<std::uint16_t>& units) {
        while (count > 0) {
            if (at >= parts[part].size()) {
                NextPart();
                wide = (Byte() & 1) != 0;
                continue;
            }
            std::string_view data = parts[part];
            std::size_t width = wide ? 2 : 1;
            std::size_t fit = std::min<std::size_t>(count, (data.size() - at) / width);
            if (fit == 0) // half a 16-bit character before the boundary
                reader.Damaged("共享字符串中的字符被记录边界截断");
            for (std::size_t i = 0; i < fit; ++i, at += width)
                units.push_back(wide ? ReadU16(data, at) : static_cast<unsigned char>(data[at]));
            count -= static_cast<std::uint32_t>(fit);
        }
    }

private:
    void NextPart() {
        if (part + 1 >= parts.size())
            reader.Damaged("共享字符串超出记录范围");
        ++part;
        at = 0;
    }

    const BiffReader& reader;
    std::vector<std::string_view> parts;
    std::size_t part = 0;
    std::size_t at = 0;
};

} // namespace

void XlsSharedStrings::Read(const BiffReader& reader, std::string_view sst,
                            const std::vector<std::string_view>& continues) {
    if (sst.size() < 8)
        reader.Damaged("共享字符串表过短");
    std::vector<std::string_view> parts{sst.substr(8)};
    parts.insert(parts.end(), continues.begin(), continues.end());
    PartCursor cursor(reader, std::move(parts));
    std::uint32_t count = ReadU32(sst, 4);
    // Each string takes at least three bytes, so a count beyond that is damage, found before any allocation.
    if (count > cursor.TotalBytes() / 3)
        reader.Damaged("共享字符串表的字符串个数超出记录范围");
    text.clear();
    ends.clear();
    ends.reserve(count);
    std::vector<std::uint16_t> units;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = cursor.Number(2);
        std::uint8_t options = cursor.Byte();
        std::uint32_t runs = (options & 0x08) ? cursor.Number(2) : 0;
        std::uint32_t extension = (options & 0x04) ? cursor.Number(4) : 0;
        units.clear();
        cursor.Characters(length, (options & 1) != 0, units);
        cursor.Skip(4ull * runs + extension);
        AppendUtf16AsUtf8(text, units);
        if (text.size() > 0xFFFFFFFFu)
            reader.Damaged("共享字符串表过大");
        ends.push_back(static_cast<std::uint32_t>(text.size()));
    }
}

} // namespace hz
