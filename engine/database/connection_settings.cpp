#include "engine/database/connection_settings.h"

#include <QDir>

namespace hz {
namespace {

// A value that could end its key early, or lose blanks at its ends, goes in braces with "}" doubled.
QString OdbcValue(const QString& value) {
    const bool plain = !value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
                       value.trimmed().size() == value.size();
    if (plain) {
        return value;
    }
    return u'{' + QString(value).replace(QStringLiteral("}"), QStringLiteral("}}")) + u'}';
}

QString OdbcDriverValue(const QString& driver) {
    if (driver.startsWith(u'{') && driver.endsWith(u'}')) {
        return driver;
    }
    return u'{' + QString(driver).replace(QStringLiteral("}"), QStringLiteral("}}")) + u'}';
}

} // namespace

QString AdoConnectionString(const ConnectionSettings& settings) {
    const QString tail = QStringLiteral("Persist Security Info=True;User ID=") + settings.user +
                         QStringLiteral(";Initial Catalog=") + settings.database + QStringLiteral(";Data Source=") +
                         settings.server;
    if (settings.password.isEmpty()) {
        return QStringLiteral("Provider=SQLOLEDB.1;;") + tail;
    }
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + settings.password + u';' + tail;
}

QString DefaultOdbcDriver() {
#ifdef Q_OS_WIN
    return QStringLiteral("SQL Server");
#else
    return QStringLiteral("FreeTDS");
#endif
}

QString OdbcConnectionString(const ConnectionSettings& settings) {
    const QString driver = settings.odbcDriver.isEmpty() ? DefaultOdbcDriver() : settings.odbcDriver;
    return QStringLiteral("DRIVER=") + OdbcDriverValue(driver) + QStringLiteral(";SERVER=") +
           OdbcValue(settings.server) + QStringLiteral(";DATABASE=") + OdbcValue(settings.database) +
           QStringLiteral(";UID=") + OdbcValue(settings.user) + QStringLiteral(";PWD=") + OdbcValue(settings.password) +
           (!settings.trustServerCertificate   ? QString()
            : *settings.trustServerCertificate ? QStringLiteral(";TrustServerCertificate=yes")
                                               : QStringLiteral(";TrustServerCertificate=no"));
}

bool IsEmbedded(const ConnectionSettings& settings) {
    return settings.server.compare(u"sqlite", Qt::CaseInsensitive) == 0;
}

QString EmbeddedDatabasePath(const ConnectionSettings& settings) {
    if (QDir::isAbsolutePath(settings.database)) {
        return settings.database;
    }
    return settings.settingsFolder + u'/' + settings.database + QStringLiteral(".db");
}

} // namespace hz
