#pragma once

#include <QString>

#include <xlsxwriter.h>

namespace hz {
struct SheetKind;
}

namespace hz::cli {

// A new .xlsx of kind worksheets written by libxlsxwriter in constant-memory mode: each row goes to disk when
// the next one starts and texts are stored in their cells, so a large workbook takes little memory; rows must
// therefore be written top to bottom. Every failure throws RunError "无法写入<what>“<path>”：<problem>".
class KindWorkbookWriter {
public:
    // Refuses a path that exists. what names the workbook in messages, such as "模板工作簿".
    KindWorkbookWriter(QString path, QString what);
    ~KindWorkbookWriter();
    KindWorkbookWriter(const KindWorkbookWriter&) = delete;
    KindWorkbookWriter& operator=(const KindWorkbookWriter&) = delete;

    // A new worksheet named by kind's caption, its first row naming the columns that the kind's importer reads,
    // frozen above the data.
    lxw_worksheet* AddKindSheet(const SheetKind& kind);
    // A cell format for dates in the regional short date form.
    lxw_format* DateFormat();
    // Throws for a status other than success.
    void Check(lxw_error status) const;
    // Writes the file; a file left incomplete is removed.
    void Close();

private:
    QString path;
    QString what;
    lxw_workbook* workbook;
    lxw_format* headerFormat;
    lxw_format* dateFormat = nullptr;
};

} // namespace hz::cli
