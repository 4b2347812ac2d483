#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <zip.h>

namespace hz::fuzz {

// The parts a text input fills, in order, split at NUL bytes; a part left empty keeps a sound default.
inline constexpr std::array<std::string_view, 6> kFuzzedParts = {
    "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",       "xl/styles.xml",
    "xl/workbook.xml",          "xl/_rels/workbook.xml.rels", "[Content_Types].xml",
};

inline std::string DefaultPart(std::string_view name) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    if (name == "xl/workbook.xml")
        return "<workbook xmlns:r=\"" + rel +
               "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
               "</workbook>";
    if (name == "xl/_rels/workbook.xml.rels")
        return "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
               "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + rel +
               "/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" Type=\"" + rel +
               "/styles\" Target=\"styles.xml\"/></Relationships>";
    if (name == "[Content_Types].xml")
        return "<Types><Default Extension=\"xml\" ContentType=\"application/xml\"/><Override "
               "PartName=\"/xl/workbook.xml\" "
               "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
    if (name == "xl/sharedStrings.xml")
        return "<sst/>";
    if (name == "xl/styles.xml")
        return "<styleSheet/>";
    return "<worksheet><sheetData/></worksheet>";
}

// Writes a fuzz input as an .xlsx file: an input that starts like a zip is the file itself; any other input
// holds the XML of the package's main parts, so that mutations reach the XML readers instead of failing the
// zip checksums.
inline bool WriteFuzzInput(std::string_view input, const std::string& path) {
    if (input.starts_with(std::string_view("PK\x03\x04", 4))) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(input.data(), static_cast<std::streamsize>(input.size()));
        return static_cast<bool>(file);
    }
    std::array<std::string, kFuzzedParts.size()> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::size_t end = i + 1 < parts.size() ? input.find('\0') : std::string_view::npos;
        parts[i] = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        if (parts[i].empty())
            parts[i] = DefaultPart(kFuzzedParts[i]);
    }
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    const std::string rootRels = "<Relationships><Relationship Id=\"rId1\" "
                                 "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                                 "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    auto add = [&](const char* name, const std::string& bytes) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) == 0;
    };
    bool added = add("_rels/.rels", rootRels);
    for (std::size_t i = 0; i < parts.size() && added; ++i)
        added = add(std::string(kFuzzedParts[i]).c_str(), parts[i]);
    if (!added || zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

} // namespace hz::fuzz
