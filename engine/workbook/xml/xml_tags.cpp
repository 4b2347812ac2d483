#include "engine/workbook/xml/xml_scanner.h"

#include "engine/workbook/xml/byte_scan.h"
#include "engine/workbook/xml/xml_characters.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace hz {

namespace {

const char* SkipSpace(const char* p) {
    while (xml::IsXmlSpace(*p))
        ++p;
    return p;
}

// Where the local part of a name begins, after its prefix.
std::size_t LocalStart(std::string_view qualified) {
    std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? 0 : colon + 1;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && byte_scan::SameBytes(a.data(), b.data(), a.size());
}

} // namespace

// A start tag as read, before it is checked and its element opened.
struct XmlScanner::StartTag {
    std::string_view name;
    bool hasColon = false;
    bool hasNonAscii = false;
    bool selfClosing = false;
    const char* end = nullptr; // just after the '>'
    std::size_t rawLength = 0; // of the attribute values that need decoding
};

XmlScanner::Step XmlScanner::ScanStartTag() {
    StartTag tag;
    if (!ScanSimpleStartTag(tag)) {
        Step step = ScanGeneralStartTag(tag);
        if (step != Step::Token)
            return step;
    }
    FinishStartTag(tag);
    return Step::Token;
}

// Most tags are short, with single spaces between attributes and plain values in double quotes. Such a tag is
// read with the block-wise name search and bit operations on the masks of its first bytes; any other is left to the
// general reading.
bool XmlScanner::ScanSimpleStartTag(StartTag& tag) {
    const char* begin = buffer.data() + tokenStart;
    byte_scan::NameScan nameScan = byte_scan::ScanName(begin + 1);
    int position = static_cast<int>(nameScan.end - begin);
    if (position == 1 || nameScan.hasNonAscii || (*nameScan.end != '>' && *nameScan.end != ' '))
        return false;
    tag.name = {begin + 1, static_cast<std::size_t>(position - 1)};
    tag.hasColon = nameScan.hasColon;
    attributeCount = 0;
    attributesToDecode.clear();
    if (*nameScan.end == '>') {
        tag.end = nameScan.end + 1;
        return true;
    }
    if (position >= 32)
        return false;
    const byte_scan::TagMasks masks = byte_scan::ReadTagMasks(begin);
    const std::uint32_t shaping = masks.spaces | masks.quotes | masks.equals | masks.closes | masks.slashes;
    auto at = [](std::uint32_t mask, int bit) { return bit < 32 && (mask >> bit & 1u) != 0; };
    auto nextAfter = [](std::uint32_t mask, int bit) { // 32 when there is none
        return bit >= 31 ? 32 : std::countr_zero(mask & (~std::uint32_t{0} << (bit + 1)));
    };
    for (;;) {
        if (at(masks.closes, position)) {
            ++position;
            break;
        }
        if (at(masks.slashes, position)) {
            if (!at(masks.closes, position + 1))
                return false;
            tag.selfClosing = true;
            position += 2;
            break;
        }
        if (!at(masks.spaces, position))
            return false;
        int equals = nextAfter(shaping, position);
        if (equals == position + 1 || !at(masks.equals, equals) || !at(masks.quotes, equals + 1))
            return false;
        int close = nextAfter(masks.quotes, equals + 1);
        if (close == 32)
            return false;
        AddAttribute({begin + position + 1, static_cast<std::size_t>(equals - position - 1)},
                     {begin + equals + 2, static_cast<std::size_t>(close - equals - 2)});
        position = close + 1;
    }
    // The zero byte after the data counts among the others, so a tag that runs past the data fails here too.
    std::uint32_t inTag = position >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << position) - 1;
    if ((masks.others & inTag & ~std::uint32_t{1}) != 0)
        return false;
    tag.end = begin + position;
    return true;
}

XmlScanner::Step XmlScanner::ScanGeneralStartTag(StartTag& tag) {
    const char* stop = buffer.data() + end;
    const char* nameBegin = buffer.data() + tokenStart + 1;
    byte_scan::NameScan nameScan = byte_scan::ScanName(nameBegin);
    const char* p = nameScan.end;
    if (p == stop)
        return Step::NeedMore;
    tag = StartTag{};
    tag.name = {nameBegin, static_cast<std::size_t>(p - nameBegin)};
    tag.hasColon = nameScan.hasColon;
    tag.hasNonAscii = nameScan.hasNonAscii;
    std::string_view name = tag.name;
    if (name.empty())
        Fail("标记名称无效");
    attributeCount = 0;
    attributesToDecode.clear();
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
            tag.selfClosing = true;
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
                attributesToDecode.push_back(attributeCount);
                tag.rawLength += static_cast<std::size_t>(close - valueBegin);
            }
            p = close;
        }
        AddAttribute(attributeName, {valueBegin, static_cast<std::size_t>(p - valueBegin)});
        ++p;
    }
    tag.end = p;
    return Step::Token;
}

void XmlScanner::FinishStartTag(const StartTag& tag) {
    std::string_view name = tag.name;
    if (depth == 0 && rootSeen)
        Fail("根元素之后还有元素 <" + std::string(name) + ">");
    if (depth >= kMaxDepth)
        Fail("元素嵌套超过 " + std::to_string(kMaxDepth) + " 层");
    if (tag.hasNonAscii)
        xml::CheckCharacters(name.data(), name.data() + name.size(), false, Offset());
    if (!attributesToDecode.empty()) {
        decoded.clear();
        decoded.reserve(tag.rawLength); // decoding never lengthens a value, so the views below stay put
        for (std::size_t i : attributesToDecode) {
            std::string_view raw = attributes[i].value;
            attributes[i].value = DecodeIfNeeded(raw.data(), raw.data() + raw.size(), 1, true);
        }
    }
    if (attributeCount > 1)
        CheckDuplicateAttributes();
    rootSeen = true;
    std::size_t localStart = tag.hasColon ? LocalStart(name) : 0;
    localName = name.substr(localStart);
    if (tag.selfClosing) {
        pendingEnd = true;
        tokenDepth = depth + 1;
    } else {
        OpenElement(name, localStart);
    }
    cursor = static_cast<std::size_t>(tag.end - buffer.data());
    token = XmlToken::StartElement;
}

XmlScanner::Step XmlScanner::ScanEndTag() {
    const char* data = buffer.data();
    // Nearly always the tag is just the open element's name and '>'.
    if (depth > 0) {
        std::string_view open = OpenName();
        const char* nameBegin = data + tokenStart + 2;
        if (end - tokenStart > open.size() + 2 && byte_scan::SameBytes(nameBegin, open.data(), open.size()) &&
            nameBegin[open.size()] == '>') {
            localName = std::string_view(nameBegin, open.size()).substr(openElements[depth].localStart);
            CloseElement();
            cursor = tokenStart + open.size() + 3;
            return Step::Token;
        }
    }
    const char* stop = data + end;
    const char* nameBegin = data + tokenStart + 2;
    byte_scan::NameScan nameScan = byte_scan::ScanName(nameBegin);
    std::string_view name(nameBegin, static_cast<std::size_t>(nameScan.end - nameBegin));
    const char* p = SkipSpace(nameScan.end);
    if (p == stop)
        return Step::NeedMore;
    if (*p != '>' || name.empty())
        Fail("结束标记格式错误");
    if (depth == 0)
        Fail("多余的结束标记 </" + std::string(name) + ">");
    std::string_view open = OpenName();
    if (!SameName(name, open))
        Fail("结束标记 </" + std::string(name) + "> 与开始标记 <" + std::string(open) + "> 不匹配");
    CloseElement();
    localName = name.substr(nameScan.hasColon ? LocalStart(name) : 0);
    cursor = static_cast<std::size_t>(p + 1 - data);
    return Step::Token;
}

std::string_view XmlScanner::OpenName() const {
    return openElements[depth].qualified;
}

void XmlScanner::OpenElement(std::string_view name, std::size_t localStart) {
    openElements[++depth] = {name, localStart};
    tokenDepth = depth;
}

void XmlScanner::KeepOpenNames() {
    const char* bufferBegin = buffer.data();
    const char* bufferEnd = bufferBegin + buffer.size();
    std::less<const char*> before;
    for (int d = 1; d <= depth; ++d) {
        std::string_view& name = openElements[d].qualified;
        if (!before(name.data(), bufferBegin) && before(name.data(), bufferEnd)) {
            keptNames[d].assign(name);
            name = keptNames[d];
        }
    }
}

void XmlScanner::CloseElement() {
    tokenDepth = depth--;
    token = XmlToken::EndElement;
}

void XmlScanner::CheckDuplicateAttributes() {
    std::size_t count = attributeCount;
    auto duplicate = [this](std::string_view name) { Fail("属性 " + std::string(name) + " 重复"); };
    if (count <= 8) {
        for (std::size_t i = 1; i < count; ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (SameName(attributes[i].name, attributes[j].name))
                    duplicate(attributes[i].name);
        return;
    }
    sortedNames.clear();
    for (const XmlAttribute& attribute : Attributes())
        sortedNames.push_back(attribute.name);
    std::sort(sortedNames.begin(), sortedNames.end());
    auto same = std::adjacent_find(sortedNames.begin(), sortedNames.end());
    if (same != sortedNames.end())
        duplicate(*same);
}

const std::string_view* XmlScanner::FindAttribute(std::string_view name) const {
    for (const XmlAttribute& attribute : Attributes())
        if (attribute.name == name)
            return &attribute.value;
    return nullptr;
}

} // namespace hz
