#include "app/widgets/run_messages_model.h"

namespace hz {
namespace {

enum Column { WorksheetColumn, RowColumn, TextColumn, ColumnCount };

} // namespace

int RunMessagesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(messages.size());
}

int RunMessagesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RunMessagesModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const RunMessage& message = messages[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() == RowColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    // A long message is cut at the column's edge: its tooltip shows all of it.
    if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && index.column() == TextColumn)) {
        return {};
    }
    switch (index.column()) {
    case WorksheetColumn:
        return message.worksheet;
    case RowColumn:
        return message.HasRow() ? QVariant(message.row) : QVariant();
    default:
        return message.text;
    }
}

QVariant RunMessagesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case WorksheetColumn:
        return QStringLiteral("工作表");
    case RowColumn:
        return QStringLiteral("行");
    case TextColumn:
        return QStringLiteral("消息");
    default:
        return {};
    }
}

} // namespace hz
