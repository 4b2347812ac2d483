#include "engine/rows/row_primitives.h"

#include "engine/run/journal_steps.h"

#include "engine/database/database_error.h"
#include "engine/messages/run_error.h"
#include "engine/run/import_run_context.h"
#include "engine/run/journal_steps.h"
#include "engine/run/run_observer.h"
#include "engine/text/cell_conversions.h"
#include "engine/workbook/cell_address.h"
#include "engine/workbook/workbook.h"

#include <QStringBuilder>

namespace hz {

namespace {

// The columns A to X that a failed voucher's rows carry into the error area.
constexpr int kVoucherColumns = 24;

const QString kValue = QStringLiteral("Value");

// A row's own transaction (ImportMasterSheet) ends before the user is asked to read anything, so that no lock
// is held while the message waits. Nothing of a refused row is written anyway.
void ShowRowMessage(ImportRunContext& context, const QString& text) {
    context.erp.Con.Rollback();
    context.ShowRowMessage(text);
}

QString RowText(const ImportRunContext& context) {
    return QString::number(context.row);
}

// "<kind> 第 <row> 行<label>", which the code checks' messages begin with.
QString CodeMessagePrefix(const ImportRunContext& context, const QString& label) {
    return context.KindName() + QStringLiteral(" 第 ") + RowText(context) + QStringLiteral(" 行") + label;
}

QChar FoldLatin(QChar c) {
    return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c;
}

// Equal when only the case of the Latin letters A to Z differs.
bool EqualIgnoringLatinCase(QStringView a, QStringView b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (FoldLatin(a[i]) != FoldLatin(b[i])) {
            return false;
        }
    }
    return true;
}

// Copies row of a failed voucher, columns A to X, to the next row of the error area.
void CopyIntoErrorArea(ImportRunContext& context, const QString& keyValue) {
    // A voucher that can be neither saved nor copied would be lost without a word.
    if (context.errorAreaRow > kMaxRows) {
        throw RunError(QStringLiteral("工作表 %1 的出错区已到最后一行，第 %2 行的单据 %3 无法复制到出错区")
                           .arg(context.worksheetName)
                           .arg(context.row)
                           .arg(keyValue)
                           .toStdString());
    }
    for (int column = 1; column <= kVoucherColumns; ++column) {
        context.ExcelWorksheet1->CopyCell(context.row, column, context.errorAreaRow, column);
    }
    ++context.errorAreaRow;
    context.errorAreaFilled = true;
}

// A formula that was never calculated would read as empty, and an empty key cell ends a sheet: every row below it
// would be left out without a word.
CellValue CellAt(ImportRunContext& context, int row, int column) {
    const CellValue cell = context.ExcelWorksheet1->Cell(row, column);
    if (cell.kind == CellKind::Uncalculated) {
        throw RunError(
            QStringLiteral("工作表 %1 的单元格 %2%3 是公式，但工作簿里没有它的计算结果（工作簿由程序生成，未经 Excel "
                           "计算）：请在 Excel 中打开并保存该工作簿，再导入")
                .arg(context.worksheetName, QString::fromStdString(ColumnName(column)))
                .arg(row)
                .toStdString());
    }
    return cell;
}

} // namespace

void ReportRowError(ImportRunContext& context, const QString& text) {
    context.runOk = false;
    ShowRowMessage(context, text);
}

bool GoesOnAfterRowError(ImportRunContext& context) {
    if (!context.Checking()) {
        return false;
    }
    context.erp.Con.Rollback();
    context.runOk = true;
    return true;
}

QString ReadCell(ImportRunContext& context, int row, int column) {
    return CellToText(CellAt(context, row, column));
}

double ReadCellNumber(ImportRunContext& context, int row, int column) {
    return CellToNumber(CellAt(context, row, column));
}

std::int32_t ReadCellInteger(ImportRunContext& context, int row, int column) {
    return CellToInteger(CellAt(context, row, column));
}

QString TrimText(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1].unicode() <= u' ') {
        --end;
    }
    return text.sliced(begin, end - begin).toString();
}

QString QueryValue(ImportRunContext& context, const QString& sql) {
    return QueryValue(context.erp.QGetValue, sql);
}

// The primitives build their statement texts for every row, each in one allocation (QStringBuilder).
namespace {

// The first row of a kind that a resumed run took up while it was being imported: the journal says its item is not
// in the ERP yet. When it is, the ERP is ahead of the journal (which a power loss can leave behind its last steps),
// and the run cannot tell what else the journal missed.
void CheckResumedRowIsNew(ImportRunContext& context, const QString& code, bool isNew) {
    if (context.resumeProbeRows.empty() || context.resumeProbeRows[context.kindIndex] != context.row) {
        return;
    }
    context.resumeProbeRows[context.kindIndex] = 0;
    if (!isNew) {
        throw RunError(QStringLiteral("%1第 %2 行的 %3 已在账套中，而运行记录说它尚未导入：运行记录与账套不符（运行记录"
                                      "可能在断电时丢失了最后几条）；请核对后不带 --resume 从给出的起始行导入")
                           .arg(context.KindName(), RowText(context), code)
                           .toStdString());
    }
}

} // namespace

bool CheckCodeIsNew(ImportRunContext& context, const QString& table, const QString& codeField, const QString& code) {
    Query& query = context.erp.QGongYong;
    query.SetText(QStringLiteral("Select 1 From ") % table % QStringLiteral(" WITH (UPDLOCK, HOLDLOCK) Where ") %
                  codeField % QStringLiteral(" = :Value"));
    query.Bind(kValue, code);
    query.Exec();
    const bool isNew = query.IsEmpty();
    CheckResumedRowIsNew(context, code, isNew);
    if (isNew) {
        return true;
    }
    ReportRowError(context, context.KindName() + QStringLiteral("第 ") + RowText(context) + QStringLiteral(" 行 ") +
                                code + QStringLiteral(" 在库中已存在请核实！"));
    return false;
}

bool CheckCodeAndName(ImportRunContext& context, const QString& table, const QString& codeField,
                      const QString& nameField, const QString& code, const QString& name, const QString& label) {
    Query& query = context.erp.QGongYong;
    query.SetText(QStringLiteral("Select ") % nameField % QStringLiteral(" From ") % table %
                  QStringLiteral(" WITH (HOLDLOCK) Where ") % codeField % QStringLiteral(" = :Value"));
    query.Bind(kValue, code);
    query.Exec();
    if (!query.Next()) {
        ReportRowError(context, CodeMessagePrefix(context, label) + QStringLiteral("代码没维护！"));
        return false;
    }
    if (query.Text(nameField) == TrimText(name)) {
        return true;
    }
    ReportRowError(context, CodeMessagePrefix(context, label) + QStringLiteral("代码对应的名称与汇账中不一致！"));
    return false;
}

bool CheckCodeExists(ImportRunContext& context, const QString& table, const QString& codeField, const QString& code,
                     const QString& label) {
    Query& query = context.erp.QGongYong;
    query.SetText(QStringLiteral("Select 1 From ") % table % QStringLiteral(" Where ") % codeField %
                  QStringLiteral(" = :Value"));
    query.Bind(kValue, code);
    query.Exec();
    if (!query.IsEmpty()) {
        return true;
    }
    ReportRowError(context, CodeMessagePrefix(context, label) + QStringLiteral("代码没维护！"));
    return false;
}

bool LookupCodeByName(ImportRunContext& context, const QString& table, const QString& codeField,
                      const QString& nameField, const QString& name, QString& code, bool required,
                      const QString& label) {
    code = QStringLiteral(""); // empty text, not NULL, when written
    if (name.isEmpty()) {
        if (!required) {
            return true;
        }
        ReportRowError(context, QStringLiteral("第 ") + RowText(context) + QStringLiteral(" 行") + label +
                                    QStringLiteral("不能为空！"));
        return false;
    }
    Query& query = context.erp.QGongYong;
    query.SetText(QStringLiteral("Select ") % codeField % QStringLiteral(",") % nameField % QStringLiteral(" From ") %
                  table % QStringLiteral(" where ") % nameField % QStringLiteral(" = :Value"));
    query.Bind(kValue, name);
    query.Exec();
    if (query.IsEmpty()) {
        ShowRowMessage(context, context.KindName() + QStringLiteral("第 ") + RowText(context) + QStringLiteral(" 行") +
                                    name + QStringLiteral("没维护！"));
    } else {
        const QString wanted = TrimText(name);
        const QString& nameKey = nameField;
        while (query.Next()) {
            if (EqualIgnoringLatinCase(query.Text(nameKey), wanted)) {
                code = query.Text(codeField);
                break;
            }
        }
        if (code.isEmpty()) {
            ShowRowMessage(context, context.KindName() + QStringLiteral(" 第 ") + RowText(context) +
                                        QStringLiteral(" 行") + name + QStringLiteral("没维护！"));
        }
    }
    context.runOk = !code.isEmpty();
    return context.runOk;
}

void SaveMasterRow(ImportRunContext& context, const QString& identifier) {
    BatchDataset& QMain = context.erp.QMain;
    if (QMain.State() == DatasetState::Browse) {
        return;
    }
    Connection& Con = context.erp.Con;
    // Within the row's transaction when its importer opened one, else in one of its own.
    if (!Con.InTransaction()) {
        Con.BeginTransaction();
    }
    try {
        QMain.Post();
        QMain.UpdateBatch();
        Con.Commit();
        JournalLanded(context);
    } catch (const DatabaseError&) {
        // Rolled back before the message, so that no lock is held while the user reads it.
        Con.Rollback();
        // A refused row would stay pending and go out again with every later row of the sheet.
        QMain.CancelBatch();
        ++context.rowsLeftOut;
        context.ShowRowMessage(QStringLiteral("编号为 ") + identifier + QStringLiteral(" 的") + context.KindName() +
                               QStringLiteral("保存失败！"));
    }
}

void SetAsideFailedVoucher(ImportRunContext& context, int keyColumn, const QString& keyValue) {
    // A check writes nothing into the workbook: it passes over the voucher.
    const bool copies = !context.Checking();
    context.row = context.voucherFirstRow;
    for (; context.row <= kMaxRows && ReadCell(context, context.row, keyColumn) == keyValue; ++context.row) {
        if (copies) {
            CopyIntoErrorArea(context, keyValue);
        }
    }
    context.erp.QMain.CancelBatch();
    context.erp.QDetail.CancelBatch();
}

} // namespace hz
