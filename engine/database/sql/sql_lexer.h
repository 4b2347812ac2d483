#pragma once

#include <QString>

#include <vector>

namespace hz {

enum class SqlTokenKind {
    Word, // names and keywords
    Number,
    String,     // '...' with '' inside
    QuotedName, // "..." or [...]
    Parameter,  // :Name
    Variable,   // @name, @@name
    Space,      // blanks and comments
    Symbol,     // any other single character
};

struct SqlToken {
    SqlTokenKind kind;
    QString text; // exactly as in the statement
};

// Splits a statement into tokens whose texts, joined, give it back unchanged. An unterminated literal or quoted
// name runs to the end of the text.
std::vector<SqlToken> LexSql(const QString& sql);

} // namespace hz
