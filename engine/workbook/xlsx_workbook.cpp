#include "engine/workbook/xlsx_workbook.h"

#include "engine/workbook/content_types.h"
#include "engine/workbook/package_writer.h"
#include "engine/workbook/workbook_part.h"
#include "engine/workbook/xlsx_worksheet.h"

namespace hz {

namespace {

class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const std::string& path) {
        state.path = path;
        ZipPackage& package = state.Package();
        ContentTypes contentTypes = ReadContentTypes(package);
        WorkbookPart part = ReadWorkbookPart(package, contentTypes);
        state.date1904 = part.date1904;
        state.styles = ReadStyles(package, part.stylesPart);
        if (!part.sharedStringsPart.empty())
            state.sharedStrings =
                ReadSharedStrings(*package.OpenPart(part.sharedStringsPart), path, part.sharedStringsPart);
        for (WorksheetEntry& entry : part.worksheets)
            worksheets.push_back(std::make_unique<XlsxWorksheet>(state, std::move(entry)));
    }

    const std::string& Path() const override { return state.path; }
    int WorksheetCount() const override { return static_cast<int>(worksheets.size()); }
    Worksheet& WorksheetAt(int index) override { return *worksheets.at(static_cast<std::size_t>(index - 1)); }

    bool HasChanges() const override {
        for (const auto& worksheet : worksheets)
            if (!worksheet->PendingEdits().empty())
                return true;
        return false;
    }

    bool SavesInPlace() const override { return true; }

    std::string SaveChanges() override {
        std::map<std::string, std::vector<CellEdit>> editsByPart;
        for (const auto& worksheet : worksheets)
            if (!worksheet->PendingEdits().empty())
                editsByPart[worksheet->PartName()] = worksheet->PendingEdits();
        if (editsByPart.empty())
            return {};
        // The open package holds the file, which some systems refuse to replace; worksheets not read yet open
        // it again, and find their parts unchanged.
        state.package.reset();
        SaveWorksheetEdits(state.path, editsByPart);
        for (const auto& worksheet : worksheets)
            worksheet->ClearPendingEdits();
        return state.path;
    }

private:
    XlsxWorkbookState state;
    std::vector<std::unique_ptr<XlsxWorksheet>> worksheets;
};

} // namespace

std::unique_ptr<Workbook> OpenXlsxWorkbook(const std::string& path) {
    return std::make_unique<XlsxWorkbook>(path);
}

} // namespace hz
