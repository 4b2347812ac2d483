#include "engine/workbook/xml/editable_xml.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml/xml_document.h"

#include <utility>

namespace hz {

namespace {

// Without parse_escapes, parse_eol and parse_wconv_attribute, values keep their bytes; parse_fragment keeps the
// whitespace between the declaration and the root element; parse_doctype is there only to find and refuse a
// document type declaration.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_pi | pugi::parse_comments | pugi::parse_declaration |
                                   pugi::parse_doctype | pugi::parse_ws_pcdata | pugi::parse_fragment;

class TreeCheck : public pugi::xml_tree_walker {
public:
    bool tooDeep = false;
    bool hasDoctype = false;

    bool for_each(pugi::xml_node& node) override {
        if (node.type() == pugi::node_doctype)
            hasDoctype = true;
        if (node.type() == pugi::node_element && depth() >= kMaxXmlDepth)
            tooDeep = true;
        return !tooDeep && !hasDoctype;
    }
};

// Fragment parsing accepts what a document may not have: text or more than one element at the top.
bool SingleRootElement(const pugi::xml_document& document) {
    int elements = 0;
    for (pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_element)
            ++elements;
        if (node.type() == pugi::node_pcdata &&
            std::string_view(node.value()).find_first_not_of(" \t\r\n") != std::string_view::npos)
            return false;
    }
    return elements == 1;
}

bool StartsWithByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

class StringWriter : public pugi::xml_writer {
public:
    std::string text;
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// Values are written without escaping, and a single-quoted attribute may hold a double quote.
void EscapeDoubleQuotes(pugi::xml_document& document) {
    struct Walker : pugi::xml_tree_walker {
        bool for_each(pugi::xml_node& node) override {
            for (pugi::xml_attribute attribute : node.attributes()) {
                std::string_view value = attribute.value();
                if (value.find('"') == std::string_view::npos)
                    continue;
                std::string escaped;
                for (char c : value)
                    escaped += c == '"' ? std::string("&quot;") : std::string(1, c);
                attribute.set_value(escaped.c_str());
            }
            return true;
        }
    } walker;
    document.traverse(walker);
}

} // namespace

EditableXml::EditableXml(std::string bytes) : buffer(std::move(bytes)), byteOrderMark(StartsWithByteOrderMark(buffer)) {
    pugi::xml_parse_result result = document.load_buffer_inplace(buffer.data(), buffer.size(), kParseOptions);
    if (!result)
        throw WorkbookError("不是格式正确的 XML（第 " + std::to_string(result.offset) + " 字节附近）");
    encoding = result.encoding;
    TreeCheck check;
    document.traverse(check);
    if (check.hasDoctype)
        throw WorkbookError("XML 含有文档类型声明（DOCTYPE），不予处理");
    if (check.tooDeep)
        throw WorkbookError("XML 元素嵌套超过 " + std::to_string(kMaxXmlDepth) + " 层");
    if (!SingleRootElement(document))
        throw WorkbookError("不是格式正确的 XML（须有且只有一个根元素）");
    EscapeDoubleQuotes(document);
}

std::string EditableXml::Serialize() const {
    StringWriter writer;
    // About the size it was read at: the edits add little, and a worksheet may be tens of megabytes.
    writer.text.reserve(buffer.size() + buffer.size() / 8);
    unsigned flags = pugi::format_raw | pugi::format_no_declaration | pugi::format_no_escapes;
    if (byteOrderMark)
        flags |= pugi::format_write_bom;
    document.save(writer, "", flags, encoding);
    return std::move(writer.text);
}

std::string EscapeMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else
            escaped += c;
    }
    return escaped;
}

void SetEscapedText(pugi::xml_node element, std::string_view text) {
    element.text().set(EscapeMarkup(text).c_str());
}

std::string NamePrefix(const pugi::xml_node& node) {
    std::string_view name = node.name();
    std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

} // namespace hz
