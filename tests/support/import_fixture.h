#pragma once

#include "engine/journal/run_journal.h"
#include "engine/run/import_run.h"
#include "engine/run/session.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/recording_observer.h"

#include <gtest/gtest.h>

#include <QVariantMap>

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace hz::test {

// A date cell (a date-time serial with a date format), as Excel stores a typed date.
struct DateCell {
    int year;
    int month;
    int day;
};

// One cell of a test workbook: empty, text, number, logical value or date.
using CellInput = std::variant<std::monostate, std::string, double, bool, DateCell>;

struct TypedSheet {
    std::string name;
    std::vector<std::vector<CellInput>> rows; // from row 1, each from column A
};

// fields with changes applied (replaced or added): one kind's expected row from the row its kinds share.
std::map<std::string, std::string> With(std::map<std::string, std::string> fields,
                                        const std::map<std::string, std::string>& changes);

// Writes an .xlsx with libxlsxwriter, the sheets in tab order.
void WriteTypedWorkbook(const std::string& path, const std::vector<TypedSheet>& sheets);

// Runs imports with the program's importers on a fresh embedded ERP, the way the window does: the session's
// connection is opened before the first run, so that a test can make the ERP fail on it (FailProcedure,
// FailInsertsInto on Con()).
class ImportFixture : public ::testing::Test {
protected:
    ImportFixture();

    Connection& Con() { return session.Con; }

    // Writes sheets into a workbook and imports it with the kinds ticked at their start rows (captions and
    // start-row texts); an error that ends the run propagates.
    RunOutcome Import(const std::vector<TypedSheet>& sheets,
                      const std::vector<std::pair<std::string, std::string>>& ticks);
    // The same, each kind ticked at row 2.
    RunOutcome Import(const std::vector<TypedSheet>& sheets, const std::vector<std::string>& kinds);
    // Imports the workbook at path as it stands, without writing it first; an error that ends the run propagates.
    RunOutcome ImportBook(const std::string& path, const std::vector<std::pair<std::string, std::string>>& ticks);

    // What the run told the user, in order, without the start-row events.
    std::vector<std::string> Messages() const;
    // The last text written into kind's start-row box, or "" when none was.
    std::string StartRowBox(const std::string& kind) const;
    // Every text written into kind's start-row box, in order.
    std::vector<std::string> StartRowHistory(const std::string& kind) const;

    // The row of table whose field equals value, every column by name (NULL for unset ones); empty when none.
    QVariantMap Row(const QString& table, const QString& field, const QVariant& value);
    // The same row, each column as its stored type and value ("NULL", "int 1", "real 0.5", "text '01'"), so that a
    // comparison also tells a number written as text or a boolean written as "True"; empty when there is none.
    std::map<std::string, std::string> TypedRow(const QString& table, const QString& field, const QVariant& value);
    int Count(const QString& table);
    // The run journal of the fixture's workbook and ERP, beside the session's settings file.
    RunJournal Journal() const;

    FreshErp erp;
    RunMode mode = RunMode::Import; // of the runs that Import and ImportBook start
    bool resume = false;            // the same: they resume from the run journal
    Session session;
    RecordingObserver observer;
    std::string workbookPath;
};

} // namespace hz::test
