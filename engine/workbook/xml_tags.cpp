#include "engine/workbook/xml_scanner.h"

#include "engine/workbook/byte_scan.h"
#include "engine/workbook/xml_characters.h"

#include <algorithm>

namespace hz {

namespace {

const char* SkipSpace(const char* p) {
    while (xml::IsXmlSpace(*p))
        ++p;
    return p;
}

std::string_view LocalName(std::string_view qualified) {
    std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

XmlScanner::Step XmlScanner::ScanStartTag() {
    const char* data = buffer.data();
    const char* stop = data + end;
    const char* nameBegin = data + tokenStart + 1;
    byte_scan::NameScan nameScan = byte_scan::ScanName(nameBegin);
    const char* p = nameScan.end;
    if (p == stop)
        return Step::NeedMore;
    std::string_view name(nameBegin, static_cast<std::size_t>(p - nameBegin));
    if (name.empty())
        Fail("标记名称无效");
    attributes.clear();
    attributesToDecode.clear();
    std::size_t rawLength = 0;
    bool selfClosing = false;
    for (;;) {
        const char* spaceBegin = p;
        p = SkipSpace(p);
        if (p == stop)
            return Step::NeedMore;
        if (*p == '>') {
            ++p;
            break;
        }
        if (*p == '/') {
            if (p + 1 == stop)
                return Step::NeedMore;
            if (p[1] != '>')
                Fail("标记 <" + std::string(name) + "> 格式错误");
            selfClosing = true;
            p += 2;
            break;
        }
        const char* attributeBegin = p;
        byte_scan::NameScan attributeScan = byte_scan::ScanName(p);
        p = attributeScan.end;
        if (p == stop)
            return Step::NeedMore;
        if (p == attributeBegin || spaceBegin == attributeBegin)
            Fail("标记 <" + std::string(name) + "> 格式错误");
        std::string_view attributeName(attributeBegin, static_cast<std::size_t>(p - attributeBegin));
        if (attributeScan.hasNonAscii)
            xml::CheckCharacters(attributeBegin, p, false, Offset());
        p = SkipSpace(p);
        if (p == stop)
            return Step::NeedMore;
        if (*p != '=')
            Fail("标记 <" + std::string(name) + "> 的属性 " + std::string(attributeName) + " 缺少值");
        p = SkipSpace(p + 1);
        if (p == stop)
            return Step::NeedMore;
        char quote = *p;
        if (quote != '"' && quote != '\'')
            Fail("标记 <" + std::string(name) + "> 的属性 " + std::string(attributeName) + " 的值缺少引号");
        const char* valueBegin = ++p;
        p = byte_scan::FindValueSpecial(p, quote);
        if (*p != quote) {
            const char* close = static_cast<const char*>(std::memchr(p, quote, static_cast<std::size_t>(stop - p)));
            if (!close)
                return Step::NeedMore;
            if (xml::CheckOtherCharacters(p, close, true, Offset()) != 0) {
                attributesToDecode.push_back(attributes.size());
                rawLength += static_cast<std::size_t>(close - valueBegin);
            }
            p = close;
        }
        attributes.push_back({attributeName, {valueBegin, static_cast<std::size_t>(p - valueBegin)}});
        ++p;
    }

    // The whole tag is in the buffer now.
    if (nameEnds.empty() && rootSeen)
        Fail("根元素之后还有元素 <" + std::string(name) + ">");
    if (static_cast<int>(nameEnds.size()) >= kMaxDepth)
        Fail("元素嵌套超过 " + std::to_string(kMaxDepth) + " 层");
    if (nameScan.hasNonAscii)
        xml::CheckCharacters(name.data(), name.data() + name.size(), false, Offset());
    if (!attributesToDecode.empty()) {
        decoded.clear();
        decoded.reserve(rawLength); // decoding never lengthens a value, so the views below stay put
        for (std::size_t i : attributesToDecode) {
            std::string_view raw = attributes[i].value;
            attributes[i].value = DecodeIfNeeded(raw.data(), raw.data() + raw.size(), 1, true);
        }
    }
    if (attributes.size() > 1)
        CheckDuplicateAttributes();
    rootSeen = true;
    localName = nameScan.hasColon ? LocalName(name) : name;
    if (selfClosing) {
        pendingEnd = true;
        tokenDepth = static_cast<int>(nameEnds.size()) + 1;
    } else {
        OpenElement(name);
    }
    cursor = static_cast<std::size_t>(p - data);
    token = XmlToken::StartElement;
    return Step::Token;
}

XmlScanner::Step XmlScanner::ScanEndTag() {
    const char* data = buffer.data();
    const char* stop = data + end;
    const char* nameBegin = data + tokenStart + 2;
    byte_scan::NameScan nameScan = byte_scan::ScanName(nameBegin);
    std::string_view name(nameBegin, static_cast<std::size_t>(nameScan.end - nameBegin));
    const char* p = SkipSpace(nameScan.end);
    if (p == stop)
        return Step::NeedMore;
    if (*p != '>' || name.empty())
        Fail("结束标记格式错误");
    if (nameEnds.empty())
        Fail("多余的结束标记 </" + std::string(name) + ">");
    std::string_view open = OpenName();
    if (!SameName(name, open))
        Fail("结束标记 </" + std::string(name) + "> 与开始标记 <" + std::string(open) + "> 不匹配");
    CloseElement();
    localName = nameScan.hasColon ? LocalName(name) : name;
    cursor = static_cast<std::size_t>(p + 1 - data);
    return Step::Token;
}

std::string_view XmlScanner::OpenName() const {
    std::size_t begin = nameEnds.size() > 1 ? nameEnds[nameEnds.size() - 2] : 0;
    return {openNames.data() + begin, nameEnds.back() - begin};
}

void XmlScanner::OpenElement(std::string_view name) {
    std::size_t begin = nameEnds.empty() ? 0 : nameEnds.back();
    if (begin + name.size() > openNames.size())
        openNames.resize(2 * (begin + name.size()));
    std::copy(name.begin(), name.end(), openNames.begin() + static_cast<std::ptrdiff_t>(begin));
    nameEnds.push_back(begin + name.size());
    tokenDepth = static_cast<int>(nameEnds.size());
}

void XmlScanner::CloseElement() {
    tokenDepth = static_cast<int>(nameEnds.size());
    nameEnds.pop_back();
    token = XmlToken::EndElement;
}

void XmlScanner::CheckDuplicateAttributes() {
    std::size_t count = attributes.size();
    auto duplicate = [this](std::string_view name) { Fail("属性 " + std::string(name) + " 重复"); };
    if (count <= 8) {
        for (std::size_t i = 1; i < count; ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (SameName(attributes[i].name, attributes[j].name))
                    duplicate(attributes[i].name);
        return;
    }
    sortedNames.clear();
    for (const XmlAttribute& attribute : attributes)
        sortedNames.push_back(attribute.name);
    std::sort(sortedNames.begin(), sortedNames.end());
    auto same = std::adjacent_find(sortedNames.begin(), sortedNames.end());
    if (same != sortedNames.end())
        duplicate(*same);
}

const std::string_view* XmlScanner::FindAttribute(std::string_view name) const {
    for (const XmlAttribute& attribute : attributes)
        if (attribute.name == name)
            return &attribute.value;
    return nullptr;
}

} // namespace hz
