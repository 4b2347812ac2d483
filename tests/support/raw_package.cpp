#include "tests/support/raw_package.h"

#include <stdexcept>
#include <zip.h>

namespace hz::test {

void WriteZipPackage(const std::string& path, const std::vector<Part>& parts, bool stored) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("cannot create zip " + path);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name + " to " + path);
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write zip " + path);
    }
}

std::string SheetXml(const std::string& sheetDataContent) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
           "<sheetData>" +
           sheetDataContent + "</sheetData></worksheet>";
}

std::vector<Part> MinimalXlsxParts(const std::vector<std::string>& sheetXmls, const std::string& sharedStringsXml,
                                   const std::string& stylesXml) {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string types = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" ContentType=\"application/"
                        "vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
    std::string sheets;
    std::string rels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<Part> parts;
    for (std::size_t i = 0; i < sheetXmls.size(); ++i) {
        std::string n = std::to_string(i + 1);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n +
                 ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        sheets += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet" + n +
                ".xml\"/>";
        parts.emplace_back("xl/worksheets/sheet" + n + ".xml", sheetXmls[i]);
    }
    if (!sharedStringsXml.empty()) {
        types += "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";
        rels += "<Relationship Id=\"rIdS\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.emplace_back("xl/sharedStrings.xml", sharedStringsXml);
    }
    if (!stylesXml.empty()) {
        types += "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
        rels += "<Relationship Id=\"rIdT\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>";
        parts.emplace_back("xl/styles.xml", stylesXml);
    }
    types += "</Types>";
    rels += "</Relationships>";
    std::string workbook = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" + main + "\" xmlns:r=\"" +
                           rel + "\"><sheets>" + sheets + "</sheets></workbook>";
    std::string rootRels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                           "<Relationship Id=\"rId1\" Type=\"" +
                           rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    parts.insert(parts.begin(), {{"[Content_Types].xml", types},
                                 {"_rels/.rels", rootRels},
                                 {"xl/workbook.xml", workbook},
                                 {"xl/_rels/workbook.xml.rels", rels}});
    return parts;
}

} // namespace hz::test
