#include "engine/workbook/xlsx/workbook_part.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/content_types.h"
#include "engine/workbook/xlsx/relationships.h"
#include "engine/workbook/xml/xml_document.h"

namespace hz {

namespace {

void CheckSpreadsheetType(const std::string& path, std::string_view type) {
    static constexpr std::string_view kWorkbookTypes[] = {
        "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
        "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml",
        "application/vnd.ms-excel.sheet.macroEnabled.main+xml",
        "application/vnd.ms-excel.template.macroEnabled.main+xml",
    };
    for (std::string_view known : kWorkbookTypes)
        if (type == known)
            return;
    if (type == "application/vnd.ms-excel.sheet.binary.macroEnabled.main")
        throw WorkbookReadError(path, "不支持二进制格式的工作簿（.xlsb），请在 Excel 中另存为 .xlsx");
    throw WorkbookReadError(path, "文件不是 Excel 工作簿（主文档的类型为“" + PrintablePartName(type) + "”）");
}

// The entry name of an optional part that a workbook relationship of this kind points to, or empty text.
std::string OptionalPart(const ZipPackage& package, const Relationships& relationships, std::string_view kind) {
    const Relationship* relationship = relationships.FirstOfKind(kind);
    if (!relationship)
        return {};
    return package.EntryName(relationship->target).value_or("");
}

bool XmlBoolean(std::string_view value) {
    return value == "1" || value == "true";
}

} // namespace

WorkbookPart ReadWorkbookPart(ZipPackage& package, const ContentTypes& contentTypes) {
    const std::string& path = package.Path();
    Relationships packageRelationships = ReadRelationships(package, "");
    const Relationship* main = packageRelationships.FirstOfKind("officeDocument");
    if (!main)
        throw WorkbookReadError(path, "找不到工作簿部件（包关系 _rels/.rels 缺失或没有指向主文档）");
    WorkbookPart workbook;
    std::optional<std::string> entry = package.EntryName(main->target);
    if (!entry)
        throw WorkbookReadError(path, "缺少工作簿部件 " + PrintablePartName(main->target));
    workbook.partName = *entry;
    CheckSpreadsheetType(path, contentTypes.TypeOf(workbook.partName));

    pugi::xml_document document = LoadXmlPart(package, workbook.partName);
    pugi::xml_node root = document.document_element();
    if (LocalName(root.name()) != "workbook")
        throw WorkbookReadError(path, "部件 " + workbook.partName + " 的根元素不是 workbook");
    workbook.date1904 = XmlBoolean(AttributeByLocalName(ChildByLocalName(root, "workbookPr"), "date1904").value());

    Relationships relationships = ReadRelationships(package, workbook.partName);
    for (pugi::xml_node sheet : ChildByLocalName(root, "sheets").children()) {
        if (sheet.type() != pugi::node_element || LocalName(sheet.name()) != "sheet")
            continue;
        pugi::xml_attribute name = AttributeByLocalName(sheet, "name");
        if (!name || !*name.value())
            throw WorkbookReadError(path, "部件 " + workbook.partName + " 中有工作表没有名称");
        std::string id = AttributeByLocalName(sheet, "id").value();
        const Relationship* relationship = relationships.ById(id);
        if (!relationship)
            throw WorkbookReadError(path, std::string("工作表“") + name.value() + "”的关系 " + PrintablePartName(id) +
                                              " 在 " + RelationshipsPartOf(workbook.partName) + " 中不存在");
        // Chart sheets, dialog sheets and macro sheets stand in <sheets> too, but hold no cells.
        if (!IsRelationshipType(relationship->type, "worksheet"))
            continue;
        std::optional<std::string> sheetPart = package.EntryName(relationship->target);
        if (!sheetPart)
            throw WorkbookReadError(path, std::string("缺少工作表“") + name.value() + "”的部件 " +
                                              PrintablePartName(relationship->target));
        workbook.worksheets.push_back({name.value(), *sheetPart});
    }
    workbook.stylesPart = OptionalPart(package, relationships, "styles");
    workbook.sharedStringsPart = OptionalPart(package, relationships, "sharedStrings");
    return workbook;
}

} // namespace hz
