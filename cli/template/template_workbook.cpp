#include "cli/template/template_workbook.h"

#include "cli/template/kind_workbook_writer.h"
#include "engine/run/sheet_kinds.h"

namespace hz::cli {

void WriteTemplateWorkbook(const QString& path) {
    KindWorkbookWriter writer(path, QStringLiteral("模板工作簿"));
    for (const SheetKind& kind : SheetKinds()) {
        writer.AddKindSheet(kind);
    }
    writer.Close();
}

} // namespace hz::cli
