#pragma once

#include <memory>

struct sqlite3;

namespace hz {

// Copies the embedded ERP's write-ahead log back into its file on a thread of its own, so that an import does not
// wait for the disk syncs of each checkpoint: the thread copies and syncs the bulk of the log while the rows are
// saved, and the commit that finds the log long leaves only the last pages to copy before the log starts over.
// A crash loses nothing committed: a checkpoint only copies what the log already holds.
class WalCheckpointer {
public:
    // Starts copying for the connection db: null when a connection of its own cannot be opened on the file, and
    // then SQLite's own checkpoints at commit stay in place.
    static std::shared_ptr<WalCheckpointer> Start(sqlite3* db);
    // Stops the thread and closes its connection; must run before db closes, whose close then finds the log
    // copied and removes it.
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer&) = delete;
    WalCheckpointer& operator=(const WalCheckpointer&) = delete;

private:
    struct State;
    explicit WalCheckpointer(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

} // namespace hz
