#include "engine/database/sql/sql_dialect.h"

#include "engine/database/sql/sql_lexer.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace hz {
namespace {

const QString kNow = QStringLiteral("strftime('%Y-%m-%d %H:%M:%S','now','localtime')");

bool IsWord(const SqlToken& token, QStringView word) {
    return token.kind == SqlTokenKind::Word && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool IsSymbol(const SqlToken& token, char16_t symbol) {
    return token.kind == SqlTokenKind::Symbol && token.text.size() == 1 && token.text[0] == symbol;
}

// SQL Server's table hints that only choose locks and isolation. They mean nothing to SQLite, whose transactions
// hold the file's write lock from their start.
bool IsLockHint(const SqlToken& token) {
    static const QStringView hints[] = {
        u"holdlock",          u"nolock",   u"nowait",          u"paglock",        u"readcommitted",
        u"readcommittedlock", u"readpast", u"readuncommitted", u"repeatableread", u"rowlock",
        u"serializable",      u"tablock",  u"tablockx",        u"updlock",        u"xlock",
    };
    return std::any_of(std::begin(hints), std::end(hints), [&](QStringView hint) { return IsWord(token, hint); });
}

class Translator {
public:
    explicit Translator(const QString& sql, int spid) : tokens(LexSql(sql)), spid(spid) {}

    QString Run() {
        for (i = 0; i < tokens.size(); ++i) {
            const SqlToken& token = tokens[i];
            const bool afterDot = i > 0 && IsSymbol(tokens[i - 1], u'.');
            if (IsWord(token, u"select")) {
                out += token.text;
                TakeTop();
            } else if (IsSymbol(token, u'(')) {
                ++depth;
                out += token.text;
            } else if (IsSymbol(token, u')')) {
                CloseLimit();
                --depth;
                out += token.text;
            } else if (!afterDot && IsWord(token, u"getdate") && Matches({u"(", u")"})) {
                out += kNow;
            } else if (!afterDot && IsWord(token, u"isnull") && Matches({u"("}, false)) {
                out += QStringLiteral("ifnull");
            } else if (IsWord(token, u"with") && SkipLockHints()) {
            } else if (token.kind == SqlTokenKind::Variable &&
                       token.text.compare(u"@@spid", Qt::CaseInsensitive) == 0) {
                out += QString::number(spid);
            } else {
                out += token.text;
            }
            if (tokens[i].kind != SqlTokenKind::Space && !IsSymbol(tokens[i], u';')) {
                solidEnd = out.size();
            }
        }
        CloseLimitAtEnd();
        return out;
    }

private:
    // Index of the next token after i that is not space, or tokens.size().
    size_t NextSolid(size_t from) const {
        size_t j = from + 1;
        while (j < tokens.size() && tokens[j].kind == SqlTokenKind::Space) {
            ++j;
        }
        return j;
    }

    // Whether the tokens after i, spaces aside, are the given words or symbols. When consume is set, i moves onto
    // the last of them.
    bool Matches(std::initializer_list<QStringView> expected, bool consume = true) {
        size_t j = i;
        for (QStringView text : expected) {
            j = NextSolid(j);
            if (j >= tokens.size() || tokens[j].kind == SqlTokenKind::String ||
                tokens[j].kind == SqlTokenKind::QuotedName || tokens[j].text.compare(text, Qt::CaseInsensitive) != 0) {
                return false;
            }
        }
        if (consume) {
            i = j;
        }
        return true;
    }

    // After "with": whether "(hint, ...)" follows with lock hints only; if so, i moves onto its ")".
    bool SkipLockHints() {
        size_t j = NextSolid(i);
        if (j >= tokens.size() || !IsSymbol(tokens[j], u'(')) {
            return false;
        }
        for (;;) {
            j = NextSolid(j);
            if (j >= tokens.size() || !IsLockHint(tokens[j])) {
                return false;
            }
            j = NextSolid(j);
            if (j < tokens.size() && IsSymbol(tokens[j], u')')) {
                i = j;
                return true;
            }
            if (j >= tokens.size() || !IsSymbol(tokens[j], u',')) {
                return false;
            }
        }
    }

    // After "select": keeps "distinct" or "all", drops "top n" and one blank after it, and remembers n for the end
    // of this select.
    void TakeTop() {
        size_t j = NextSolid(i);
        size_t last = i;
        if (j < tokens.size() && (IsWord(tokens[j], u"distinct") || IsWord(tokens[j], u"all"))) {
            last = j;
            j = NextSolid(j);
        }
        if (j >= tokens.size() || !IsWord(tokens[j], u"top")) {
            return;
        }
        const size_t count = NextSolid(j);
        if (count >= tokens.size() || tokens[count].kind != SqlTokenKind::Number) {
            return;
        }
        for (size_t k = i + 1; k <= last; ++k) {
            out += tokens[k].text;
        }
        // Keep the blanks before "top"; drop those after the number, which stood before the select list.
        for (size_t k = last + 1; k < j; ++k) {
            out += tokens[k].text;
        }
        limits[depth] = tokens[count].text;
        i = count;
        if (i + 1 < tokens.size() && tokens[i + 1].kind == SqlTokenKind::Space) {
            ++i;
        }
    }

    void CloseLimit() {
        const auto found = limits.find(depth);
        if (found != limits.end()) {
            out += QStringLiteral(" LIMIT ") + found->second;
            limits.erase(found);
        }
    }

    // The outermost limit goes before trailing blanks, comments and semicolons.
    void CloseLimitAtEnd() {
        const auto found = limits.find(0);
        if (found != limits.end()) {
            out.insert(solidEnd, QStringLiteral(" LIMIT ") + found->second);
        }
    }

    std::vector<SqlToken> tokens;
    int spid;
    size_t i = 0;
    int depth = 0;
    std::map<int, QString> limits;
    QString out;
    qsizetype solidEnd = 0;
};

} // namespace

QString TranslateToSqlite(const QString& sql, int spid) {
    return Translator(sql, spid).Run();
}

} // namespace hz
