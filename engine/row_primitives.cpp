#include "engine/row_primitives.h"

#include "engine/cell_conversions.h"
#include "engine/database/database_error.h"
#include "engine/import_run_context.h"
#include "engine/run_observer.h"
#include "engine/workbook/workbook.h"

#include <QStringBuilder>

namespace hz {

namespace {

// The columns A to X that a failed voucher's rows carry into the error area.
constexpr int kVoucherColumns = 24;

const QString kValue = QStringLiteral("Value");

void ReportRowError(ImportRunContext& context, const QString& text) {
    context.runOk = false;
    context.observer.ShowMessage(text);
}

QString RowText(const ImportRunContext& context) {
    return QString::number(context.row);
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

} // namespace

QString ReadCell(ImportRunContext& context, int row, int column) {
    return CellToText(context.ExcelWorksheet1->Cell(row, column));
}

double ReadCellNumber(ImportRunContext& context, int row, int column) {
    return CellToNumber(context.ExcelWorksheet1->Cell(row, column));
}

std::int32_t ReadCellInteger(ImportRunContext& context, int row, int column) {
    return CellToInteger(context.ExcelWorksheet1->Cell(row, column));
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

bool CheckCodeIsNew(ImportRunContext& context, QStringView table, QStringView codeField, const QString& code) {
    Query& query = context.erp.QGongYong;
    query.SetText(u"Select 1 From " % table % u" Where " % codeField % u" = :Value");
    query.Bind(kValue, code);
    query.Exec();
    if (query.IsEmpty()) {
        return true;
    }
    ReportRowError(context, context.KindName() % u"第 " % RowText(context) % u" 行 " % code % u" 在库中已存在请核实！");
    return false;
}

bool CheckCodeAndName(ImportRunContext& context, QStringView table, QStringView codeField, QStringView nameField,
                      const QString& code, const QString& name, QStringView label) {
    Query& query = context.erp.QGongYong;
    query.SetText(u"Select " % nameField % u" From " % table % u" Where " % codeField % u" = :Value");
    query.Bind(kValue, code);
    query.Exec();
    const QString prefix = context.KindName() % u" 第 " % RowText(context) % u" 行" % label;
    if (!query.Next()) {
        ReportRowError(context, prefix % u"代码没维护！");
        return false;
    }
    if (query.Text(nameField.toString()) == TrimText(name)) {
        return true;
    }
    ReportRowError(context, prefix % u"代码对应的名称与汇账中不一致！");
    return false;
}

bool LookupCodeByName(ImportRunContext& context, QStringView table, QStringView codeField, QStringView nameField,
                      const QString& name, QString& code, bool required, QStringView label) {
    code.clear();
    if (name.isEmpty()) {
        if (!required) {
            return true;
        }
        ReportRowError(context, u"第 " % RowText(context) % u" 行" % label % u"不能为空！");
        return false;
    }
    Query& query = context.erp.QGongYong;
    query.SetText(u"Select " % codeField % u"," % nameField % u" From " % table % u" where " % nameField %
                  u" = :Value");
    query.Bind(kValue, name);
    query.Exec();
    if (query.IsEmpty()) {
        context.observer.ShowMessage(context.KindName() % u"第 " % RowText(context) % u" 行" % name % u"没维护！");
    } else {
        const QString wanted = TrimText(name);
        const QString nameKey = nameField.toString();
        while (query.Next()) {
            if (EqualIgnoringLatinCase(query.Text(nameKey), wanted)) {
                code = query.Text(codeField.toString());
                break;
            }
        }
        if (code.isEmpty()) {
            context.observer.ShowMessage(context.KindName() % u" 第 " % RowText(context) % u" 行" % name % u"没维护！");
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
    Con.BeginTransaction();
    try {
        QMain.Post();
        QMain.UpdateBatch();
        Con.Commit();
    } catch (const DatabaseError&) {
        // Rolled back before the message, so that no lock is held while the user reads it.
        Con.Rollback();
        // A refused row would stay pending and go out again with every later row of the sheet.
        QMain.CancelBatch();
        context.observer.ShowMessage(u"编号为 " % identifier % u" 的" % context.KindName() % u"保存失败！");
    }
}

void SetAsideFailedVoucher(ImportRunContext& context, int keyColumn, const QString& keyValue) {
    Worksheet& sheet = *context.ExcelWorksheet1;
    context.row = context.voucherFirstRow;
    while (context.row <= kMaxRows && context.errorAreaRow <= kMaxRows &&
           ReadCell(context, context.row, keyColumn) == keyValue) {
        for (int column = 1; column <= kVoucherColumns; ++column) {
            sheet.CopyCell(context.row, column, context.errorAreaRow, column);
        }
        ++context.row;
        ++context.errorAreaRow;
    }
    context.erp.QMain.CancelBatch();
    context.erp.QDetail.CancelBatch();
}

} // namespace hz
