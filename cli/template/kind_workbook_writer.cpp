#include "cli/template/kind_workbook_writer.h"

#include "cli/template/template_columns.h"
#include "engine/messages/run_error.h"
#include "engine/run/sheet_kinds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace hz::cli {

namespace {

RunError WriteError(const QString& what, const QString& path, const QString& problem) {
    return RunError(
        QStringLiteral("无法写入%1“%2”：%3").arg(what, QDir::toNativeSeparators(path), problem).toStdString());
}

lxw_workbook* NewWorkbook(const QString& what, const QString& path) {
    if (QFileInfo::exists(path)) {
        throw WriteError(what, path, QStringLiteral("文件已存在，不会覆盖它"));
    }
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook) {
        throw WriteError(what, path, QStringLiteral("内存不足"));
    }
    return workbook;
}

} // namespace

KindWorkbookWriter::KindWorkbookWriter(QString path, QString what)
    : path(std::move(path)), what(std::move(what)), workbook(NewWorkbook(this->what, this->path)),
      headerFormat(workbook_add_format(workbook)) {
    format_set_bold(headerFormat);
}

KindWorkbookWriter::~KindWorkbookWriter() {
    // Still open after a failure: freed without writing the file.
    if (workbook) {
        lxw_workbook_free(workbook);
    }
}

lxw_worksheet* KindWorkbookWriter::AddKindSheet(const SheetKind& kind) {
    const QByteArray name = kind.caption.toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.constData());
    if (!sheet) {
        throw WriteError(what, path, QStringLiteral("无法添加工作表 ") + kind.caption.toString());
    }
    for (const TemplateColumn& column : TemplateColumns(kind)) {
        const auto index = static_cast<lxw_col_t>(column.column - 1);
        // Wide enough for the header: a Chinese character takes about two character widths.
        Check(worksheet_set_column(sheet, index, index, 2.2 * static_cast<double>(column.header.size()) + 2, nullptr));
        Check(worksheet_write_string(sheet, 0, index, column.header.toUtf8().constData(), headerFormat));
    }
    worksheet_freeze_panes(sheet, 1, 0);
    return sheet;
}

lxw_format* KindWorkbookWriter::DateFormat() {
    if (!dateFormat) {
        dateFormat = workbook_add_format(workbook);
        format_set_num_format(dateFormat, "yyyy/m/d");
    }
    return dateFormat;
}

void KindWorkbookWriter::Check(lxw_error status) const {
    if (status != LXW_NO_ERROR) {
        throw WriteError(what, path, QString::fromUtf8(lxw_strerror(status)));
    }
}

void KindWorkbookWriter::Close() {
    // workbook_close frees the workbook whatever it answers.
    const lxw_error status = workbook_close(std::exchange(workbook, nullptr));
    if (status != LXW_NO_ERROR) {
        QFile::remove(path);
        Check(status);
    }
}

} // namespace hz::cli
