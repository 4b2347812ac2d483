#include "engine/workbook/xml/xml_scanner.h"

#include "tests/workbook/chunked_source.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

// The tokens of a document in a readable form: <name a="v">, </name>, [text].
std::string Trace(const std::string& xml, std::size_t chunkSize) {
    test::ChunkedByteSource source(xml, 1);
    XmlScanner scanner(source, chunkSize);
    std::string trace;
    for (;;) {
        switch (scanner.Next()) {
        case XmlToken::StartElement:
            trace += "<" + std::string(scanner.Name());
            for (const XmlAttribute& attribute : scanner.Attributes())
                trace += " " + std::string(attribute.name) + "=\"" + std::string(attribute.value) + "\"";
            trace += ">";
            break;
        case XmlToken::EndElement:
            trace += "</" + std::string(scanner.Name()) + ">";
            break;
        case XmlToken::Text:
            trace += "[" + std::string(scanner.Text()) + "]";
            break;
        case XmlToken::EndOfDocument:
            return trace;
        }
    }
}

// The trace must not depend on where the chunks of the part end.
std::string TraceAtEveryChunkSize(const std::string& xml) {
    std::string expected = Trace(xml, XmlScanner::kDefaultChunkSize);
    for (std::size_t chunkSize = 1; chunkSize <= xml.size() + 1; ++chunkSize)
        EXPECT_EQ(Trace(xml, chunkSize), expected) << "chunk size " << chunkSize;
    return expected;
}

std::string ErrorOf(const std::string& xml) {
    try {
        Trace(xml, XmlScanner::kDefaultChunkSize);
    } catch (const XmlError& error) {
        return error.what() + std::string(" @") + std::to_string(error.Offset());
    }
    return "no error";
}

TEST(XmlScannerTest, TokensOfADocumentDoNotDependOnChunkBoundaries) {
    std::string xml = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<!-- a comment with <tags> -->"
                      "<x:worksheet xmlns:x=\"urn:x\" a = 'it\"s' b=\"&lt;&amp;&gt;&quot;&apos;\">"
                      "<x:c r=\"A1\"/>"
                      "<v>1&#65;&#x4E2D;\xE4\xB8\xAD\xF0\x9F\x98\x80</v>"
                      "<t xml:space=\"preserve\"> two\r\nlines\r </t>"
                      "<t><![CDATA[<not a tag> & ]]]]></t>"
                      "<?pi inside?><e  />"
                      "</x:worksheet>\n<!-- trailing -->\n";
    EXPECT_EQ(TraceAtEveryChunkSize(xml), "<worksheet xmlns:x=\"urn:x\" a=\"it\"s\" b=\"<&>\"'\">"
                                          "<c r=\"A1\"></c>"
                                          "<v>[1A中中😀]</v>"
                                          "<t xml:space=\"preserve\">[ two\nlines\n ]</t>"
                                          "<t>[<not a tag> & ]]]</t>"
                                          "<e></e>"
                                          "</worksheet>");
}

TEST(XmlScannerTest, AttributeValuesHaveTheirWhitespaceNormalised) {
    EXPECT_EQ(TraceAtEveryChunkSize("<a v=\"x\ty\r\nz&#9;\"/>"), "<a v=\"x y z\t\"></a>");
}

TEST(XmlScannerTest, ElementTextIsReadWholeWhereverTheChunksEnd) {
    std::string xml = "<r><v>plain</v><v>a&amp;b</v><v>x<!--c-->y<![CDATA[z]]><b>skipped</b>w</v><v/><v></v>"
                      "<v>\xE4\xB8\xAD</v></r>";
    for (std::size_t chunkSize = 1; chunkSize <= xml.size() + 1; ++chunkSize) {
        test::ChunkedByteSource source(xml, 1);
        XmlScanner scanner(source, chunkSize);
        ASSERT_EQ(scanner.Next(), XmlToken::StartElement);
        std::vector<std::string> texts;
        while (scanner.Next() == XmlToken::StartElement) {
            texts.emplace_back(scanner.ReadElementText());
            ASSERT_EQ(scanner.Name(), "v");
            ASSERT_EQ(scanner.Depth(), 2);
        }
        EXPECT_EQ(texts, (std::vector<std::string>{"plain", "a&b", "xyzw", "", "", "中"})) << chunkSize;
        EXPECT_EQ(scanner.Next(), XmlToken::EndOfDocument);
    }
}

TEST(XmlScannerTest, SkipElementConsumesTheWholeSubtree) {
    test::ChunkedByteSource source("<r><skip a='1'><x><y/></x>text</skip><next/></r>", 1);
    XmlScanner scanner(source, 4);
    scanner.Next();
    ASSERT_EQ(scanner.Next(), XmlToken::StartElement);
    scanner.SkipElement();
    EXPECT_EQ(scanner.Name(), "skip");
    ASSERT_EQ(scanner.Next(), XmlToken::StartElement);
    EXPECT_EQ(scanner.Name(), "next");
}

TEST(XmlScannerTest, DepthLimitIsEnforced) {
    std::string ok;
    std::string tooDeep;
    for (int i = 0; i < XmlScanner::kMaxDepth; ++i)
        ok += "<a>";
    for (int i = 0; i < XmlScanner::kMaxDepth; ++i)
        ok += "</a>";
    EXPECT_EQ(ErrorOf(ok), "no error");
    for (int i = 0; i <= XmlScanner::kMaxDepth; ++i)
        tooDeep += "<a>";
    EXPECT_EQ(ErrorOf(tooDeep), "元素嵌套超过 256 层 @768");
}

TEST(XmlScannerTest, MalformedOrRefusedInputIsAnError) {
    struct Case {
        const char* name;
        std::string xml;
        std::string error;
    };
    const Case cases[] = {
        {"doctype", "<!DOCTYPE r [<!ENTITY e \"x\">]><r>&e;</r>", "不接受 DOCTYPE 声明 @0"},
        {"unknown entity", "<r>a&e;</r>", "无法识别的实体引用 &e; @3"},
        {"entity without semicolon", "<r>a & b</r>", "“&”之后不是完整的实体引用 @3"},
        {"reference to NUL", "<r>&#0;</r>", "字符引用 &#0; 不是有效的 XML 字符 @3"},
        {"reference to a surrogate", "<r>&#xD800;</r>", "字符引用 &#xD800; 不是有效的 XML 字符 @3"},
        {"reference beyond Unicode", "<r>&#x110000;</r>", "字符引用 &#x110000; 不是有效的 XML 字符 @3"},
        {"reference without digits", "<r>&#x;</r>", "字符引用 &#x; 不是有效的 XML 字符 @3"},
        {"control character", "<r>a\x01</r>", "文本含有 XML 不允许的控制字符 0x01 @3"},
        {"control character in a value", "<r a=\"\x1F\"/>", "属性值含有 XML 不允许的控制字符 0x1F @0"},
        {"NUL byte", std::string("<r>a\0</r>", 8), "文本含有 XML 不允许的控制字符 0x00 @3"},
        {"overlong UTF-8", "<r>\xC0\x80</r>", "文本含有无效的 UTF-8 字节 0xC0 @3"},
        {"UTF-8 surrogate", "<r>\xED\xA0\x80</r>", "文本含有无效的 UTF-8 字节 0xED @3"},
        {"stray continuation byte", "<r>\x80</r>", "文本含有无效的 UTF-8 字节 0x80 @3"},
        {"truncated sequence", "<r>\xE4\xB8</r>", "文本含有无效的 UTF-8 字节 0xE4 @3"},
        {"U+FFFF", "<r>\xEF\xBF\xBF</r>", "文本含有无效的 UTF-8 字节 0xEF @3"},
        {"invalid UTF-8 in a name", "<r\xFF/>", "文本含有无效的 UTF-8 字节 0xFF @0"},
        {"less-than in a value", "<r a=\"<\"/>", "属性值中含有“<” @0"},
        {"duplicate attribute", "<r a=\"1\" b=\"2\" a=\"3\"/>", "属性 a 重复 @0"},
        {"duplicate among many attributes", "<r a1='' a2='' a3='' a4='' a5='' a6='' a7='' a8='' a9='' a5=''/>",
         "属性 a5 重复 @0"},
        {"attribute without value", "<r a/>", "标记 <r> 的属性 a 缺少值 @0"},
        {"unquoted value", "<r a=1/>", "标记 <r> 的属性 a 的值缺少引号 @0"},
        {"attributes run together", "<r a='1'b='2'/>", "标记 <r> 格式错误 @0"},
        {"mismatched end tag", "<r><a></b></r>", "结束标记 </b> 与开始标记 <a> 不匹配 @6"},
        {"prefix differs", "<x:r></y:r>", "结束标记 </y:r> 与开始标记 <x:r> 不匹配 @5"},
        {"stray end tag", "<r/></r>", "多余的结束标记 </r> @4"},
        {"unclosed element", "<r><a>", "文档意外结束：元素 <a> 没有结束 @6"},
        {"unfinished tag", "<r><a", "文档意外结束：标记不完整 @3"},
        {"unfinished comment", "<r><!-- x", "文档意外结束：标记不完整 @3"},
        {"empty document", "", "文档没有根元素 @0"},
        {"only a declaration", "<?xml version='1.0'?>", "文档没有根元素 @21"},
        {"text after the root", "<r/>x", "根元素之外有文本 @4"},
        {"second root", "<r/><s/>", "根元素之后还有元素 <s> @4"},
        {"UTF-16", "\xFF\xFE<\0r\0/\0>\0", "不支持 UTF-16 编码的 XML @0"},
        {"bang markup", "<r><!ELEMENT r ANY></r>", "无法识别的标记 @3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf(c.xml), c.error) << c.name;
}

} // namespace
} // namespace hz
