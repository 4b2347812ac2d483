#include "engine/workbook/xml/xml_characters.h"

#include "engine/workbook/utf8.h"
#include "engine/workbook/xml/xml_scanner.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace hz::xml {

namespace {

enum ByteClass : std::uint8_t { Plain, Ampersand, CarriageReturn, TabOrNewline, LessThan, Control, NonAscii };

constexpr std::array<std::uint8_t, 256> kByteClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int b = 0; b < 0x20; ++b)
        classes[b] = Control;
    for (int b = 0x80; b < 0x100; ++b)
        classes[b] = NonAscii;
    classes['\t'] = TabOrNewline;
    classes['\n'] = TabOrNewline;
    classes['\r'] = CarriageReturn;
    classes['&'] = Ampersand;
    classes['<'] = LessThan;
    return classes;
}();

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence of an XML character at p, 0 when there is none.
std::size_t Utf8Length(const unsigned char* p, const unsigned char* end) {
    unsigned char b0 = p[0];
    std::size_t available = static_cast<std::size_t>(end - p);
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return available >= 2 && IsContinuation(p[1]) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (available < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2]))
            return 0;
        if (b0 == 0xE0 && p[1] < 0xA0)
            return 0; // overlong
        if (b0 == 0xED && p[1] >= 0xA0)
            return 0; // UTF-16 surrogate
        if (b0 == 0xEF && p[1] == 0xBF && p[2] >= 0xBE)
            return 0; // U+FFFE, U+FFFF are not XML characters
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (available < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3]))
            return 0;
        if (b0 == 0xF0 && p[1] < 0x90)
            return 0; // overlong
        if (b0 == 0xF4 && p[1] >= 0x90)
            return 0; // beyond U+10FFFF
        return 4;
    }
    return 0;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

bool IsXmlCharacter(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Reads "#65" or "#x41"; nullopt-like 0xFFFFFFFF when malformed.
std::uint32_t ReadCharacterReference(std::string_view body) {
    const std::uint32_t invalid = 0xFFFFFFFF;
    bool hex = body.size() > 1 && body[1] == 'x';
    std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty())
        return invalid;
    std::uint32_t value = 0;
    for (char c : digits) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return invalid;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF)
            return invalid;
    }
    return value;
}

// Decodes the reference starting at '&' p; returns the position after its ';'.
const char* AppendReference(std::string& out, const char* p, const char* end, std::uint64_t offset) {
    // The longest legal reference is a character reference with leading zeros; 40 bytes leave room for them.
    const std::size_t maxLength = 40;
    const char* limit = end - p > static_cast<std::ptrdiff_t>(maxLength) ? p + maxLength : end;
    const char* semicolon = p + 1;
    while (semicolon < limit && *semicolon != ';')
        ++semicolon;
    if (semicolon == limit)
        throw XmlError("“&”之后不是完整的实体引用", offset);
    std::string_view body(p + 1, static_cast<std::size_t>(semicolon - p - 1));
    if (body == "amp")
        out += '&';
    else if (body == "lt")
        out += '<';
    else if (body == "gt")
        out += '>';
    else if (body == "quot")
        out += '"';
    else if (body == "apos")
        out += '\'';
    else if (!body.empty() && body[0] == '#') {
        std::uint32_t c = ReadCharacterReference(body);
        if (!IsXmlCharacter(c))
            throw XmlError("字符引用 &" + std::string(body) + "; 不是有效的 XML 字符", offset);
        char bytes[4];
        out.append(bytes, EncodeUtf8(bytes, c));
    } else {
        throw XmlError("无法识别的实体引用 &" + std::string(body) + ";", offset);
    }
    return semicolon + 1;
}

} // namespace

unsigned CheckOtherCharacters(const char* begin, const char* end, bool attribute, std::uint64_t offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* stop = reinterpret_cast<const unsigned char*>(end);
    const char* what = attribute ? "属性值" : "文本";
    unsigned flags = 0;
    while (p < stop) {
        switch (kByteClasses[*p]) {
        case Plain:
            ++p;
            break;
        case Ampersand:
            flags |= kHasReference;
            ++p;
            break;
        case CarriageReturn:
            flags |= kHasCarriageReturn;
            ++p;
            break;
        case TabOrNewline:
            if (attribute)
                flags |= kHasTabOrNewline;
            ++p;
            break;
        case LessThan:
            if (!attribute) {
                ++p;
                break;
            }
            throw XmlError("属性值中含有“<”", offset);
        case Control:
            throw XmlError(std::string(what) + "含有 XML 不允许的控制字符 0x" + Hex(*p), offset);
        default: {
            std::size_t length = Utf8Length(p, stop);
            if (length == 0)
                throw XmlError(std::string(what) + "含有无效的 UTF-8 字节 0x" + Hex(*p), offset);
            p += length;
        }
        }
    }
    return flags;
}

void AppendDecoded(std::string& out, const char* begin, const char* end, bool references, bool attribute,
                   std::uint64_t offset) {
    const char* p = begin;
    while (p < end) {
        const char* run = p;
        while (p < end) {
            auto byteClass = kByteClasses[static_cast<unsigned char>(*p)];
            if (byteClass == CarriageReturn || (byteClass == Ampersand && references) ||
                (byteClass == TabOrNewline && attribute))
                break;
            ++p;
        }
        out.append(run, static_cast<std::size_t>(p - run));
        if (p == end)
            break;
        if (*p == '&') {
            p = AppendReference(out, p, end, offset);
        } else if (*p == '\r') {
            ++p;
            if (p < end && *p == '\n')
                ++p;
            out += attribute ? ' ' : '\n';
        } else {
            out += ' ';
            ++p;
        }
    }
}

} // namespace hz::xml
