#include "engine/workbook/xlsx/cells/shared_strings.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/cells/rich_text.h"
#include "engine/workbook/xml/xml_scanner.h"

#include <cassert>
#include <limits>

namespace hz {

std::string_view SharedStrings::At(std::size_t index) const {
    assert(index < ends.size());
    std::uint32_t begin = index == 0 ? 0 : ends[index - 1];
    return {pool.data() + begin, ends[index] - begin};
}

SharedStrings ReadSharedStrings(ByteSource& source, const std::string& path, const std::string& partName,
                                std::size_t chunkSize) {
    SharedStrings strings;
    XmlScanner scanner(source, chunkSize);
    try {
        scanner.Next();
        if (scanner.Name() != "sst")
            throw WorkbookReadError(path, "部件 " + partName + " 有误：根元素是 <" + std::string(scanner.Name()) +
                                              ">，不是共享字符串表");
        // The count attributes are not trusted: the table grows with what is really there.
        ForEachChildElement(scanner, [&] {
            if (scanner.Name() != "si") {
                scanner.SkipElement();
                return;
            }
            AppendStringItemText(scanner, strings.pool);
            if (strings.pool.size() > std::numeric_limits<std::uint32_t>::max())
                throw WorkbookReadError(path, "部件 " + partName + " 有误：共享字符串的总量超过 4 GB");
            strings.ends.push_back(static_cast<std::uint32_t>(strings.pool.size()));
        });
        scanner.Next();
    } catch (const XmlError& error) {
        throw XmlPartError(path, partName, error);
    }
    return strings;
}

} // namespace hz
