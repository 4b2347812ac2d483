#include "engine/workbook/xml/xml_document.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"

#include <cstring>

namespace hz {

namespace {

const char* ParseProblem(pugi::xml_parse_status status) {
    switch (status) {
    case pugi::status_out_of_memory:
        return "内存不足";
    case pugi::status_unrecognized_tag:
        return "无法识别的标记";
    case pugi::status_bad_pi:
        return "处理指令格式错误";
    case pugi::status_bad_comment:
        return "注释格式错误";
    case pugi::status_bad_cdata:
        return "CDATA 段格式错误";
    case pugi::status_bad_doctype:
        return "文档类型声明格式错误";
    case pugi::status_bad_pcdata:
        return "文本内容格式错误";
    case pugi::status_bad_start_element:
        return "开始标签格式错误";
    case pugi::status_bad_attribute:
        return "属性格式错误";
    case pugi::status_bad_end_element:
        return "结束标签格式错误";
    case pugi::status_end_element_mismatch:
        return "结束标签与开始标签不匹配";
    case pugi::status_no_document_element:
        return "没有根元素";
    default:
        return "无法解析";
    }
}

bool HasDoctype(const std::string& bytes) {
    return bytes.find("<!DOCTYPE") != std::string::npos;
}

// Walks the tree without recursion; returns false at the first element deeper than the limit.
bool DepthWithinLimit(const pugi::xml_document& document) {
    int depth = 0;
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element && depth + 1 > kMaxXmlDepth)
            return false;
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node)
            node = node.next_sibling();
    }
    return true;
}

} // namespace

pugi::xml_document ParseXmlPart(const std::string& bytes, const std::string& path, std::string_view partName) {
    std::string part = PrintablePartName(partName);
    if (HasDoctype(bytes))
        throw WorkbookReadError(path, "部件 " + part + " 含有文档类型声明（DOCTYPE），为安全起见不予读取");
    pugi::xml_document document;
    // parse_doctype keeps a declaration as a node, so that one in another encoding than UTF-8 is seen too.
    pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_doctype);
    if (!result)
        throw WorkbookReadError(path, "部件 " + part + " 不是格式正确的 XML（第 " + std::to_string(result.offset) +
                                          " 字节附近：" + ParseProblem(result.status) + "）");
    for (pugi::xml_node node : document.children())
        if (node.type() == pugi::node_doctype)
            throw WorkbookReadError(path, "部件 " + part + " 含有文档类型声明（DOCTYPE），为安全起见不予读取");
    if (!DepthWithinLimit(document))
        throw WorkbookReadError(path, "部件 " + part + " 的元素嵌套超过 " + std::to_string(kMaxXmlDepth) + " 层");
    return document;
}

pugi::xml_document LoadXmlPart(ZipPackage& package, std::string_view partName) {
    return ParseXmlPart(package.ReadPart(partName, kMaxXmlPartBytes), package.Path(), partName);
}

std::string_view LocalName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}

pugi::xml_node ChildByLocalName(pugi::xml_node parent, std::string_view localName) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child.name()) == localName)
            return child;
    return {};
}

pugi::xml_attribute AttributeByLocalName(pugi::xml_node node, std::string_view localName) {
    for (pugi::xml_attribute attribute : node.attributes())
        if (LocalName(attribute.name()) == localName)
            return attribute;
    return {};
}

} // namespace hz
