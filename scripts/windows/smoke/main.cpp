// Smoke check of the cross-built Windows libraries: Qt's SQLite driver on a database in a folder with a Chinese
// name, the same sqlite3.dll through its C API on the driver's own handle, and a workbook written by
// libxlsxwriter and read back through libzip and pugixml. Prints one line and exits 0 when all of it works.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <pugixml.hpp>
#include <sqlite3.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

const QString greeting = QStringLiteral("汇章");
const char* const sheetName = "汇总";

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

// Stores the greeting through Qt's driver and reads it back; the driver's handle must work with the program's
// own sqlite3 calls, which holds only when both use one sqlite3.dll.
QString RoundTripThroughQt(const QString& path) {
    QString version;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("smoke"));
        db.setDatabaseName(path);
        if (!db.open()) {
            Fail("QSQLITE cannot open " + path.toStdString() + ": " + db.lastError().text().toStdString());
        }
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("CREATE TABLE Person (cName TEXT NOT NULL)")) ||
            !query.prepare(QStringLiteral("INSERT INTO Person (cName) VALUES (:Name)"))) {
            Fail("QSQLITE: " + query.lastError().text().toStdString());
        }
        query.bindValue(QStringLiteral(":Name"), greeting);
        if (!query.exec() || !query.exec(QStringLiteral("SELECT cName, sqlite_version() FROM Person")) ||
            !query.next()) {
            Fail("QSQLITE: " + query.lastError().text().toStdString());
        }
        if (query.value(0).toString() != greeting) {
            Fail("QSQLITE read back " + query.value(0).toString().toStdString());
        }
        version = query.value(1).toString();

        QVariant handle = db.driver()->handle();
        if (qstrcmp(handle.typeName(), "sqlite3*") != 0) {
            Fail(std::string("the driver's handle is a ") + handle.typeName());
        }
        sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
        const char* file = sqlite3_db_filename(connection, "main");
        // SQLite gives the full name with backslashes, Qt forward slashes; Windows names ignore case.
        if (file == nullptr ||
            QDir::cleanPath(QString::fromUtf8(file)).compare(QDir::cleanPath(path), Qt::CaseInsensitive) != 0) {
            Fail("sqlite3_db_filename on the driver's handle gave " + std::string(file ? file : "nothing"));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("smoke"));
    if (version != QString::fromUtf8(sqlite3_libversion())) {
        Fail("Qt's driver runs SQLite " + version.toStdString() + ", the program " + sqlite3_libversion());
    }
    if (!sqlite3_compileoption_used("ENABLE_COLUMN_METADATA") || !sqlite3_threadsafe()) {
        Fail("sqlite3.dll lacks column metadata or thread safety");
    }
    return version;
}

void WriteWorkbook(const std::string& path) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    if (workbook == nullptr) {
        Fail("libxlsxwriter cannot create " + path);
    }
    lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheetName);
    if (worksheet == nullptr) {
        workbook_close(workbook);
        Fail("libxlsxwriter cannot add a worksheet");
    }
    worksheet_write_string(worksheet, 0, 0, greeting.toUtf8().constData(), nullptr);
    worksheet_write_number(worksheet, 0, 1, 42, nullptr);
    lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        Fail("libxlsxwriter cannot write " + path + ": " + lxw_strerror(error));
    }
}

std::string ReadPart(zip_t* archive, const char* name) {
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || stat.size > (1u << 20)) {
        Fail(std::string("no part ") + name);
    }
    std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen(archive, name, 0), &zip_fclose);
    std::string text(stat.size, '\0');
    if (!file || zip_fread(file.get(), text.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
        Fail(std::string("cannot read part ") + name);
    }
    return text;
}

// Reads the worksheet's name and the first shared string back from the package.
void CheckWorkbook(const std::string& path) {
    int error = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path.c_str(), ZIP_RDONLY, &error), &zip_discard);
    if (!archive) {
        Fail("libzip cannot open " + path + ": error " + std::to_string(error));
    }
    pugi::xml_document workbookPart;
    pugi::xml_document stringsPart;
    std::string workbookText = ReadPart(archive.get(), "xl/workbook.xml");
    std::string stringsText = ReadPart(archive.get(), "xl/sharedStrings.xml");
    if (!workbookPart.load_buffer(workbookText.data(), workbookText.size()) ||
        !stringsPart.load_buffer(stringsText.data(), stringsText.size())) {
        Fail("pugixml cannot parse the workbook's parts");
    }
    std::string sheet = workbookPart.child("workbook").child("sheets").child("sheet").attribute("name").value();
    std::string text = stringsPart.child("sst").child("si").child("t").text().get();
    if (sheet != sheetName || QString::fromStdString(text) != greeting) {
        Fail("the workbook reads back as sheet " + sheet + ", text " + text);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    try {
        QTemporaryDir scratch;
        QString folder = scratch.path() + QStringLiteral("/汇章 数据");
        if (!scratch.isValid() || !QDir().mkpath(folder)) {
            Fail("cannot create " + folder.toStdString());
        }
        QString version = RoundTripThroughQt(folder + QStringLiteral("/账套.db"));
        std::string workbookPath = (folder + QStringLiteral("/模板.xlsx")).toStdString();
        WriteWorkbook(workbookPath);
        CheckWorkbook(workbookPath);

        QLabel label(greeting);
        label.show();
        QApplication::processEvents();
        if (!label.isVisible()) {
            Fail("the label is not shown");
        }
        std::printf("smoke ok: SQLite %s, QSQLITE, xlsx, %s, platform %s\n", version.toUtf8().constData(),
                    greeting.toUtf8().constData(), QGuiApplication::platformName().toUtf8().constData());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "smoke failed: %s\n", error.what());
        return 1;
    }
}
