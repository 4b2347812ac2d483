#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/relationships.h"
#include "engine/workbook/xml/xml_document.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

std::string ParseError(const std::string& bytes) {
    try {
        ParseXmlPart(bytes, "book.xlsx", "xl/styles.xml");
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return {};
}

std::string Nested(int depth) {
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    return xml;
}

std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

TEST(XmlPart, RefusesDoctypesDeepNestingAndMalformedXml) {
    const std::string prefix = "无法读取工作簿“book.xlsx”：部件 xl/styles.xml ";
    const std::string doctype = prefix + "含有文档类型声明（DOCTYPE），为安全起见不予读取";
    const std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
                               "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
                               "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">]>"
                               "<styleSheet>&lol3;</styleSheet>";
    struct Case {
        const char* name;
        std::string bytes;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"well_formed", "<styleSheet><numFmts count=\"0\"/></styleSheet>", ""},
        {"billion_laughs", laughs, doctype},
        {"external_entity", "<!DOCTYPE s [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><s>&x;</s>", doctype},
        {"doctype_in_utf16", Utf16("<!DOCTYPE s><s/>"), doctype},
        {"nested_256_deep", Nested(kMaxXmlDepth), ""},
        {"nested_257_deep", Nested(kMaxXmlDepth + 1), prefix + "的元素嵌套超过 256 层"},
        {"mismatched_end", "<a><b></a>", prefix + "不是格式正确的 XML（第 8 字节附近：结束标签与开始标签不匹配）"},
        {"bad_attribute", "<a b=c/>", prefix + "不是格式正确的 XML（第 5 字节附近：属性格式错误）"},
        {"empty", "", prefix + "不是格式正确的 XML（第 0 字节附近：没有根元素）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseError(c.bytes), c.error);
    }
}

TEST(XmlPart, MatchesNamesWhateverTheirPrefix) {
    pugi::xml_document document =
        ParseXmlPart("<x:workbook xmlns:x=\"m\" xmlns:r=\"r\"><x:sheets><x:sheet name=\"A\" r:id=\"rId1\"/>"
                     "</x:sheets></x:workbook>",
                     "book.xlsx", "xl/workbook.xml");
    pugi::xml_node sheet = ChildByLocalName(ChildByLocalName(document.document_element(), "sheets"), "sheet");
    EXPECT_STREQ(AttributeByLocalName(sheet, "id").value(), "rId1");
    EXPECT_STREQ(AttributeByLocalName(sheet, "name").value(), "A");
    EXPECT_FALSE(ChildByLocalName(document.document_element(), "sheet"));
}

TEST(Relationships, ResolvesTargetsInsideThePackageOnly) {
    struct Case {
        const char* source;
        const char* target;
        std::optional<std::string> resolved;
    };
    const Case cases[] = {
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"/xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "./worksheets//sheet%201.xml", "xl/worksheets/sheet 1.xml"},
        {"xl/workbook.xml", "worksheets\\sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "sheet1.xml#frag", "xl/sheet1.xml"},
        {"xl/workbook.xml", "../customXml/item1.xml", "customXml/item1.xml"},
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"xl/workbook.xml", "../../evil.xml", std::nullopt},
        {"xl/workbook.xml", "/../evil.xml", std::nullopt},
        {"xl/workbook.xml", "%2e%2e/%2E%2E/evil.xml", std::nullopt},
        {"", "../evil.xml", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " -> " + c.target);
        EXPECT_EQ(ResolveRelationshipTarget(c.source, c.target), c.resolved);
    }
    EXPECT_EQ(RelationshipsPartOf(""), "_rels/.rels");
    EXPECT_EQ(RelationshipsPartOf("xl/workbook.xml"), "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(RelationshipsPartOf("/book.xml"), "_rels/book.xml.rels");
}

TEST(Relationships, KnowsTransitionalAndStrictTypes) {
    EXPECT_TRUE(IsRelationshipType("http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet",
                                   "worksheet"));
    EXPECT_TRUE(IsRelationshipType("http://purl.oclc.org/ooxml/officeDocument/relationships/worksheet", "worksheet"));
    EXPECT_FALSE(IsRelationshipType("http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet",
                                    "worksheet"));
    EXPECT_FALSE(
        IsRelationshipType("http://schemas.microsoft.com/office/2006/relationships/xlMacrosheet", "worksheet"));
}

} // namespace
} // namespace hz
