#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace hz {

class StoredProcedure;

// A procedure call as one SQL Server batch that returns the outputs as its last result set:
// "DECLARE @hz_0 int, @hz_5 int = ?; EXEC @hz_0 = name @a = ?, @b = @hz_5 OUTPUT; SELECT @hz_0, @hz_5".
// Qt's ODBC driver reads output parameters right after execution, before the row counts and result sets that a
// procedure sends first, so they would come back NULL; a result set arrives whole. Arguments go by name, so that
// a procedure whose parameter list grew or changed its order in another version of the ERP still gets each value
// in its place, or refuses a name it lacks.
struct SqlServerCall {
    QString text;
    std::vector<QVariant> bound; // the value behind each "?", in text order, typed as its parameter
    std::vector<int> returned;   // the parameter behind each column of the last result set
};

SqlServerCall MakeSqlServerCall(const StoredProcedure& call);

} // namespace hz
