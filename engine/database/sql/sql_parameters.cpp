#include "engine/database/sql/sql_parameters.h"

#include "engine/database/sql/sql_lexer.h"

namespace hz {

PositionalSql ToPositional(const QString& sql) {
    PositionalSql result;
    for (const SqlToken& token : LexSql(sql)) {
        if (token.kind == SqlTokenKind::Parameter) {
            result.text += u'?';
            result.names.append(token.text.mid(1));
        } else {
            result.text += token.text;
        }
    }
    return result;
}

} // namespace hz
