#pragma once

#include "engine/workbook/xml/xml_scanner.h"

#include <vector>

namespace hz {

// After a StartElement: appends the element's character data to out (child elements skipped) and consumes the
// element through its EndElement.
void AppendElementText(XmlScanner& scanner, std::vector<char>& out);

// After the StartElement of a string item (<si>, <is>): appends its plain text to out and consumes it through its
// EndElement. The text is that of <t> and of the <t> in each rich-text run <r>, joined; phonetic runs <rPh> are
// left out, Excel's _xHHHH_ escapes are decoded.
void AppendStringItemText(XmlScanner& scanner, std::vector<char>& out);

} // namespace hz
