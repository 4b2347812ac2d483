#include "engine/workbook/xlsx/cells/rich_text.h"

#include "engine/workbook/excel_escapes.h"

namespace hz {

void AppendElementText(XmlScanner& scanner, std::vector<char>& out) {
    std::string_view text = scanner.ReadElementText();
    out.insert(out.end(), text.begin(), text.end());
}

void AppendStringItemText(XmlScanner& scanner, std::vector<char>& out) {
    std::size_t start = out.size();
    auto appendText = [&] {
        if (NameIs(scanner.Name(), "t"))
            AppendElementText(scanner, out);
        else
            scanner.SkipElement();
    };
    ForEachChildElement(scanner, [&] {
        if (NameIs(scanner.Name(), "r"))
            ForEachChildElement(scanner, appendText);
        else
            appendText(); // <t>; phonetic runs and properties are skipped
    });
    if (out.size() > start) {
        char* newEnd = DecodeExcelEscapes(out.data() + start, out.data() + out.size());
        out.resize(static_cast<std::size_t>(newEnd - out.data()));
    }
}

} // namespace hz
