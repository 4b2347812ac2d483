#pragma once

#include <map>
#include <string>
#include <string_view>

namespace hz {

class ZipPackage;

// The package's [Content_Types].xml: a type per part name, or per file extension by default.
class ContentTypes {
public:
    // The content type of a part, or empty text when the package declares none for it.
    std::string_view TypeOf(std::string_view partName) const;

private:
    friend ContentTypes ReadContentTypes(ZipPackage& package);
    std::map<std::string, std::string> byFoldedPart;
    std::map<std::string, std::string> byFoldedExtension;
};

// Throws WorkbookError when the part is missing or malformed.
ContentTypes ReadContentTypes(ZipPackage& package);

} // namespace hz
