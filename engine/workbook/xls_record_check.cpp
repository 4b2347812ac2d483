#include "engine/workbook/xls_record_check.h"

#include "engine/workbook/biff_records.h"
#include "engine/workbook/little_endian.h"

#include <cstdint>

namespace hz {

namespace {

// The library refuses larger tables by itself.
constexpr std::uint32_t kLibraryMaxStrings = 1024 * 1024;

// The library's reading state between records: which string comes next, the unfinished part of a string cut at
// the end of a record, and how many bytes of formatting runs or phonetic data spill into the next record.
class SharedStringWalk {
public:
    explicit SharedStringWalk(BiffReader& reader) : reader(reader) {}

    void Record(std::string_view data, bool first) {
        if (done)
            return;
        std::uint64_t at = 0;
        if (first) {
            if (data.size() < 8)
                reader.Damaged("共享字符串表过短");
            count = ReadU32(data, 4);
            at = 8;
            if (count > kLibraryMaxStrings) {
                done = true; // refused by the library itself
                return;
            }
        } else if (pendingLength > 0 && !FinishPending(data, at)) {
            return;
        }
        for (; index < count; ++index) {
            if (at >= data.size())
                return;
            at += nextSkip;
            if (at + 3 > data.size())
                reader.Damaged("共享字符串超出记录范围");
            std::uint32_t length = ReadU16(data, static_cast<std::size_t>(at));
            auto options = static_cast<unsigned char>(data[static_cast<std::size_t>(at + 2)]);
            std::uint64_t header = 1 + ((options & 0x08) ? 2 : 0) + ((options & 0x04) ? 4 : 0);
            at += 2;
            if (at + header > data.size())
                reader.Damaged("共享字符串超出记录范围");
            std::uint32_t runs = (options & 0x08) ? ReadU16(data, static_cast<std::size_t>(at + 1)) : 0;
            std::uint32_t extension =
                (options & 0x04) ? ReadU32(data, static_cast<std::size_t>(at + 1 + ((options & 0x08) ? 2 : 0))) : 0;
            at += header;
            // The library adds these in 32-bit arithmetic.
            skip = extension + runs * 4u;
            nextSkip = 0;
            bool wide = (options & 1) != 0;
            std::uint64_t required = wide ? 2ull * length : length;
            std::uint64_t available = data.size() - at;
            if (required > available) {
                pendingLength = length;
                pendingDone = wide ? available / 2 : available;
                return;
            }
            if (length == 0) {
                done = true; // refused by the library itself
                return;
            }
            at += required + skip;
            nextSkip = at >= data.size() ? at - data.size() : 0;
        }
    }

private:
    // The rest of a cut string starts the record with its own option byte. False when the library stops.
    bool FinishPending(std::string_view data, std::uint64_t& at) {
        if (data.empty())
            reader.Damaged("共享字符串超出记录范围");
        bool wide = (data[0] & 1) != 0;
        std::uint64_t rest = pendingLength - pendingDone;
        std::uint64_t bytes = wide ? 2 * rest : rest;
        if (1 + bytes > data.size()) {
            // Byte by byte the library checks the bound and gives up; a wide copy does not check.
            if (wide)
                reader.Damaged("共享字符串跨越了多个记录");
            done = true;
            return false;
        }
        // What spills past this record is forgotten by the library; the next record starts with a string.
        at = 1 + bytes + skip;
        pendingLength = 0;
        pendingDone = 0;
        nextSkip = 0;
        ++index;
        return true;
    }

    BiffReader& reader;
    bool done = false;
    std::uint64_t count = 0;
    std::uint64_t index = 0;
    std::uint64_t pendingLength = 0;
    std::uint64_t pendingDone = 0;
    std::uint64_t skip = 0;
    std::uint64_t nextSkip = 0;
};

} // namespace

void CheckRecordsForLibrary(const std::string& path, std::string_view stream) {
    BiffReader reader(path, stream, 0);
    SharedStringWalk walk(reader);
    BiffRecord record;
    bool seen = false;
    // The library treats a CONTINUE as part of the SST when the last record that was not a CONTINUE was an SST,
    // and a second SST as a continuation of the first, wherever they stand in the stream.
    bool afterSst = false;
    while (reader.Next(record)) {
        if (record.type == biff::kFormat && !BiffStringFits(record.data, 2))
            reader.Damaged("数字格式记录中的文字超出记录范围");
        if (record.type == biff::kLabel && !BiffStringFits(record.data, 6))
            reader.Damaged("文字单元格记录中的文字超出记录范围");
        if (record.type == biff::kSst) {
            walk.Record(record.data, !seen);
            seen = afterSst = true;
        } else if (record.type == biff::kContinue) {
            if (afterSst)
                walk.Record(record.data, false);
        } else {
            afterSst = false;
        }
    }
}

} // namespace hz
