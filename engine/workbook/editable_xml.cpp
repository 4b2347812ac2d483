#include "engine/workbook/editable_xml.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml_document.h"

namespace hz {

namespace {

class DepthCheck : public pugi::xml_tree_walker {
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

bool StartsWithByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

class StringWriter : public pugi::xml_writer {
public:
    std::string text;
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
};

} // namespace

EditableXml::EditableXml(std::string_view bytes) : byteOrderMark(StartsWithByteOrderMark(bytes)) {
    // The document type is parsed only to be refused; whitespace-only text is kept because
    // <t xml:space="preserve"> </t> is a value.
    const unsigned options = pugi::parse_full | pugi::parse_ws_pcdata;
    pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_auto);
    if (!result)
        throw WorkbookError("XML 格式错误（第 " + std::to_string(result.offset) + " 字节处：" + result.description() +
                            "）");
    encoding = result.encoding;
    DepthCheck check;
    document.traverse(check);
    if (check.hasDoctype)
        throw WorkbookError("XML 含有文档类型声明（DOCTYPE），不予处理");
    if (check.tooDeep)
        throw WorkbookError("XML 元素嵌套超过 " + std::to_string(kMaxXmlDepth) + " 层");
}

std::string EditableXml::Serialize() const {
    StringWriter writer;
    unsigned flags = pugi::format_raw | pugi::format_no_declaration;
    if (byteOrderMark)
        flags |= pugi::format_write_bom;
    document.save(writer, "", flags, encoding);
    return std::move(writer.text);
}

std::string NamePrefix(const pugi::xml_node& node) {
    std::string_view name = node.name();
    std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

} // namespace hz
