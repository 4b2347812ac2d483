#include "tests/workbook/workbook_fixtures.h"

#include "engine/workbook/xls/xls_workbook.h"

#include <algorithm>

namespace hz::test {

std::string XlsReadError(const std::string& path) {
    return WorkbookErrorOf([&] { OpenXlsWorkbook(path); });
}

std::string ReadErrorPrefix(const std::string& path) {
    return "无法读取工作簿“" + path + "”：";
}

std::vector<Part> WithPart(std::vector<Part> parts, const std::string& name, const std::string& bytes) {
    auto found = std::find_if(parts.begin(), parts.end(), [&](const Part& part) { return part.first == name; });
    if (found == parts.end())
        parts.emplace_back(name, bytes);
    else
        found->second = bytes;
    return parts;
}

std::vector<Part> WithoutPart(std::vector<Part> parts, const std::string& name) {
    std::erase_if(parts, [&](const Part& part) { return part.first == name; });
    return parts;
}

std::string PartBytes(const std::vector<Part>& parts, const std::string& name) {
    for (const Part& part : parts)
        if (part.first == name)
            return part.second;
    ADD_FAILURE() << "no part " << name;
    return {};
}

std::string StylesXml(const std::vector<std::pair<unsigned, std::string>>& customFormats,
                      const std::vector<unsigned>& cellFormatIds) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts>";
    for (const auto& [id, code] : customFormats) {
        std::string escaped;
        for (char c : code)
            escaped += c == '"' ? std::string("&quot;") : c == '&' ? std::string("&amp;") : std::string(1, c);
        xml += "<numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"" + escaped + "\"/>";
    }
    xml += "</numFmts><cellXfs>";
    for (unsigned id : cellFormatIds)
        xml += "<xf numFmtId=\"" + std::to_string(id) + "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
    return xml + "</cellXfs></styleSheet>";
}

std::string SharedStringsXml(const std::vector<std::string>& texts) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const std::string& text : texts)
        xml += "<si><t xml:space=\"preserve\">" + text + "</t></si>";
    return xml + "</sst>";
}

} // namespace hz::test
