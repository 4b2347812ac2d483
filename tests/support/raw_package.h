#pragma once

#include <string>
#include <utility>
#include <vector>

namespace hz::test {

// One package part: name inside the zip and its bytes.
using Part = std::pair<std::string, std::string>;

// Writes a zip file holding exactly the given parts, deflated unless stored is set.
void WriteZipPackage(const std::string& path, const std::vector<Part>& parts, bool stored = false);

// The parts of a minimal valid workbook: one worksheet per sheet XML given, named Sheet1, Sheet2, ...;
// sharedStrings and styles parts are added when their XML is non-empty.
std::vector<Part> MinimalXlsxParts(const std::vector<std::string>& sheetXmls, const std::string& sharedStringsXml = "",
                                   const std::string& stylesXml = "");

// A worksheet part around the given sheetData content.
std::string SheetXml(const std::string& sheetDataContent);

} // namespace hz::test
