#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace hz {

// A package part's XML held as a tree for editing and written back in its own encoding. Text and attribute
// values stay exactly as written (references are not expanded, line ends not normalised), and so do the
// declaration, comments, processing instructions, whitespace and a byte order mark; what changes is only the
// spelling of tags: attributes in double quotes, empty elements as <a/>.
class EditableXml {
public:
    // Throws WorkbookError (the problem alone, without file or part) when the XML is damaged, has a document
    // type declaration or nests deeper than any package part should.
    // The tree is built in bytes itself, which it keeps: a large worksheet is not copied once more.
    explicit EditableXml(std::string bytes);

    pugi::xml_document& Document() { return document; }
    std::string Serialize() const;

private:
    std::string buffer; // the parsed bytes, which the tree points into
    pugi::xml_document document;
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool byteOrderMark = false;
};

// text with the markup characters &, < and > escaped, as element text is written.
std::string EscapeMarkup(std::string_view text);

// Sets an element's text in an EditableXml, which holds text as written: markup characters are escaped here.
void SetEscapedText(pugi::xml_node element, std::string_view text);

// The prefix of an element's name with its colon ("x:row" gives "x:"), to name new siblings alike.
std::string NamePrefix(const pugi::xml_node& node);

} // namespace hz
