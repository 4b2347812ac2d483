#pragma once

#include "tests/support/import_fixture.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace hz::test {

// A master sheet kind as the tests of the routine shape all kinds share see it: its table and code field, and how
// a valid sheet row (from column A) with a given code and name looks.
struct MasterKindCase {
    std::string caption;
    QString table;
    QString codeField;
    std::function<std::vector<CellInput>(const std::string& code, const std::string& name)> row;
};

void PrintTo(const MasterKindCase& kind, std::ostream* out);

// The behaviour every master sheet kind shares, checked on the kind under test.
class MasterKindTest : public ImportFixture, public ::testing::WithParamInterface<MasterKindCase> {
protected:
    // A header row, then one valid row per code, named "名" + code; an empty code gives a row with data and no code.
    TypedSheet Sheet(const std::vector<std::string>& codes) const;

    // A code met a second time stops the run there, and nothing of that row is written; once the user mends the
    // row, a run from the start-row box carries on at it.
    void ExpectRepeatedCodeStopsThenResumes();
    // A row the database refuses is reported by its name and left out; the rows after it are saved, and the sheet
    // ends at the first empty code however many rows follow.
    void ExpectRefusedRowIsSkipped();
};

} // namespace hz::test
