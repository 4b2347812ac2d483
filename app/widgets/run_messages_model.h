#pragma once

#include "engine/messages/run_message.h"

#include <QAbstractTableModel>

#include <vector>

namespace hz {

// Run messages as a read-only table of three columns: 工作表, 行, 消息 (the row left empty for a message of no row).
class RunMessagesModel final : public QAbstractTableModel {
public:
    RunMessagesModel(const std::vector<RunMessage>& messages, QObject* parent = nullptr)
        : QAbstractTableModel(parent), messages(messages) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const std::vector<RunMessage>& messages; // owned by the view's dialog, which outlives the model
};

} // namespace hz
