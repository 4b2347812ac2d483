#include "engine/database/embedded_erp/wal_checkpointer.h"

#include "engine/database/embedded_erp/erp_collation.h"

#include <sqlite3.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace hz {

namespace {

// Pages of log between two copies on the thread: a few megabytes, so that each sync writes little.
constexpr int kCopyEvery = 2048;
// The commit that finds this many pages of log copies the rest itself, so that the next one can start the log over
// (a copy that runs beside the writer never catches up with its last commit). Kept from SQLite's own setting.
constexpr int kCopyAtCommit = 16384;

} // namespace

struct WalCheckpointer::State {
    sqlite3* writer = nullptr; // the connection whose commits are watched
    sqlite3* copier = nullptr; // the thread's own connection
    std::mutex mutex;
    std::condition_variable wake;
    bool copyWanted = false;
    bool stopping = false;
    int pagesAtLastRequest = 0;
    std::thread thread;

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return copyWanted || stopping; });
            if (stopping) {
                return;
            }
            copyWanted = false;
            lock.unlock();
            // Passive: never waits for a reader or the writer; a busy log is tried again at the next request.
            sqlite3_wal_checkpoint_v2(copier, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            lock.lock();
        }
    }

    // Runs on the writer's thread inside each commit, with the number of pages the log now holds.
    static int OnCommit(void* context, sqlite3* db, const char* schema, int pages) {
        auto* state = static_cast<State*>(context);
        if (pages >= kCopyAtCommit) {
            sqlite3_wal_checkpoint_v2(db, schema, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            state->pagesAtLastRequest = 0;
            return SQLITE_OK;
        }
        if (pages < state->pagesAtLastRequest) {
            state->pagesAtLastRequest = 0; // the log started over
        }
        if (pages - state->pagesAtLastRequest >= kCopyEvery) {
            state->pagesAtLastRequest = pages;
            {
                std::lock_guard lock(state->mutex);
                state->copyWanted = true;
            }
            state->wake.notify_one();
        }
        return SQLITE_OK;
    }
};

std::shared_ptr<WalCheckpointer> WalCheckpointer::Start(sqlite3* db) {
    const char* path = sqlite3_db_filename(db, "main");
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->writer = db;
    // A first read opens the connection's view of the log, which a checkpoint needs.
    if (sqlite3_open_v2(path, &state->copier, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        HzRegisterErpCollation(state->copier) != SQLITE_OK ||
        sqlite3_exec(state->copier, "PRAGMA user_version", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(state->copier);
        return nullptr;
    }
    state->thread = std::thread([raw = state.get()] { raw->Run(); });
    sqlite3_wal_hook(db, State::OnCommit, state.get());
    return std::shared_ptr<WalCheckpointer>(new WalCheckpointer(std::move(state)));
}

WalCheckpointer::WalCheckpointer(std::unique_ptr<State> state) : state(std::move(state)) {}

WalCheckpointer::~WalCheckpointer() {
    // Back to SQLite's own checkpoints at commit, at the size they had.
    sqlite3_wal_autocheckpoint(state->writer, kCopyAtCommit);
    {
        std::lock_guard lock(state->mutex);
        state->stopping = true;
    }
    state->wake.notify_one();
    state->thread.join();
    sqlite3_close(state->copier);
}

} // namespace hz
