#include "engine/workbook/xml_scanner.h"

#include "engine/workbook/xml_characters.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

namespace hz {

namespace {

constexpr std::array<bool, 256> kNameBytes = [] {
    std::array<bool, 256> bytes{};
    for (int b = 'a'; b <= 'z'; ++b)
        bytes[b] = true;
    for (int b = 'A'; b <= 'Z'; ++b)
        bytes[b] = true;
    for (int b = '0'; b <= '9'; ++b)
        bytes[b] = true;
    for (int b = 0x80; b < 0x100; ++b)
        bytes[b] = true;
    bytes['_'] = bytes[':'] = bytes['-'] = bytes['.'] = true;
    return bytes;
}();

bool IsNameByte(char c) {
    return kNameBytes[static_cast<unsigned char>(c)];
}
bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

std::string_view LocalName(std::string_view qualified) {
    std::size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

// Whether the bytes at p (available of them) start with literal: 1 yes, 0 no, -1 too few bytes to tell.
int StartsWith(const char* p, std::size_t available, std::string_view literal) {
    std::size_t n = std::min(available, literal.size());
    if (std::memcmp(p, literal.data(), n) != 0)
        return 0;
    return n == literal.size() ? 1 : -1;
}

const char* Find(const char* begin, const char* end, std::string_view literal) {
    std::string_view haystack(begin, static_cast<std::size_t>(end - begin));
    std::size_t at = haystack.find(literal);
    return at == std::string_view::npos ? nullptr : begin + at;
}

} // namespace

WorkbookError XmlPartError(const std::string& path, const std::string& partName, const XmlError& error) {
    return WorkbookReadError(path, "部件 " + partName + " 的 XML 有误（第 " + std::to_string(error.Offset()) +
                                       " 字节处）：" + error.what());
}

XmlScanner::XmlScanner(ByteSource& source, std::size_t chunkSize)
    : source(source), buffer(std::max<std::size_t>(chunkSize, 1) + 1), capacity(std::max<std::size_t>(chunkSize, 1)) {
    buffer[0] = 0;
}

void XmlScanner::Fail(const std::string& problem) const {
    throw XmlError(problem, Offset());
}

bool XmlScanner::Refill() {
    if (sourceDone)
        return false;
    if (tokenStart > 0) {
        std::memmove(buffer.data(), buffer.data() + tokenStart, end - tokenStart);
        documentOffset += tokenStart;
        end -= tokenStart;
        cursor -= tokenStart;
        tokenStart = 0;
    }
    if (end == capacity) {
        if (capacity >= kMaxTokenSize)
            Fail("单个标记或文本超过 256 MB");
        capacity = std::min(capacity * 2, kMaxTokenSize);
        buffer.resize(capacity + 1);
    }
    std::size_t before = end;
    while (end < capacity) {
        std::size_t got = source.Read(buffer.data() + end, capacity - end);
        assert(got <= capacity - end);
        if (got == 0) {
            sourceDone = true;
            break;
        }
        end += got;
    }
    buffer[end] = 0;
    return end > before;
}

void XmlScanner::SkipByteOrderMark() {
    started = true;
    while (end < 3 && Refill()) {
    }
    if (StartsWith(buffer.data(), end, "\xEF\xBB\xBF") == 1)
        cursor = 3;
    else if (StartsWith(buffer.data(), end, "\xFE\xFF") == 1 || StartsWith(buffer.data(), end, "\xFF\xFE") == 1)
        Fail("不支持 UTF-16 编码的 XML");
}

XmlToken XmlScanner::Next() {
    if (pendingEnd) {
        pendingEnd = false;
        token = XmlToken::EndElement;
        return token;
    }
    if (!started)
        SkipByteOrderMark();
    for (;;) {
        tokenStart = cursor;
        if (cursor == end) {
            if (!Refill())
                return Finish();
            continue;
        }
        Step step = buffer[cursor] == '<' ? ScanMarkup() : ScanText();
        if (step == Step::Token)
            return token;
        if (step == Step::NeedMore && !Refill() && buffer[tokenStart] == '<')
            Fail(nameEnds.empty() ? "文档意外结束" : "文档意外结束：标记不完整");
    }
}

XmlToken XmlScanner::Finish() {
    if (!nameEnds.empty()) {
        std::size_t begin = nameEnds.size() > 1 ? nameEnds[nameEnds.size() - 2] : 0;
        Fail("文档意外结束：元素 <" + openNames.substr(begin) + "> 没有结束");
    }
    if (!rootSeen)
        Fail("文档没有根元素");
    token = XmlToken::EndOfDocument;
    return token;
}

std::string_view XmlScanner::DecodeIfNeeded(const char* begin, const char* stop, unsigned flags, bool attribute) {
    if (flags == 0)
        return {begin, static_cast<std::size_t>(stop - begin)};
    std::size_t start = decoded.size();
    xml::AppendDecoded(decoded, begin, stop, true, attribute, Offset());
    return {decoded.data() + start, decoded.size() - start};
}

XmlScanner::Step XmlScanner::ScanText() {
    const char* begin = buffer.data() + tokenStart;
    const char* stop = buffer.data() + end;
    const char* lessThan = static_cast<const char*>(std::memchr(begin, '<', static_cast<std::size_t>(stop - begin)));
    if (!lessThan) {
        if (!sourceDone)
            return Step::NeedMore;
        lessThan = stop;
    }
    unsigned flags = xml::CheckCharacters(begin, lessThan, false, Offset());
    cursor = static_cast<std::size_t>(lessThan - buffer.data());
    if (nameEnds.empty()) {
        if (!std::all_of(begin, lessThan, IsSpace))
            Fail("根元素之外有文本");
        return Step::Skipped;
    }
    decoded.clear();
    text = DecodeIfNeeded(begin, lessThan, flags, false);
    token = XmlToken::Text;
    tokenDepth = static_cast<int>(nameEnds.size());
    return Step::Token;
}

XmlScanner::Step XmlScanner::ScanMarkup() {
    if (end - tokenStart < 2)
        return Step::NeedMore;
    switch (buffer[tokenStart + 1]) {
    case '/':
        return ScanEndTag();
    case '!':
        return ScanSpecial();
    case '?': {
        const char* close = Find(buffer.data() + tokenStart + 2, buffer.data() + end, "?>");
        if (!close)
            return Step::NeedMore;
        cursor = static_cast<std::size_t>(close + 2 - buffer.data());
        return Step::Skipped;
    }
    default:
        return ScanStartTag();
    }
}

XmlScanner::Step XmlScanner::ScanSpecial() {
    const char* begin = buffer.data() + tokenStart;
    std::size_t available = end - tokenStart;
    int comment = StartsWith(begin, available, "<!--");
    if (comment == 1) {
        const char* close = Find(begin + 4, buffer.data() + end, "-->");
        if (!close)
            return Step::NeedMore;
        cursor = static_cast<std::size_t>(close + 3 - buffer.data());
        return Step::Skipped;
    }
    int cdata = StartsWith(begin, available, "<![CDATA[");
    if (cdata == 1)
        return ScanCData(tokenStart + 9);
    int doctype = StartsWith(begin, available, "<!DOCTYPE");
    if (doctype == 1)
        Fail("不接受 DOCTYPE 声明");
    if (comment == -1 || cdata == -1 || doctype == -1)
        return Step::NeedMore;
    Fail("无法识别的标记");
}

XmlScanner::Step XmlScanner::ScanCData(std::size_t contentStart) {
    const char* begin = buffer.data() + contentStart;
    const char* close = Find(begin, buffer.data() + end, "]]>");
    if (!close)
        return Step::NeedMore;
    if (nameEnds.empty())
        Fail("根元素之外有 CDATA 段");
    unsigned flags = xml::CheckCharacters(begin, close, false, Offset());
    decoded.clear();
    if (flags & xml::kHasCarriageReturn) {
        xml::AppendDecoded(decoded, begin, close, false, false, Offset());
        text = decoded;
    } else {
        text = {begin, static_cast<std::size_t>(close - begin)};
    }
    cursor = static_cast<std::size_t>(close + 3 - buffer.data());
    token = XmlToken::Text;
    tokenDepth = static_cast<int>(nameEnds.size());
    return Step::Token;
}

XmlScanner::Step XmlScanner::ScanStartTag() {
    const char* data = buffer.data();
    const char* stop = data + end;
    const char* p = data + tokenStart + 1;
    const char* nameBegin = p;
    while (IsNameByte(*p))
        ++p;
    if (p == stop)
        return Step::NeedMore;
    if (p == nameBegin)
        Fail("标记名称无效");
    std::string_view name(nameBegin, static_cast<std::size_t>(p - nameBegin));
    attributes.clear();
    attributesToDecode.clear();
    std::size_t rawLength = 0;
    bool selfClosing = false;
    for (;;) {
        const char* spaceBegin = p;
        while (IsSpace(*p))
            ++p;
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
        while (IsNameByte(*p))
            ++p;
        if (p == stop)
            return Step::NeedMore;
        if (p == attributeBegin || spaceBegin == attributeBegin)
            Fail("标记 <" + std::string(name) + "> 格式错误");
        std::string_view attributeName(attributeBegin, static_cast<std::size_t>(p - attributeBegin));
        while (IsSpace(*p))
            ++p;
        if (p == stop)
            return Step::NeedMore;
        if (*p != '=')
            Fail("标记 <" + std::string(name) + "> 的属性 " + std::string(attributeName) + " 缺少值");
        ++p;
        while (IsSpace(*p))
            ++p;
        if (p == stop)
            return Step::NeedMore;
        char quote = *p;
        if (quote != '"' && quote != '\'')
            Fail("标记 <" + std::string(name) + "> 的属性 " + std::string(attributeName) + " 的值缺少引号");
        ++p;
        const char* close = static_cast<const char*>(std::memchr(p, quote, static_cast<std::size_t>(stop - p)));
        if (!close)
            return Step::NeedMore;
        unsigned flags = xml::CheckCharacters(p, close, true, Offset());
        if (flags != 0) {
            attributesToDecode.push_back(attributes.size());
            rawLength += static_cast<std::size_t>(close - p);
        }
        attributes.push_back({attributeName, {p, static_cast<std::size_t>(close - p)}});
        p = close + 1;
    }

    // The whole tag is in the buffer now.
    if (nameEnds.empty() && rootSeen)
        Fail("根元素之后还有元素 <" + std::string(name) + ">");
    if (static_cast<int>(nameEnds.size()) >= kMaxDepth)
        Fail("元素嵌套超过 " + std::to_string(kMaxDepth) + " 层");
    xml::CheckCharacters(name.data(), name.data() + name.size(), false, Offset());
    if (!attributesToDecode.empty()) {
        decoded.clear();
        decoded.reserve(rawLength); // decoding never lengthens a value, so the views below stay put
        for (std::size_t i : attributesToDecode) {
            std::string_view raw = attributes[i].value;
            attributes[i].value = DecodeIfNeeded(raw.data(), raw.data() + raw.size(), 1, true);
        }
    }
    CheckDuplicateAttributes();
    rootSeen = true;
    localName = LocalName(name);
    if (selfClosing) {
        pendingEnd = true;
        tokenDepth = static_cast<int>(nameEnds.size()) + 1;
    } else {
        openNames.append(name);
        nameEnds.push_back(openNames.size());
        tokenDepth = static_cast<int>(nameEnds.size());
    }
    cursor = static_cast<std::size_t>(p - data);
    token = XmlToken::StartElement;
    return Step::Token;
}

XmlScanner::Step XmlScanner::ScanEndTag() {
    const char* data = buffer.data();
    const char* stop = data + end;
    const char* p = data + tokenStart + 2;
    const char* nameBegin = p;
    while (IsNameByte(*p))
        ++p;
    std::string_view name(nameBegin, static_cast<std::size_t>(p - nameBegin));
    while (IsSpace(*p))
        ++p;
    if (p == stop)
        return Step::NeedMore;
    if (*p != '>' || name.empty())
        Fail("结束标记格式错误");
    if (nameEnds.empty())
        Fail("多余的结束标记 </" + std::string(name) + ">");
    std::size_t openBegin = nameEnds.size() > 1 ? nameEnds[nameEnds.size() - 2] : 0;
    std::string_view open = std::string_view(openNames).substr(openBegin);
    if (name != open)
        Fail("结束标记 </" + std::string(name) + "> 与开始标记 <" + std::string(open) + "> 不匹配");
    tokenDepth = static_cast<int>(nameEnds.size());
    nameEnds.pop_back();
    openNames.resize(openBegin);
    localName = LocalName(name);
    cursor = static_cast<std::size_t>(p + 1 - data);
    token = XmlToken::EndElement;
    return Step::Token;
}

void XmlScanner::CheckDuplicateAttributes() {
    std::size_t count = attributes.size();
    if (count < 2)
        return;
    auto duplicate = [this](std::string_view name) { Fail("属性 " + std::string(name) + " 重复"); };
    if (count <= 8) {
        for (std::size_t i = 1; i < count; ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (attributes[i].name == attributes[j].name)
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

void XmlScanner::SkipElement() {
    assert(token == XmlToken::StartElement);
    int depth = tokenDepth;
    while (!(Next() == XmlToken::EndElement && tokenDepth == depth)) {
    }
}

} // namespace hz
