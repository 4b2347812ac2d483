#pragma once

#include "engine/workbook/xls/compound_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// Record types of the BIFF8 and BIFF5 streams that the reader looks at.
namespace biff {
inline constexpr std::uint16_t kFormula = 0x0006;
inline constexpr std::uint16_t kBof2 = 0x0009; // the BOF of BIFF2; BIFF3 and BIFF4 have their own too
inline constexpr std::uint16_t kBof3 = 0x0209;
inline constexpr std::uint16_t kBof4 = 0x0409;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kMulRk = 0x00BD;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kRString = 0x00D6;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kDimension = 0x0200;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kRecalcId = 0x01C1;
inline constexpr std::uint16_t kString = 0x0207;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kBof = 0x0809;

// The versions that the BOF of BIFF5 and BIFF8 names.
inline constexpr std::uint16_t kBiff5 = 0x0500; // Excel 5.0 and 95 (BIFF7 names itself BIFF5)
inline constexpr std::uint16_t kBiff8 = 0x0600;
} // namespace biff

struct BiffRecord {
    std::uint16_t type = 0;
    std::string_view data;
};

// Walks the records of a workbook stream from an offset, ending at the end of the stream or at an empty record of
// type 0 (the padding some writers leave after the last EOF). A record longer than BIFF8 allows or running past the end
// of the stream is reported as damage (WorkbookError naming path). The stream is read from its file a window at a
// time: a record's data stays valid until the next call of Next or TakeContinues.
class BiffReader {
public:
    BiffReader(const std::string& path, CompoundStream& stream, std::uint64_t offset);
    // The next record; false at the end of the stream.
    bool Next(BiffRecord& record);
    // Where the record last read starts in the stream.
    std::uint64_t RecordOffset() const { return recordOffset; }
    // The data of the CONTINUE records that directly follow the last record read (consumed), with record, the last
    // record read, pointed again at its data, which may have moved.
    std::vector<std::string_view> TakeContinues(BiffRecord& record);
    [[noreturn]] void Damaged(const std::string& detail) const;

private:
    // Makes the bytes [from, from + count) of the stream available in the window, keeping those from keep on.
    bool Load(std::uint64_t keep, std::uint64_t from, std::size_t count);
    std::string_view Bytes(std::uint64_t from, std::size_t count) const;

    const std::string& path;
    CompoundStream& stream;
    std::string window;
    std::uint64_t windowStart = 0; // where window[0] lies in the stream
    std::uint64_t offset;
    std::uint64_t recordOffset = 0;
};

// Appends UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(std::string& out, const std::vector<std::uint16_t>& units);

// A BIFF8 unicode string (character count of countBytes bytes, option byte, characters) spread over the given
// record parts, each later part starting with its own option byte; returned as UTF-8. Text cut short ends where
// the data ends.
std::string DecodeBiffString(const std::vector<std::string_view>& parts, std::size_t countBytes = 2);

// Whether the unicode string at data[at] (16-bit character count, option byte, optional run and extension
// counts, characters) lies within the record.
bool BiffStringFits(std::string_view data, std::size_t at);

// The bytes of a BIFF5 string (character count of countBytes bytes, then 8-bit characters in the workbook's code
// page), cut where the data ends.
std::string_view BiffByteString(std::string_view data, std::size_t countBytes);

// Whether the BIFF5 string at data[at] lies within the record.
bool BiffByteStringFits(std::string_view data, std::size_t at, std::size_t countBytes);

// The decoded value of an RK number (a packed integer or the high half of a double, maybe divided by 100).
double DecodeRk(std::uint32_t rk);

// Excel's literal for a BIFF error code ("#N/A" for 0x2A); unknown codes read as "#N/A".
std::string_view ErrorLiteral(std::uint8_t code);

} // namespace hz
