#pragma once

#include <QString>

#include <utility>

namespace hz {

// One message of a run as the user reads it, with the place it belongs to: the worksheet and row of a row error
// or a failed save, nothing for a message of the whole run (a connection failure, the final word).
struct RunMessage {
    // A message of the whole run converts from its text.
    RunMessage(QString text, QString worksheet = {}, int row = 0)
        : text(std::move(text)), worksheet(std::move(worksheet)), row(row) {}

    QString text;
    QString worksheet; // empty when the message belongs to no worksheet
    int row = 0;       // 0 when the message belongs to no row

    bool HasRow() const { return row > 0; }
};

} // namespace hz
