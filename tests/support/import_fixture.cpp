#include "tests/support/import_fixture.h"

#include "engine/database/batch_dataset.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/query.h"
#include "engine/run/importer_registry.h"
#include "engine/run/sheet_kinds.h"
#include "importers/default_importers.h"

#include <xlsxwriter.h>

namespace hz::test {

namespace {

void WriteCell(lxw_worksheet* worksheet, lxw_format* dateFormat, lxw_row_t row, lxw_col_t column,
               const CellInput& cell) {
    if (const auto* text = std::get_if<std::string>(&cell)) {
        worksheet_write_string(worksheet, row, column, text->c_str(), nullptr);
    } else if (const auto* number = std::get_if<double>(&cell)) {
        worksheet_write_number(worksheet, row, column, *number, nullptr);
    } else if (const auto* logical = std::get_if<bool>(&cell)) {
        worksheet_write_boolean(worksheet, row, column, *logical, nullptr);
    } else if (const auto* date = std::get_if<DateCell>(&cell)) {
        lxw_datetime value = {date->year, static_cast<uint8_t>(date->month), static_cast<uint8_t>(date->day), 0, 0, 0};
        worksheet_write_datetime(worksheet, row, column, &value, dateFormat);
    }
}

std::string TypedValue(const QVariant& value) {
    if (value.isNull()) {
        return "NULL";
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return "int " + value.toString().toStdString();
    case QMetaType::Double:
        return "real " + value.toString().toStdString();
    case QMetaType::QString:
        return "text '" + value.toString().toStdString() + "'";
    default:
        return std::string(value.typeName()) + " " + value.toString().toStdString();
    }
}

} // namespace

std::map<std::string, std::string> With(std::map<std::string, std::string> fields,
                                        const std::map<std::string, std::string>& changes) {
    for (const auto& [name, value] : changes) {
        fields[name] = value;
    }
    return fields;
}

void WriteTypedWorkbook(const std::string& path, const std::vector<TypedSheet>& sheets) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    ASSERT_NE(workbook, nullptr);
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy/m/d");
    for (const TypedSheet& sheet : sheets) {
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.name.c_str());
        ASSERT_NE(worksheet, nullptr) << sheet.name;
        for (size_t row = 0; row < sheet.rows.size(); ++row) {
            for (size_t column = 0; column < sheet.rows[row].size(); ++column) {
                WriteCell(worksheet, dateFormat, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                          sheet.rows[row][column]);
            }
        }
    }
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR) << path;
}

ImportFixture::ImportFixture()
    : session(QString::fromStdString(erp.Folder().File("ZirurUzavarUriz.ini"))),
      workbookPath(erp.Folder().File("book.xlsx")) {
    session.settings.server = QStringLiteral("sqlite");
    session.settings.database = erp.Path();
    session.settings.user = QStringLiteral("demo");
    InstallEmbeddedErp(session.Con);
    session.Con.OpenSqliteFile(erp.Path());
}

RunJournal ImportFixture::Journal() const {
    const QString workbook = JournalWorkbookName(QString::fromStdString(workbookPath));
    const QString erp = JournalErpName(session.settings);
    return RunJournal(JournalPath(session.settingsPath, workbook, erp), workbook, erp, false);
}

RunOutcome ImportFixture::Import(const std::vector<TypedSheet>& sheets,
                                 const std::vector<std::pair<std::string, std::string>>& ticks) {
    WriteTypedWorkbook(workbookPath, sheets);
    return ImportBook(workbookPath, ticks);
}

RunOutcome ImportFixture::ImportBook(const std::string& path,
                                     const std::vector<std::pair<std::string, std::string>>& ticks) {
    ImportRequest request;
    request.workbookPath = QString::fromStdString(path);
    // The run pairs kinds with start rows in selection order, whatever order the test names them in.
    for (const SheetKind& kind : SheetKinds()) {
        for (const auto& [caption, startRow] : ticks) {
            if (kind.caption == QString::fromStdString(caption)) {
                request.selection.push_back({&kind, QString::fromStdString(startRow)});
            }
        }
    }
    EXPECT_EQ(request.selection.size(), ticks.size()) << "a ticked caption is not a sheet kind";
    request.mode = mode;
    request.resume = resume;
    return RunImport(session, request, observer, DefaultImporters());
}

RunOutcome ImportFixture::Import(const std::vector<TypedSheet>& sheets, const std::vector<std::string>& kinds) {
    std::vector<std::pair<std::string, std::string>> ticks;
    for (const std::string& kind : kinds) {
        ticks.emplace_back(kind, "2");
    }
    return Import(sheets, ticks);
}

std::vector<std::string> ImportFixture::Messages() const {
    const std::string prefix = "message: ";
    std::vector<std::string> messages;
    for (const std::string& event : observer.events) {
        if (event.starts_with(prefix)) {
            messages.push_back(event.substr(prefix.size()));
        }
    }
    return messages;
}

std::string ImportFixture::StartRowBox(const std::string& kind) const {
    const std::vector<std::string> history = StartRowHistory(kind);
    return history.empty() ? std::string() : history.back();
}

std::vector<std::string> ImportFixture::StartRowHistory(const std::string& kind) const {
    const std::string prefix = "start row: " + kind + " = ";
    std::vector<std::string> history;
    for (const std::string& event : observer.events) {
        if (event.starts_with(prefix)) {
            history.push_back(event.substr(prefix.size()));
        }
    }
    return history;
}

QVariantMap ImportFixture::Row(const QString& table, const QString& field, const QVariant& value) {
    Query query(session.Con);
    query.SetText(QStringLiteral("Select * From %1 Where %2 = :Value").arg(table, field));
    query.Bind(QStringLiteral("Value"), value);
    query.Exec();
    QVariantMap row;
    if (query.Next()) {
        BatchDataset columns(session.Con);
        columns.Open(QStringLiteral("Select Top 0 * From ") + table);
        for (const QString& column : columns.ColumnNames()) {
            row.insert(column, query.Value(column));
        }
    }
    return row;
}

std::map<std::string, std::string> ImportFixture::TypedRow(const QString& table, const QString& field,
                                                           const QVariant& value) {
    std::map<std::string, std::string> typed;
    const QVariantMap row = Row(table, field, value);
    for (auto it = row.begin(); it != row.end(); ++it) {
        typed[it.key().toStdString()] = TypedValue(it.value());
    }
    return typed;
}

int ImportFixture::Count(const QString& table) {
    return Scalar(session.Con, QStringLiteral("Select count(*) as Value From %1").arg(table)).toInt();
}

} // namespace hz::test
