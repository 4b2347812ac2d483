#include "engine/workbook/rich_text.h"

#include "engine/workbook/excel_escapes.h"

namespace hz {

void AppendElementText(XmlScanner& scanner, std::vector<char>& out) {
    for (;;) {
        XmlToken token = scanner.Next();
        if (token == XmlToken::Text)
            out.insert(out.end(), scanner.Text().begin(), scanner.Text().end());
        else if (token == XmlToken::StartElement)
            scanner.SkipElement();
        else
            return;
    }
}

void AppendStringItemText(XmlScanner& scanner, std::vector<char>& out) {
    std::size_t start = out.size();
    auto appendText = [&] {
        if (scanner.Name() == "t")
            AppendElementText(scanner, out);
        else
            scanner.SkipElement();
    };
    ForEachChildElement(scanner, [&] {
        if (scanner.Name() == "r")
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
