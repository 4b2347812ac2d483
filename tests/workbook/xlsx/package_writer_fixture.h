#pragma once

#include "engine/workbook/edit/worksheet_writer.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hz::test {

using Edits = std::map<std::string, std::vector<CellEdit>>;

inline const std::string kSheet1 = "xl/worksheets/sheet1.xml";

// A workbook of two sheets whose first sheet holds sheet1Data, with one shared string.
std::vector<Part>
PackageWriterFixture(const std::string& sheet1Data = R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");

// Saves the edits into the workbook at path: "saved", or the message of the WorkbookError.
std::string SaveAndReport(const std::string& path, const Edits& edits);

// A save that fails: how it is set up, and what it says.
struct FailureCase {
    const char* name;
    // Prepares the scratch folder holding book.xlsx; returns the path to save.
    std::function<std::string(const ScratchFolder&, const std::string&)> setUp;
    Edits edits;
    std::string problem; // the text after "无法保存工作簿“path”：", with FOLDER for the scratch folder
    // Runs the save and reports it, as SaveAndReport does, under conditions of the case's own; SaveAndReport itself
    // when empty.
    std::function<std::string(const std::string& path, const Edits&)> save = nullptr;
};

// Each case's save fails with its message, leaving the original workbook and no temporary file.
void ExpectFailedSaves(const std::vector<FailureCase>& cases);

} // namespace hz::test
