#pragma once

#include <QStringView>

#include <span>

namespace hz {
struct SheetKind;
}

namespace hz::cli {

// One column that a kind's importer reads, with the header that names it on the template's first row.
struct TemplateColumn {
    int column; // 1 is A
    QStringView header;
};

// The columns of kind's worksheet, left to right. Columns that no importer reads have no header.
std::span<const TemplateColumn> TemplateColumns(const SheetKind& kind);

} // namespace hz::cli
