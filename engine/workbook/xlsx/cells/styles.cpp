#include "engine/workbook/xlsx/cells/styles.h"

#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/xml/xml_document.h"

#include <map>

namespace hz {

bool Styles::ShowsDate(std::uint32_t style, double value) const {
    if (style >= byStyle.size() || !(value >= 0))
        return false;
    return value == 0 ? byStyle[style].zero : byStyle[style].positive;
}

std::optional<std::uint32_t> Styles::DateStyle() const {
    for (std::size_t style = 0; style < byStyle.size(); ++style)
        if (byStyle[style].positive)
            return static_cast<std::uint32_t>(style);
    return std::nullopt;
}

Styles ReadStyles(ZipPackage& package, std::string_view partName) {
    Styles styles;
    if (partName.empty())
        return styles;
    pugi::xml_document document = LoadXmlPart(package, partName);
    pugi::xml_node root = document.document_element();
    std::map<unsigned, DateFormatUse> customFormats;
    for (pugi::xml_node format : ChildByLocalName(root, "numFmts").children())
        if (LocalName(format.name()) == "numFmt")
            customFormats[AttributeByLocalName(format, "numFmtId").as_uint()] =
                ClassifyNumberFormat(AttributeByLocalName(format, "formatCode").value());
    for (pugi::xml_node xf : ChildByLocalName(root, "cellXfs").children()) {
        if (LocalName(xf.name()) != "xf")
            continue;
        unsigned id = AttributeByLocalName(xf, "numFmtId").as_uint();
        // A custom format may reuse a built-in id and then replaces it.
        auto custom = customFormats.find(id);
        if (custom != customFormats.end())
            styles.byStyle.push_back(custom->second);
        else if (IsBuiltInDateFormat(id))
            styles.byStyle.push_back({true, true});
        else
            styles.byStyle.emplace_back();
    }
    return styles;
}

} // namespace hz
