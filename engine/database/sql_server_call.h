#pragma once

#include <QString>

#include <vector>

namespace hz {

class StoredProcedure;

// A procedure call as one SQL Server batch that returns the outputs as its last result set:
// "DECLARE @hz_0 int, @hz_5 int = ?; EXEC @hz_0 = name ?, @hz_5 OUTPUT; SELECT @hz_0, @hz_5".
// Qt's ODBC driver reads output parameters right after execution, before the row counts and result sets that a
// procedure sends first, so they would come back NULL; a result set arrives whole.
struct SqlServerCall {
    QString text;
    std::vector<int> bound;    // the parameter behind each "?", in text order
    std::vector<int> returned; // the parameter behind each column of the last result set
};

SqlServerCall MakeSqlServerCall(const StoredProcedure& call);

} // namespace hz
