#pragma once

#include "engine/database/case_insensitive.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <unordered_map>
#include <vector>

namespace hz {

class Connection;

enum class DatasetState { Browse, Insert, Edit };

// A table's rows held in memory and sent in one batch (QMain, QDetail). Rows appended or edited stay pending
// until UpdateBatch sends each as one INSERT of only the fields that were set, so the database's defaults apply
// to the rest. Field names match without regard to case; an unknown name throws DatabaseError naming the field
// and the table. Moving to another row, Append and UpdateBatch post the current row first.
class BatchDataset {
public:
    explicit BatchDataset(Connection& connection);
    ~BatchDataset();
    BatchDataset(const BatchDataset&) = delete;
    BatchDataset& operator=(const BatchDataset&) = delete;

    // Opens on "Select Top 0 * From T": learns T's columns (names and types); holds no rows.
    void Open(const QString& sql);
    // Drops every row, pending or not.
    void Close();
    bool IsOpen() const { return !table.isEmpty(); }
    const QString& TableName() const { return table; }
    const QStringList& ColumnNames() const { return columnNames; }
    QMetaType ColumnType(const QString& field) const;

    // A new pending row at the end, which becomes current; state Insert.
    void Append();
    // State Edit on the current row. Only a pending row can be edited (a sent row is an error).
    void Edit();
    // Keeps the current row's changes; state Browse.
    void Post();
    // Drops the changes since Append or Edit (the appended row itself on Insert); state Browse.
    void Cancel();
    // Only in state Insert or Edit.
    void SetField(const QString& field, const QVariant& value);
    // The current row's value; NULL for a field that was not set.
    QVariant Field(const QString& field) const;

    bool First();
    bool Last();
    bool Next();
    // Moves one row back; false at the first row.
    bool Prior();
    int RecordCount() const { return static_cast<int>(rows.size()); }
    // The current row's index from 0, or -1 without rows.
    int RecNo() const { return current; }
    DatasetState State() const { return state; }
    int PendingCount() const;

    // Posts, then sends every pending row, in order, inside the caller's transaction (its own when none is
    // open); they become sent rows. When a row fails, DatabaseError names the statement and every row of the
    // batch stays pending, unchanged: the caller rolls back and may cancel the batch.
    void UpdateBatch();
    // Cancels the current changes and drops every pending row; rows already sent stay.
    void CancelBatch();

private:
    struct Row {
        std::vector<int> setColumns; // in the order they were first set
        std::vector<QVariant> setValues;
    };
    struct InsertStatement;

    int ColumnIndex(const QString& field) const;
    void RequireOpen() const;
    void RequireRow() const;
    void PostIfEditing();
    void Send(const Row& row);

    Connection& connection;
    QString table;
    QStringList columnNames;
    std::vector<QMetaType> columnTypes;
    std::unordered_map<QString, int, CaseInsensitiveHash, CaseInsensitiveEqual> columnByName;
    std::vector<Row> rows;
    int firstPending = 0; // rows before it are sent, the others pending
    int current = -1;
    DatasetState state = DatasetState::Browse;
    Row beforeEdit;
    std::vector<std::unique_ptr<InsertStatement>> inserts;
};

} // namespace hz
