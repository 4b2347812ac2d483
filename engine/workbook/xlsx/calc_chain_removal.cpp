#include "engine/workbook/xlsx/calc_chain_removal.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/relationships.h"
#include "engine/workbook/xml/editable_xml.h"
#include "engine/workbook/xml/xml_document.h"

#include <functional>
#include <vector>

namespace hz {

namespace {

// Removes the children of the root element that match, and records the part's new bytes.
void RemoveElements(const std::string& path, ZipPackage& package, const std::string& partName,
                    const std::function<bool(pugi::xml_node)>& matches, PackageChanges& changes) {
    std::string bytes = package.ReadPart(partName, kMaxXmlPartBytes);
    try {
        EditableXml xml(std::move(bytes));
        pugi::xml_node root = xml.Document().document_element();
        std::vector<pugi::xml_node> doomed;
        for (pugi::xml_node child : root.children())
            if (child.type() == pugi::node_element && matches(child))
                doomed.push_back(child);
        for (pugi::xml_node child : doomed)
            root.remove_child(child);
        changes.replaced[partName] = xml.Serialize();
    } catch (const WorkbookError& problem) {
        throw WorkbookSaveError(path, "部件 " + PrintablePartName(partName) + "：" + problem.what());
    }
}

} // namespace

void RemoveCalcChain(const std::string& path, ZipPackage& package, PackageChanges& changes) {
    Relationships packageRelationships = ReadRelationships(package, "");
    const Relationship* main = packageRelationships.FirstOfKind("officeDocument");
    std::optional<std::string> workbookPart = main ? package.EntryName(main->target) : std::nullopt;
    if (!workbookPart)
        return;
    Relationships relationships = ReadRelationships(package, *workbookPart);
    const Relationship* chain = relationships.FirstOfKind("calcChain");
    if (!chain)
        return;

    RemoveElements(
        path, package, *package.EntryName(RelationshipsPartOf(*workbookPart)),
        [](pugi::xml_node node) {
            return LocalName(node.name()) == std::string_view("Relationship") &&
                   IsRelationshipType(AttributeByLocalName(node, "Type").value(), "calcChain");
        },
        changes);
    std::string chainKey = FoldPartName(chain->target);
    if (std::optional<std::string> types = package.EntryName("[Content_Types].xml"))
        RemoveElements(
            path, package, *types,
            [&chainKey](pugi::xml_node node) {
                return LocalName(node.name()) == std::string_view("Override") &&
                       FoldPartName(AttributeByLocalName(node, "PartName").value()) == chainKey;
            },
            changes);
    if (std::optional<std::string> entry = package.EntryName(chain->target))
        changes.removed.insert(*entry);
}

} // namespace hz
