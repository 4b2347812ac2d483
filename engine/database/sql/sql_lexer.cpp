#include "engine/database/sql/sql_lexer.h"

namespace hz {
namespace {

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'#' || c == u'$';
}

// The end of a quoted run that starts at begin with an opening character, where a doubled closing character
// stands for itself.
qsizetype QuotedEnd(const QString& sql, qsizetype begin, QChar close) {
    qsizetype i = begin + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

qsizetype NameEnd(const QString& sql, qsizetype i) {
    while (i < sql.size() && IsNameChar(sql[i])) {
        ++i;
    }
    return i;
}

qsizetype SpaceEnd(const QString& sql, qsizetype i) {
    while (i < sql.size()) {
        if (sql[i].isSpace()) {
            ++i;
        } else if (sql.mid(i, 2) == u"--") {
            const qsizetype eol = sql.indexOf(u'\n', i);
            i = eol < 0 ? sql.size() : eol + 1;
        } else if (sql.mid(i, 2) == u"/*") {
            const qsizetype close = sql.indexOf(u"*/", i + 2);
            i = close < 0 ? sql.size() : close + 2;
        } else {
            break;
        }
    }
    return i;
}

} // namespace

std::vector<SqlToken> LexSql(const QString& sql) {
    std::vector<SqlToken> tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        SqlTokenKind kind = SqlTokenKind::Symbol;
        qsizetype end = i + 1;
        if (c.isSpace() || sql.mid(i, 2) == u"--" || sql.mid(i, 2) == u"/*") {
            kind = SqlTokenKind::Space;
            end = SpaceEnd(sql, i);
        } else if (c == u'\'') {
            kind = SqlTokenKind::String;
            end = QuotedEnd(sql, i, u'\'');
        } else if (c == u'"') {
            kind = SqlTokenKind::QuotedName;
            end = QuotedEnd(sql, i, u'"');
        } else if (c == u'[') {
            kind = SqlTokenKind::QuotedName;
            end = QuotedEnd(sql, i, u']');
        } else if (c == u':' && (next.isLetter() || next == u'_')) {
            kind = SqlTokenKind::Parameter;
            end = NameEnd(sql, i + 1);
        } else if (c == u'@') {
            kind = SqlTokenKind::Variable;
            end = NameEnd(sql, next == u'@' ? i + 2 : i + 1);
        } else if (c.isDigit()) {
            kind = SqlTokenKind::Number;
            end = i;
            while (end < sql.size() && (sql[end].isDigit() || sql[end] == u'.')) {
                ++end;
            }
        } else if (IsNameChar(c)) {
            kind = SqlTokenKind::Word;
            end = NameEnd(sql, i);
        }
        tokens.push_back({kind, sql.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

} // namespace hz
