#include "engine/workbook/xml/xml_scanner.h"

#include "engine/workbook/xml/byte_scan.h"
#include "engine/workbook/xml/xml_characters.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace hz {

static_assert(XmlScanner::kPadding >= byte_scan::kReadAhead);

namespace {

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
    : source(source), capacity(std::max<std::size_t>(chunkSize, 1)) {
    buffer.resize(capacity + kPadding);
}

void XmlScanner::Fail(const std::string& problem) const {
    throw XmlError(problem, Offset());
}

bool XmlScanner::Refill() {
    if (sourceDone)
        return false;
    KeepOpenNames(); // the bytes of their start tags may move now
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
        buffer.resize(capacity + kPadding);
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
            Fail("文档意外结束：标记不完整");
    }
}

XmlToken XmlScanner::Finish() {
    if (depth > 0)
        Fail("文档意外结束：元素 <" + std::string(OpenName()) + "> 没有结束");
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

const char* XmlScanner::FindTextEnd(const char* begin, unsigned& flags) const {
    const char* lessThan = byte_scan::FindTextSpecial(begin);
    flags = 0;
    if (*lessThan == '<')
        return lessThan;
    const char* other = lessThan;
    const char* stop = buffer.data() + end;
    lessThan = static_cast<const char*>(std::memchr(other, '<', static_cast<std::size_t>(stop - other)));
    if (!lessThan && !sourceDone)
        return nullptr;
    // The text is complete here (the buffer may end inside a character otherwise).
    flags = xml::CheckOtherCharacters(other, lessThan ? lessThan : stop, false, Offset());
    return lessThan ? lessThan : stop;
}

XmlScanner::Step XmlScanner::ScanText() {
    const char* begin = buffer.data() + tokenStart;
    unsigned flags = 0;
    const char* stop = FindTextEnd(begin, flags);
    if (!stop)
        return Step::NeedMore;
    cursor = static_cast<std::size_t>(stop - buffer.data());
    if (depth == 0) {
        if (!std::all_of(begin, stop, xml::IsXmlSpace))
            Fail("根元素之外有文本");
        return Step::Skipped;
    }
    decoded.clear();
    text = DecodeIfNeeded(begin, stop, flags, false);
    token = XmlToken::Text;
    tokenDepth = depth;
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
    if (depth == 0)
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
    tokenDepth = depth;
    return Step::Token;
}

void XmlScanner::SkipElement() {
    assert(token == XmlToken::StartElement);
    int elementDepth = tokenDepth;
    while (!(Next() == XmlToken::EndElement && tokenDepth == elementDepth)) {
    }
}

std::string_view XmlScanner::ReadElementText() {
    assert(token == XmlToken::StartElement);
    if (pendingEnd) {
        Next();
        return {};
    }
    // Most elements hold plain text and end right after it, often in the buffer already: take that directly.
    tokenStart = cursor;
    const char* begin = buffer.data() + cursor;
    unsigned flags = 0;
    const char* lessThan = FindTextEnd(begin, flags);
    std::string_view open = OpenName();
    const char* stop = buffer.data() + end;
    if (lessThan && static_cast<std::size_t>(stop - lessThan) > open.size() + 2 && lessThan[1] == '/' &&
        byte_scan::SameBytes(lessThan + 2, open.data(), open.size()) && lessThan[open.size() + 2] == '>') {
        decoded.clear();
        std::string_view content = DecodeIfNeeded(begin, lessThan, flags, false);
        tokenStart = static_cast<std::size_t>(lessThan - buffer.data());
        cursor = tokenStart + open.size() + 3;
        CloseElement();
        return content;
    }
    joined.clear();
    for (;;) {
        XmlToken next = Next();
        if (next == XmlToken::Text)
            joined.append(text);
        else if (next == XmlToken::StartElement)
            SkipElement();
        else
            return joined;
    }
}

} // namespace hz
