#pragma once

#include <QStringView>

#include <functional>
#include <vector>

namespace hz {

struct ImportRunContext;
struct SheetKind;

// Imports the worksheet bound in the context, from its row downwards (the importer contract of the run driver).
using Importer = std::function<void(ImportRunContext&)>;

// Which importer a sheet kind's caption selects. A kind without one is passed over, as one without a worksheet.
class ImporterRegistry {
public:
    // caption must be one of the 21 kinds and have no importer yet.
    void Add(QStringView caption, Importer importer);
    // The importer of the kind whose caption equals caption exactly, or null.
    const Importer* Find(QStringView caption) const;

private:
    struct Entry {
        const SheetKind* kind;
        Importer importer;
    };
    std::vector<Entry> entries;
};

} // namespace hz
