#include "engine/workbook/xlsx/content_types.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml/xml_document.h"

namespace hz {

namespace {

const char kContentTypesPart[] = "[Content_Types].xml";

} // namespace

std::string_view ContentTypes::TypeOf(std::string_view partName) const {
    std::string folded = FoldPartName(partName);
    if (auto found = byFoldedPart.find(folded); found != byFoldedPart.end())
        return found->second;
    std::size_t dot = folded.rfind('.');
    if (dot == std::string::npos || folded.find('/', dot) != std::string::npos)
        return {};
    if (auto found = byFoldedExtension.find(folded.substr(dot + 1)); found != byFoldedExtension.end())
        return found->second;
    return {};
}

ContentTypes ReadContentTypes(ZipPackage& package) {
    if (!package.Contains(kContentTypesPart))
        throw WorkbookReadError(package.Path(),
                                std::string("缺少部件 ") + kContentTypesPart + "，文件不是有效的 Office Open XML 包");
    pugi::xml_document document = LoadXmlPart(package, kContentTypesPart);
    pugi::xml_node types = document.document_element();
    if (LocalName(types.name()) != "Types")
        throw WorkbookReadError(package.Path(), std::string("部件 ") + kContentTypesPart + " 的根元素不是 Types");
    ContentTypes contentTypes;
    for (pugi::xml_node entry : types.children()) {
        std::string_view kind = LocalName(entry.name());
        std::string type = AttributeByLocalName(entry, "ContentType").value();
        if (kind == "Override")
            contentTypes.byFoldedPart[FoldPartName(AttributeByLocalName(entry, "PartName").value())] = type;
        else if (kind == "Default")
            contentTypes.byFoldedExtension[FoldPartName(AttributeByLocalName(entry, "Extension").value())] = type;
    }
    return contentTypes;
}

} // namespace hz
