#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

namespace hz {

struct ImportRunContext;

// The checks, lookups and saves that every importer performs on its rows. A failing check or lookup is a row
// error: one message to the user, runOk false, result false; the importer then leaves its row loop. Database
// errors outside SaveMasterRow are not caught: they end the run. Before any message a transaction open on Con
// (a master row's own, see ImportMasterSheet) is rolled back, so that no lock is held while the user reads it. Table
// and field names are fixed identifiers of the ERP; the value looked for is always bound as ":Value", never pasted into
// the text.

// The cell (row, column) of the bound worksheet, 1-based, as text, number or 32-bit integer (the conversions of
// cell_conversions.h; a cell that cannot be converted throws RunError).
QString ReadCell(ImportRunContext& context, int row, int column);
double ReadCellNumber(ImportRunContext& context, int row, int column);
std::int32_t ReadCellInteger(ImportRunContext& context, int row, int column);

// A row error: rolls back a transaction open on Con, shows text at context.row, sets runOk false.
void ReportRowError(ImportRunContext& context, const QString& text);

// Whether the importer goes on after a row error: not in an import, whose sheet stops there. A check has recorded
// the error; runOk is true again, and the importer reads on below the failed row or voucher.
bool GoesOnAfterRowError(ImportRunContext& context);

// Text without blanks and control characters (every character up to U+0020) at both ends.
QString TrimText(QStringView text);

// The field "Value" of the first record of sql as text, or "" (on QGetValue).
QString QueryValue(ImportRunContext& context, const QString& sql);

// True when no row of table has code (untrimmed; the database's collation compares). Otherwise reports
// "<kind>第 <row> 行 <code> 在库中已存在请核实！".
bool CheckCodeIsNew(ImportRunContext& context, const QString& table, const QString& codeField, const QString& code);

// True when code exists in table and its stored name, untrimmed, equals name trimmed, case-sensitively.
// Otherwise reports "<kind> 第 <row> 行<label>代码没维护！" or "<kind> 第 <row>
// 行<label>代码对应的名称与汇账中不一致！".
bool CheckCodeAndName(ImportRunContext& context, const QString& table, const QString& codeField,
                      const QString& nameField, const QString& code, const QString& name, const QString& label);

// True when code exists in table; its name is not looked at. Otherwise reports CheckCodeAndName's
// "<kind> 第 <row> 行<label>代码没维护！".
bool CheckCodeExists(ImportRunContext& context, const QString& table, const QString& codeField, const QString& code,
                     const QString& label);

// Finds the code of the first row whose name equals name trimmed, ignoring the case of Latin letters; the query
// itself looks for the untrimmed name. An empty name is accepted (code empty) unless required: then
// "第 <row> 行<label>不能为空！". A name found nowhere gives "<kind>第 <row> 行<name>没维护！" when no row
// came back and "<kind> 第 <row> 行<name>没维护！" when rows came back but none matched. Sets runOk to the
// result, in both directions.
bool LookupCodeByName(ImportRunContext& context, const QString& table, const QString& codeField,
                      const QString& nameField, const QString& name, QString& code, bool required,
                      const QString& label);

// Sends QMain's pending row and commits, in the row's transaction when one is open, else in one of its own. A refusal
// is rolled back, reported as "编号为 <identifier> 的<kind>保存失败！", counted as a row left out and dropped from
// QMain, so that the next row's save sends only that row; runOk is not changed. Does nothing when QMain is neither
// inserting nor editing.
void SaveMasterRow(ImportRunContext& context, const QString& identifier);

// Copies the rows of the voucher that begins at voucherFirstRow (those whose keyColumn reads exactly keyValue),
// columns A to X, into the error area from errorAreaRow down, and drops the voucher's pending rows from QMain
// and QDetail. Afterwards row is the first row below the voucher; runOk is not changed. Throws RunError when the
// error area reaches the worksheet's last row. A check copies nothing: it only passes over the voucher.
void SetAsideFailedVoucher(ImportRunContext& context, int keyColumn, const QString& keyValue);

} // namespace hz
