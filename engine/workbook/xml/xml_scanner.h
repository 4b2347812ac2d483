#pragma once

#include "engine/workbook/byte_source.h"
#include "engine/workbook/workbook_error.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// Malformed or refused XML. what() is the problem in Chinese, without the part's name.
class XmlError : public std::runtime_error {
public:
    XmlError(const std::string& problem, std::uint64_t offset) : std::runtime_error(problem), offset(offset) {}
    // Byte position in the part where the offending token starts.
    std::uint64_t Offset() const { return offset; }

private:
    std::uint64_t offset;
};

// "部件 partName 的 XML 有误（第 N 字节处）：problem"
WorkbookError XmlPartError(const std::string& path, const std::string& partName, const XmlError& error);

enum class XmlToken : std::uint8_t { StartElement, EndElement, Text, EndOfDocument };

struct XmlAttribute {
    std::string_view name;  // as written, prefix included ("r", "xml:space")
    std::string_view value; // entity references decoded
};

// A streaming pull tokenizer for the UTF-8 XML of package parts. It reads the source in chunks and keeps only the
// unfinished token between them, so memory stays bounded by the chunk size and the longest single token.
// DOCTYPE declarations are refused (no entity expansion ever); comments and processing instructions are skipped;
// CDATA sections arrive as Text. Text is delivered exactly as written (whitespace kept), with entity and character
// references decoded and line ends normalised to '\n' as XML prescribes. Throws XmlError on malformed input.
// Every view returned stays valid only until the next call of Next(), SkipElement() or ReadElementText().
class XmlScanner {
public:
    static constexpr std::size_t kDefaultChunkSize = 256 * 1024;
    static constexpr int kMaxDepth = 256;
    static constexpr std::size_t kMaxTokenSize = 256u * 1024 * 1024;
    // Room after the data for its closing zero byte and for the block-wise searches to read on.
    static constexpr std::size_t kPadding = 32;

    explicit XmlScanner(ByteSource& source, std::size_t chunkSize = kDefaultChunkSize);

    // An empty element <a/> gives a StartElement followed by an EndElement. The text between two tags may arrive
    // as several Text tokens (around comments and CDATA sections).
    XmlToken Next();
    // StartElement, EndElement: the local name, without a namespace prefix ("c" for <x:c>).
    std::string_view Name() const { return localName; }
    // StartElement: the attributes in document order.
    std::span<const XmlAttribute> Attributes() const { return {attributes.data(), attributeCount}; }
    // StartElement: the value of the attribute with this exact name, or nullptr.
    const std::string_view* FindAttribute(std::string_view name) const;
    // Text: the decoded characters.
    std::string_view Text() const { return text; }
    // The element's own depth for StartElement and EndElement (the root is 1); the enclosing element's for Text.
    int Depth() const { return tokenDepth; }
    // Byte position in the part where the current token starts.
    std::uint64_t Offset() const { return documentOffset + tokenStart; }
    // After a StartElement: consumes the element's content up to and including its EndElement.
    void SkipElement();
    // After a StartElement: consumes the element through its EndElement and returns its character data (text
    // around child elements and CDATA sections joined, the child elements skipped). The view stays valid until the
    // next call of Next(), SkipElement() or ReadElementText().
    std::string_view ReadElementText();

private:
    enum class Step : std::uint8_t { Token, Skipped, NeedMore };

    bool Refill();
    Step ScanText();
    Step ScanMarkup();
    struct StartTag;
    Step ScanStartTag();
    bool ScanSimpleStartTag(StartTag& tag);
    Step ScanGeneralStartTag(StartTag& tag);
    void FinishStartTag(const StartTag& tag);
    Step ScanEndTag();
    Step ScanSpecial();
    Step ScanCData(std::size_t contentStart);
    const char* FindTextEnd(const char* begin, unsigned& flags) const;
    void AddAttribute(std::string_view name, std::string_view value) {
        if (attributeCount == attributes.size())
            attributes.resize(2 * attributeCount + 16);
        attributes[attributeCount++] = {name, value};
    }
    std::string_view OpenName() const;
    void OpenElement(std::string_view name, std::size_t localStart);
    void KeepOpenNames();
    void CloseElement();
    XmlToken Finish();
    void SkipByteOrderMark();
    std::string_view DecodeIfNeeded(const char* begin, const char* end, unsigned flags, bool attribute);
    void CheckDuplicateAttributes();
    [[noreturn]] void Fail(const std::string& problem) const;

    ByteSource& source;
    std::vector<char> buffer;   // the data, a zero byte that stops the searches, then the rest of kPadding
    std::size_t capacity;       // usable bytes of buffer
    std::size_t tokenStart = 0; // where the current token begins in buffer
    std::size_t cursor = 0;     // where the next token begins
    std::size_t end = 0;
    std::uint64_t documentOffset = 0; // position of buffer[0] in the part
    bool sourceDone = false;
    bool started = false;

    XmlToken token = XmlToken::EndOfDocument;
    bool pendingEnd = false; // the current StartElement was written as <a/>
    int tokenDepth = 0;
    bool rootSeen = false;
    std::string_view localName;
    std::string_view text;
    std::vector<XmlAttribute> attributes; // the first attributeCount are the current tag's; the vector only grows
    std::size_t attributeCount = 0;
    std::vector<std::size_t> attributesToDecode; // indexes of the values holding references or line ends
    std::string decoded; // decoded text or attribute values, when they differ from the raw bytes
    std::string joined;  // ReadElementText's result when it came in several pieces
    // The open elements by depth (index 0 unused). A name is a view of its start tag in the buffer until a refill
    // moves the buffer's bytes; KeepOpenNames then copies it into keptNames at the same depth.
    struct OpenElementName {
        std::string_view qualified;
        std::size_t localStart; // where the name goes on after its prefix
    };
    int depth = 0; // how many elements are open
    std::array<OpenElementName, kMaxDepth + 1> openElements{};
    std::array<std::string, kMaxDepth + 1> keptNames;
    std::vector<std::string_view> sortedNames; // scratch for the duplicate attribute check
};

// Whether an element or attribute name is the given literal; cheaper than comparing string views.
template <std::size_t N> bool NameIs(std::string_view name, const char (&literal)[N]) {
    return name.size() == N - 1 && std::memcmp(name.data(), literal, N - 1) == 0;
}

// After a StartElement: hands each child element's StartElement to child, which must consume that element (read
// it to its end or SkipElement), up to and including the parent's EndElement. Text directly inside is ignored.
template <typename Child> void ForEachChildElement(XmlScanner& scanner, Child&& child) {
    for (;;) {
        XmlToken token = scanner.Next();
        if (token == XmlToken::StartElement)
            child();
        else if (token != XmlToken::Text)
            return;
    }
}

} // namespace hz
