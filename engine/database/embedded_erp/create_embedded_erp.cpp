#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/embedded_erp/erp_collation.h"
#include "engine/database/embedded_erp/erp_schema.h"
#include "engine/database/sqlite_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

namespace hz {

namespace {

DatabaseError CreationError(const QString& path, const QString& problem) {
    return DatabaseError(
        QStringLiteral("无法创建内置 ERP 数据库“%1”：%2").arg(QDir::toNativeSeparators(path), problem));
}

// Owns a native connection for the creation, which needs several statements per script and no spid.
class NativeFile {
public:
    explicit NativeFile(const QString& path) : path(path) {
        PrepareSqliteLibrary();
        int result = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (result != SQLITE_OK)
            Fail();
        if (HzRegisterErpCollation(db) != SQLITE_OK)
            Fail();
    }
    ~NativeFile() { sqlite3_close(db); }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    void Run(const QString& script) {
        if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            Fail();
    }

private:
    [[noreturn]] void Fail() {
        throw CreationError(path, db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("内存不足"));
    }

    QString path;
    sqlite3* db = nullptr;
};

void BuildDatabase(const QString& path) {
    NativeFile file(path);
    // WAL lets programs read the archives while another one saves a voucher.
    file.Run(QStringLiteral("PRAGMA journal_mode = WAL; PRAGMA application_id = %1; PRAGMA user_version = %2;")
                 .arg(kEmbeddedErpApplicationId)
                 .arg(kEmbeddedErpSchemaVersion));
    file.Run(QStringLiteral("BEGIN;"));
    file.Run(QString::fromUtf8(kErpMasterDataSchema));
    file.Run(QString::fromUtf8(kErpVoucherSchema));
    file.Run(QString::fromUtf8(kErpReferenceRows));
    file.Run(QStringLiteral("COMMIT;"));
}

} // namespace

void CreateEmbeddedErp(const QString& path) {
    QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw CreationError(path, QStringLiteral("文件已存在，不会覆盖它"));
    if (!target.absoluteDir().exists())
        throw CreationError(path, QStringLiteral("文件夹不存在"));

    // Built beside the target under a temporary name and renamed into place, which fails when the target has
    // appeared meanwhile: the file is never half made and never replaces another.
    QTemporaryFile building(target.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!building.open())
        throw CreationError(path, building.errorString());
    building.close();
    BuildDatabase(building.fileName());
    // Renamed through the temporary file, which closes the handle that it keeps open until then (its close() only
    // rewinds): Windows refuses to rename a file that such a handle holds.
    if (!building.rename(target.absoluteFilePath())) {
        if (QFileInfo::exists(target.absoluteFilePath()))
            throw CreationError(path, QStringLiteral("文件已存在，不会覆盖它"));
        throw CreationError(path, QStringLiteral("无法把新文件改名为目标文件"));
    }
    // The file under its new name is the database, no longer a temporary file to remove.
    building.setAutoRemove(false);
}

} // namespace hz
