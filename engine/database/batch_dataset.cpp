#include "engine/database/batch_dataset.h"

#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/database_value.h"
#include "engine/database/sql/sql_lexer.h"
#include "engine/database/statement_cache.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace hz {
namespace {

// The table after the first "from" of the statement, as written ("T", "dbo.T", "[T]").
QString TableOf(const QString& sql) {
    const std::vector<SqlToken> tokens = LexSql(sql);
    size_t i = 0;
    while (i < tokens.size() &&
           !(tokens[i].kind == SqlTokenKind::Word && tokens[i].text.compare(u"from", Qt::CaseInsensitive) == 0)) {
        ++i;
    }
    do {
        ++i;
    } while (i < tokens.size() && tokens[i].kind == SqlTokenKind::Space);
    QString table;
    for (; i < tokens.size(); ++i) {
        const SqlToken& token = tokens[i];
        const bool part = token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::QuotedName ||
                          (token.kind == SqlTokenKind::Symbol && token.text == u".");
        if (!part) {
            break;
        }
        table += token.text;
    }
    return table;
}

QString QuotedColumn(const QString& column) {
    return u'[' + QString(column).replace(QStringLiteral("]"), QStringLiteral("]]")) + u']';
}

} // namespace

// One INSERT per distinct set of columns, prepared once for the whole run of the dataset.
struct BatchDataset::InsertStatement {
    std::vector<int> columns; // ascending
    std::shared_ptr<PreparedStatement> statement;
};

BatchDataset::BatchDataset(Connection& connection) : connection(connection) {}

BatchDataset::~BatchDataset() = default;

void BatchDataset::Open(const QString& sql) {
    Close();
    if (!connection.IsOpen()) {
        throw StatementError(QStringLiteral("数据库未连接"), sql);
    }
    const QString name = TableOf(sql);
    if (name.isEmpty()) {
        throw StatementError(QStringLiteral("语句中没有表名"), sql);
    }
    const std::shared_ptr<PreparedStatement> statement = connection.Statements().Find(sql);
    DriverStatement& query = connection.Statements().Prepared(*statement);
    connection.CountRoundTrip();
    const bool ok = query.Exec();
    const QString driverText = ok ? QString() : query.ErrorText();
    if (ok) {
        for (int i = 0; i < query.ColumnCount(); ++i) {
            columnNames.append(query.ColumnName(i));
            columnTypes.push_back(query.ColumnType(i));
            columnByName.emplace(columnNames.back(), i);
        }
    }
    query.Finish();
    if (!ok) {
        throw StatementError(driverText, sql);
    }
    table = name;
}

void BatchDataset::Close() {
    table.clear();
    columnNames.clear();
    columnTypes.clear();
    columnByName.clear();
    rows.clear();
    inserts.clear();
    firstPending = 0;
    current = -1;
    state = DatasetState::Browse;
}

int BatchDataset::ColumnIndex(const QString& field) const {
    RequireOpen();
    const auto found = columnByName.find(field);
    if (found == columnByName.end()) {
        throw DatabaseError(QStringLiteral("表 ") + table + QStringLiteral(" 中没有字段 ") + field);
    }
    return found->second;
}

QMetaType BatchDataset::ColumnType(const QString& field) const {
    return columnTypes[ColumnIndex(field)];
}

void BatchDataset::RequireOpen() const {
    if (table.isEmpty()) {
        throw DatabaseError(QStringLiteral("数据集没有打开"));
    }
}

void BatchDataset::RequireRow() const {
    RequireOpen();
    if (current < 0) {
        throw DatabaseError(QStringLiteral("表 ") + table + QStringLiteral(" 的数据集没有当前记录"));
    }
}

void BatchDataset::Append() {
    RequireOpen();
    PostIfEditing();
    rows.emplace_back();
    current = static_cast<int>(rows.size()) - 1;
    state = DatasetState::Insert;
}

void BatchDataset::Edit() {
    RequireRow();
    if (state != DatasetState::Browse) {
        return;
    }
    if (current < firstPending) {
        throw DatabaseError(QStringLiteral("表 ") + table + QStringLiteral(" 的记录已经保存，不能再修改"));
    }
    beforeEdit = rows[current];
    state = DatasetState::Edit;
}

void BatchDataset::Post() {
    state = DatasetState::Browse;
    beforeEdit = Row();
}

void BatchDataset::PostIfEditing() {
    if (state != DatasetState::Browse) {
        Post();
    }
}

void BatchDataset::Cancel() {
    if (state == DatasetState::Insert) {
        rows.erase(rows.begin() + current);
        current = static_cast<int>(rows.size()) - 1;
    } else if (state == DatasetState::Edit) {
        rows[current] = std::move(beforeEdit);
    }
    Post();
}

void BatchDataset::SetField(const QString& field, const QVariant& value) {
    const int column = ColumnIndex(field);
    if (state == DatasetState::Browse) {
        throw DatabaseError(QStringLiteral("表 ") + table +
                            QStringLiteral(" 的数据集不在编辑或插入状态，不能设置字段 ") + field);
    }
    Row& row = rows[current];
    const auto found = std::find(row.setColumns.begin(), row.setColumns.end(), column);
    if (found != row.setColumns.end()) {
        row.setValues[found - row.setColumns.begin()] = value;
    } else {
        row.setColumns.push_back(column);
        row.setValues.push_back(value);
    }
}

QVariant BatchDataset::Field(const QString& field) const {
    const int column = ColumnIndex(field);
    RequireRow();
    const Row& row = rows[current];
    const auto found = std::find(row.setColumns.begin(), row.setColumns.end(), column);
    return found == row.setColumns.end() ? QVariant() : row.setValues[found - row.setColumns.begin()];
}

bool BatchDataset::First() {
    PostIfEditing();
    current = rows.empty() ? -1 : 0;
    return !rows.empty();
}

bool BatchDataset::Last() {
    PostIfEditing();
    current = static_cast<int>(rows.size()) - 1;
    return !rows.empty();
}

bool BatchDataset::Next() {
    PostIfEditing();
    if (current + 1 >= static_cast<int>(rows.size())) {
        return false;
    }
    ++current;
    return true;
}

bool BatchDataset::Prior() {
    PostIfEditing();
    if (current <= 0) {
        return false;
    }
    --current;
    return true;
}

int BatchDataset::PendingCount() const {
    return static_cast<int>(rows.size()) - firstPending;
}

void BatchDataset::UpdateBatch() {
    RequireOpen();
    PostIfEditing();
    if (PendingCount() == 0) {
        return;
    }
    std::optional<TransactionGuard> own;
    if (!connection.InTransaction()) {
        own.emplace(connection);
    }
    for (size_t i = firstPending; i < rows.size(); ++i) {
        Send(rows[i]);
    }
    if (own) {
        own->Commit();
    }
    firstPending = static_cast<int>(rows.size());
}

void BatchDataset::Send(const Row& row) {
    std::vector<int> order(row.setColumns.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return row.setColumns[a] < row.setColumns[b]; });
    std::vector<int> columns(order.size());
    std::transform(order.begin(), order.end(), columns.begin(), [&](int i) { return row.setColumns[i]; });

    auto found =
        std::find_if(inserts.begin(), inserts.end(), [&](const auto& insert) { return insert->columns == columns; });
    if (found == inserts.end()) {
        QString sql = QStringLiteral("INSERT INTO ") + table;
        if (columns.empty()) {
            sql += QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList names;
            for (int column : columns) {
                names.append(QuotedColumn(columnNames[column]));
            }
            sql += QStringLiteral(" (") + names.join(u',') + QStringLiteral(") VALUES (") +
                   QString(QStringLiteral("?,")).repeated(columns.size()).chopped(1) + u')';
        }
        auto insert = std::make_unique<InsertStatement>();
        insert->columns = columns;
        insert->statement = connection.Statements().Find(sql);
        found = inserts.insert(inserts.end(), std::move(insert));
    }
    PreparedStatement& statement = *(*found)->statement;
    DriverStatement& query = connection.Statements().Prepared(statement);
    for (size_t i = 0; i < order.size(); ++i) {
        query.Bind(static_cast<int>(i), ToDatabaseValue(row.setValues[order[i]], connection.Dialect()));
    }
    connection.CountRoundTrip();
    const bool ok = query.Exec();
    const QString driverText = ok ? QString() : query.ErrorText();
    query.Finish();
    if (!ok) {
        throw StatementError(driverText, statement.sql);
    }
}

void BatchDataset::CancelBatch() {
    if (state != DatasetState::Browse) {
        Cancel();
    }
    rows.resize(firstPending);
    current = static_cast<int>(rows.size()) - 1;
}

} // namespace hz
