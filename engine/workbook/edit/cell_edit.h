#pragma once

#include <cstdint>
#include <string>

namespace hz {

// One change to a worksheet cell, as it will be written into the worksheet part's XML.
struct CellEdit {
    enum class Type : std::uint8_t {
        Blank,        // no value; only the style (a copied empty cell)
        Number,       // value: the <v> text, shortest round-trip form ("12", "0.5", "45292")
        SharedString, // value: the shared-string index as decimal text
        InlineString, // value: the text itself, UTF-8
        Boolean,      // value: "0" or "1"
        Error,        // value: the error literal, e.g. "#N/A"
    };

    int row = 0;    // 1-based
    int column = 0; // 1-based
    Type type = Type::Blank;
    std::string value;
    std::uint32_t style = 0; // index into the styles' cellXfs, written as the s attribute when non-zero
};

// The t attribute of a cell of the type, or null for a number or a blank, which have none.
inline const char* TypeAttribute(CellEdit::Type type) {
    switch (type) {
    case CellEdit::Type::SharedString:
        return "s";
    case CellEdit::Type::InlineString:
        return "inlineStr";
    case CellEdit::Type::Boolean:
        return "b";
    case CellEdit::Type::Error:
        return "e";
    case CellEdit::Type::Blank:
    case CellEdit::Type::Number:
        break;
    }
    return nullptr;
}

} // namespace hz
