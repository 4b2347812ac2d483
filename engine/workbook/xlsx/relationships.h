#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

class ZipPackage;

// One internal relationship; target is the resolved part name, without a leading "/".
struct Relationship {
    std::string id;
    std::string type;
    std::string target;
};

// The internal relationships of one source part (External targets are left out).
class Relationships {
public:
    const Relationship* ById(std::string_view id) const;
    const Relationship* FirstOfKind(std::string_view kind) const;
    const std::vector<Relationship>& All() const { return items; }

private:
    friend Relationships ReadRelationships(ZipPackage& package, std::string_view sourcePart);
    std::vector<Relationship> items;
};

// Whether a relationship type is the transitional or strict type of that kind, e.g. "worksheet".
bool IsRelationshipType(std::string_view type, std::string_view kind);

// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml"; "_rels/.rels" for the package itself (empty source).
std::string RelationshipsPartOf(std::string_view sourcePart);

// Resolves a target against the folder of its source part; "/..." targets start at the package root.
// Returns nothing when the target climbs above the root.
std::optional<std::string> ResolveRelationshipTarget(std::string_view sourcePart, std::string_view target);

// Reads the relationships of a source part; a source without a relationships part has none. Throws
// WorkbookError on a malformed part or a target outside the package.
Relationships ReadRelationships(ZipPackage& package, std::string_view sourcePart);

} // namespace hz
