#pragma once

#include "engine/workbook/workbook_error.h"
#include "tests/support/raw_package.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace hz::test {

// The message of the WorkbookError that action throws; fails the test when it throws none.
template <typename Action> std::string WorkbookErrorOf(Action&& action) {
    try {
        action();
    } catch (const WorkbookError& error) {
        return error.what();
    }
    ADD_FAILURE() << "no WorkbookError";
    return {};
}

// "无法读取工作簿“path”："
std::string ReadErrorPrefix(const std::string& path);
// The message with which the .xls reader refuses the file at path; fails the test when it opens.
std::string XlsReadError(const std::string& path);

// The parts with one part's bytes replaced (or added when missing).
std::vector<Part> WithPart(std::vector<Part> parts, const std::string& name, const std::string& bytes);
std::vector<Part> WithoutPart(std::vector<Part> parts, const std::string& name);
// The bytes of a part; fails the test when it is missing.
std::string PartBytes(const std::vector<Part>& parts, const std::string& name);

// A styles part: custom number formats (id, code) and one cellXfs entry per numFmtId given.
std::string StylesXml(const std::vector<std::pair<unsigned, std::string>>& customFormats,
                      const std::vector<unsigned>& cellFormatIds);
// A shared-strings part holding the texts in order.
std::string SharedStringsXml(const std::vector<std::string>& texts);

} // namespace hz::test
