#include "engine/workbook/xls/xls_globals.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/number_format.h"
#include "engine/workbook/xls/biff_records.h"

#include <map>

namespace hz {

namespace {

// The version that the first record of a workbook stream names; 0 when it is no BOF.
std::uint16_t BiffVersion(const BiffRecord& bof) {
    switch (bof.type) {
    case biff::kBof2:
        return 0x0200;
    case biff::kBof3:
        return 0x0300;
    case biff::kBof4:
        return 0x0400;
    case biff::kBof:
        return bof.data.size() >= 4 ? ReadU16(bof.data, 0) : 0;
    default:
        return 0;
    }
}

// The texts of the globals as the records hold them: BIFF8's unicode strings are decoded at once, BIFF5's 8-bit ones
// once the whole globals have named their code page.
class GlobalTexts {
public:
    explicit GlobalTexts(bool biff5) : biff5(biff5) {}

    void AddSheet(XlsGlobals& globals, const BiffReader& reader, std::string_view data) {
        if (data.size() < (biff5 ? 7u : 8u))
            reader.Damaged("工作表目录记录过短");
        globals.sheets.push_back({ReadU32(data, 0), (data[4] & 3) != 0, data[5] == 0, {}});
        if (biff5)
            sheetNames.emplace_back(BiffByteString(data.substr(6), 1));
        else
            globals.sheets.back().name = DecodeBiffString({data.substr(6)}, 1);
    }

    void AddFormat(const BiffReader& reader, std::string_view data) {
        if (biff5 ? !BiffByteStringFits(data, 2, 1) : !BiffStringFits(data, 2))
            reader.Damaged("数字格式记录中的文字超出记录范围");
        if (biff5)
            formats[ReadU16(data, 0)] = BiffByteString(data.substr(2), 1);
        else
            dateFormats[ReadU16(data, 0)] = ClassifyNumberFormat(DecodeBiffString({data.substr(2)})).positive;
    }

    // Decodes the 8-bit texts; returns by format id whether each custom format shows a date or a time.
    std::map<std::uint16_t, bool> Finish(const std::string& path, XlsGlobals& globals) {
        if (biff5) {
            const XlsCodePage codePage(path, globals.codePage);
            for (std::size_t i = 0; i < sheetNames.size(); ++i)
                globals.sheets[i].name = codePage.Decode(sheetNames[i]);
            for (const auto& [id, text] : formats)
                dateFormats[id] = ClassifyNumberFormat(codePage.Decode(text)).positive;
        }
        return std::move(dateFormats);
    }

private:
    bool biff5;
    std::vector<std::string> sheetNames;
    std::map<std::uint16_t, std::string> formats;
    std::map<std::uint16_t, bool> dateFormats;
};

} // namespace

XlsGlobals ReadXlsGlobals(const std::string& path, CompoundStream& stream) {
    XlsGlobals globals;
    BiffReader reader(path, stream, 0);
    BiffRecord record;
    if (!reader.Next(record))
        return globals;
    globals.biffVersion = BiffVersion(record);
    if (globals.biffVersion != biff::kBiff8 && globals.biffVersion != biff::kBiff5)
        return globals;

    GlobalTexts texts(globals.biffVersion == biff::kBiff5);
    std::vector<std::uint16_t> xfFormats;
    bool sstSeen = false;
    while (reader.Next(record) && record.type != biff::kEof) {
        std::string_view data = record.data;
        switch (record.type) {
        case biff::kFilePass:
            globals.encrypted = true;
            return globals;
        case biff::kRecalcId:
            globals.recalculated = true;
            break;
        case biff::kCodePage:
            if (data.size() >= 2)
                globals.codePage = ReadU16(data, 0);
            break;
        case biff::kDateMode:
            if (data.size() >= 2)
                globals.dates1904 = ReadU16(data, 0) != 0;
            break;
        case biff::kBoundSheet:
            texts.AddSheet(globals, reader, data);
            break;
        case biff::kSst:
            if (!sstSeen) {
                const std::vector<std::string_view> continues = reader.TakeContinues(record);
                globals.strings.Read(reader, record.data, continues);
            }
            sstSeen = true;
            break;
        case biff::kFormat:
            texts.AddFormat(reader, data);
            break;
        case biff::kXf:
            // The format index lies at the same place in BIFF5 and BIFF8.
            if (data.size() >= 4)
                xfFormats.push_back(ReadU16(data, 2));
            break;
        default:
            break;
        }
    }
    const std::map<std::uint16_t, bool> customDateFormats = texts.Finish(path, globals);
    globals.dateXfs.reserve(xfFormats.size());
    for (std::uint16_t format : xfFormats) {
        auto custom = customDateFormats.find(format);
        globals.dateXfs.push_back(custom != customDateFormats.end() ? custom->second : IsBuiltInDateFormat(format));
    }
    return globals;
}

} // namespace hz
