#include "cli/template_workbook.h"

#include "cli/template_columns.h"
#include "engine/run_error.h"
#include "engine/sheet_kinds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

namespace hz::cli {

namespace {

RunError TemplateError(const QString& path, const QString& problem) {
    return RunError(
        QStringLiteral("无法写入模板工作簿“%1”：%2").arg(QDir::toNativeSeparators(path), problem).toStdString());
}

void Check(lxw_error status, const QString& path) {
    if (status != LXW_NO_ERROR) {
        throw TemplateError(path, QString::fromUtf8(lxw_strerror(status)));
    }
}

void AddKindSheet(lxw_workbook* workbook, lxw_format* headerFormat, const SheetKind& kind, const QString& path) {
    const QByteArray name = kind.caption.toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.constData());
    if (!sheet) {
        throw TemplateError(path, QStringLiteral("无法添加工作表 ") + kind.caption.toString());
    }
    for (const TemplateColumn& column : TemplateColumns(kind)) {
        const auto index = static_cast<lxw_col_t>(column.column - 1);
        // Wide enough for the header: a Chinese character takes about two character widths.
        Check(worksheet_set_column(sheet, index, index, 2.2 * static_cast<double>(column.header.size()) + 2, nullptr),
              path);
        Check(worksheet_write_string(sheet, 0, index, column.header.toUtf8().constData(), headerFormat), path);
    }
    worksheet_freeze_panes(sheet, 1, 0);
}

} // namespace

void WriteTemplateWorkbook(const QString& path) {
    if (QFileInfo::exists(path)) {
        throw TemplateError(path, QStringLiteral("文件已存在，不会覆盖它"));
    }
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new(fileName.constData());
    if (!workbook) {
        throw TemplateError(path, QStringLiteral("内存不足"));
    }
    try {
        lxw_format* headerFormat = workbook_add_format(workbook);
        format_set_bold(headerFormat);
        for (const SheetKind& kind : SheetKinds()) {
            AddKindSheet(workbook, headerFormat, kind, path);
        }
    } catch (...) {
        // Freed without closing: nothing has been written yet.
        lxw_workbook_free(workbook);
        throw;
    }
    const lxw_error status = workbook_close(workbook);
    if (status != LXW_NO_ERROR) {
        QFile::remove(path);
        Check(status, path);
    }
}

} // namespace hz::cli
