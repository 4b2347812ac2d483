#include "engine/database/database_value.h"

#include <QDateTime>

namespace hz {

QVariant ToDatabaseValue(const QVariant& value, SqlDialect dialect) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(value.toBool() ? 1 : 0);
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        if (value.isNull()) {
            return value;
        }
        const QDateTime dateTime = value.toDateTime();
        if (dialect == SqlDialect::Sqlite) {
            return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        return dateTime;
    }
    default:
        return value;
    }
}

} // namespace hz
