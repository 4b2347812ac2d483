#include "engine/workbook/xlsx/package_writer.h"

#include "engine/workbook/edit/worksheet_writer.h"
#include "engine/workbook/package/atomic_file.h"
#include "engine/workbook/package/part_name.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/package/zip_rewrite.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/calc_chain_removal.h"
#include "engine/workbook/xml/xml_document.h"

namespace hz {

void SaveWorksheetEdits(const std::string& path, const std::map<std::string, std::vector<CellEdit>>& editsByPart) {
    if (editsByPart.empty())
        return;
    AtomicFile file(path);
    PackageChanges changes;
    {
        // Closed before the rename: Windows moves no file over one that is open without sharing its deletion.
        ZipPackage package(file.TargetPath());
        bool formulaRemoved = false;
        for (const auto& [partName, edits] : editsByPart) {
            std::optional<std::string> entry = package.EntryName(partName);
            if (!entry)
                throw WorkbookSaveError(path, "部件 " + PrintablePartName(partName) + " 不存在");
            // Two spellings of one part name (names match without regard to case) edit the same part in turn.
            auto earlier = changes.replaced.find(*entry);
            std::string bytes = earlier != changes.replaced.end() ? earlier->second
                                                                  : package.ReadPart(*entry, kMaxEditedWorksheetBytes);
            try {
                EditedWorksheet edited = ApplyCellEdits(std::move(bytes), edits);
                formulaRemoved = formulaRemoved || edited.formulaRemoved;
                changes.replaced[*entry] = std::move(edited.xml);
            } catch (const WorkbookError& problem) {
                throw WorksheetEditError(path, "部件 " + PrintablePartName(*entry) + "：" + problem.what());
            }
        }
        if (formulaRemoved)
            RemoveCalcChain(path, package, changes);
    }
    RewriteZip(path, file.Target(), file.Temporary(), changes);
    file.Commit();
}

} // namespace hz
