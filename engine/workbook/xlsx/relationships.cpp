#include "engine/workbook/xlsx/relationships.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml/xml_document.h"

namespace hz {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Targets are URIs: "%20" stands for a blank. Some producers write "\" between folders.
std::string DecodeTarget(std::string_view target) {
    std::string decoded;
    for (std::size_t i = 0; i < target.size(); ++i) {
        int high = 0;
        int low = 0;
        if (target[i] == '%' && i + 2 < target.size() && (high = HexDigit(target[i + 1])) >= 0 &&
            (low = HexDigit(target[i + 2])) >= 0) {
            decoded += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            decoded += target[i] == '\\' ? '/' : target[i];
        }
    }
    return decoded;
}

} // namespace

const Relationship* Relationships::ById(std::string_view id) const {
    for (const Relationship& item : items)
        if (item.id == id)
            return &item;
    return nullptr;
}

const Relationship* Relationships::FirstOfKind(std::string_view kind) const {
    for (const Relationship& item : items)
        if (IsRelationshipType(item.type, kind))
            return &item;
    return nullptr;
}

bool IsRelationshipType(std::string_view type, std::string_view kind) {
    static constexpr std::string_view kNamespaces[] = {
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
        "http://purl.oclc.org/ooxml/officeDocument/relationships/",
    };
    for (std::string_view space : kNamespaces)
        if (type.size() == space.size() + kind.size() && type.starts_with(space) && type.ends_with(kind))
            return true;
    return false;
}

std::string RelationshipsPartOf(std::string_view sourcePart) {
    if (!sourcePart.empty() && sourcePart.front() == '/')
        sourcePart.remove_prefix(1);
    std::size_t slash = sourcePart.rfind('/');
    std::string_view folder = slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash + 1);
    std::string_view file = slash == std::string_view::npos ? sourcePart : sourcePart.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

std::optional<std::string> ResolveRelationshipTarget(std::string_view sourcePart, std::string_view target) {
    std::string decoded = DecodeTarget(target.substr(0, target.find('#')));
    std::vector<std::string> segments;
    if (decoded.empty() || decoded.front() != '/') {
        std::size_t slash = sourcePart.rfind('/');
        std::string_view folder = slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash);
        decoded = std::string(folder) + "/" + decoded;
    }
    std::size_t start = 0;
    while (start <= decoded.size()) {
        std::size_t end = decoded.find('/', start);
        if (end == std::string::npos)
            end = decoded.size();
        std::string segment = decoded.substr(start, end - start);
        if (segment == "..") {
            if (segments.empty())
                return std::nullopt;
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(std::move(segment));
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

Relationships ReadRelationships(ZipPackage& package, std::string_view sourcePart) {
    Relationships relationships;
    std::string partName = RelationshipsPartOf(sourcePart);
    if (!package.Contains(partName))
        return relationships;
    pugi::xml_document document = LoadXmlPart(package, partName);
    for (pugi::xml_node node : document.document_element().children()) {
        if (node.type() != pugi::node_element || LocalName(node.name()) != "Relationship")
            continue;
        if (std::string_view(AttributeByLocalName(node, "TargetMode").value()) == "External")
            continue;
        Relationship item{AttributeByLocalName(node, "Id").value(), AttributeByLocalName(node, "Type").value(), {}};
        std::string_view target = AttributeByLocalName(node, "Target").value();
        std::optional<std::string> resolved = ResolveRelationshipTarget(sourcePart, target);
        if (!resolved)
            throw WorkbookReadError(package.Path(), "部件 " + partName + " 中的关系 " + PrintablePartName(item.id) +
                                                        " 指向压缩包之外（" + PrintablePartName(target) + "）");
        item.target = std::move(*resolved);
        relationships.items.push_back(std::move(item));
    }
    return relationships;
}

} // namespace hz
