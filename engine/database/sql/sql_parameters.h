#pragma once

#include <QString>
#include <QStringList>

namespace hz {

// A statement whose ":Name" parameters were replaced by "?", with the name of each "?" in text order.
struct PositionalSql {
    QString text;
    QStringList names;
};

// Replaces each ":Name" outside string literals and quoted names by "?". A name used twice gives two "?".
PositionalSql ToPositional(const QString& sql);

} // namespace hz
