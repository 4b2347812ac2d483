#pragma once

#include <QString>

namespace hz {

class Connection;

// Creates the embedded ERP's file at path: its tables, indexes and reference rows. The file appears whole or
// not at all, and a path that exists already is refused (DatabaseError).
void CreateEmbeddedErp(const QString& path);

// Makes a connection ready for embedded ERP files: every open through QSQLITE runs
// PrepareEmbeddedErpConnection, and the ERP's procedures (sp_GetId, ST_SaveForStock, ST_VerForStock,
// Usp_SCM_CommitGeneralLedgerWithCheck) are registered on it.
void InstallEmbeddedErp(Connection& connection);

// For a connection open on an embedded ERP's file: registers the collation HZ_CI_RTRIM when the driver is
// QSQLITE (an ODBC connection loads it with the driver's LoadExt option instead), refuses a file that is no
// embedded ERP, and gives the connection a spid that no other connection of the file has had.
void PrepareEmbeddedErpConnection(Connection& connection);

} // namespace hz
