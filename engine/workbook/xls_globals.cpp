#include "engine/workbook/xls_globals.h"

#include "engine/workbook/biff_records.h"
#include "engine/workbook/little_endian.h"
#include "engine/workbook/number_format.h"

#include <map>

namespace hz {

XlsGlobals ReadXlsGlobals(const std::string& path, CompoundStream& stream) {
    XlsGlobals globals;
    BiffReader reader(path, stream, 0);
    BiffRecord record;
    if (!reader.Next(record) || record.type != biff::kBof || record.data.size() < 4)
        return globals;
    globals.biffVersion = ReadU16(record.data, 0);
    if (globals.biffVersion != 0x0600)
        return globals;

    std::map<std::uint16_t, bool> customDateFormats;
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
        case biff::kDateMode:
            if (data.size() >= 2)
                globals.dates1904 = ReadU16(data, 0) != 0;
            break;
        case biff::kBoundSheet:
            if (data.size() < 8)
                reader.Damaged("工作表目录记录过短");
            globals.sheets.push_back(
                {ReadU32(data, 0), (data[4] & 3) != 0, data[5] == 0, DecodeBiffString({data.substr(6)}, 1)});
            break;
        case biff::kSst:
            if (!sstSeen) {
                const std::vector<std::string_view> continues = reader.TakeContinues(record);
                globals.strings.Read(reader, record.data, continues);
            }
            sstSeen = true;
            break;
        case biff::kFormat:
            if (!BiffStringFits(data, 2))
                reader.Damaged("数字格式记录中的文字超出记录范围");
            customDateFormats[ReadU16(data, 0)] = ClassifyNumberFormat(DecodeBiffString({data.substr(2)})).positive;
            break;
        case biff::kXf:
            if (data.size() >= 4)
                xfFormats.push_back(ReadU16(data, 2));
            break;
        default:
            break;
        }
    }
    globals.dateXfs.reserve(xfFormats.size());
    for (std::uint16_t format : xfFormats) {
        auto custom = customDateFormats.find(format);
        globals.dateXfs.push_back(custom != customDateFormats.end() ? custom->second : IsBuiltInDateFormat(format));
    }
    return globals;
}

} // namespace hz
