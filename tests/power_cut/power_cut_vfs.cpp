#include "tests/power_cut/power_cut.h"
#include "tests/power_cut/unsynced_files.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

// An SQLite VFS in front of the system's default one, made the default in its place as the library loads, so that
// every connection of the process (Qt's driver and the engine share the one libsqlite3) writes through it. It passes
// every call on; the writes and truncations of databases, their logs and their rollback journals are followed by
// UnsyncedFiles until their next sync, which it does not pass on: the disk of a cut is the one that UnsyncedFiles
// keeps, not the real one.

namespace hz::power_cut {

namespace {

sqlite3_vfs* realVfs = nullptr;

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
    UnsyncedFile* unsynced; // nullptr for a file whose contents no later process reads (a temporary one)
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<ShimFile*>(file)->real;
}

UnsyncedFile* Unsynced(sqlite3_file* file) {
    return reinterpret_cast<ShimFile*>(file)->unsynced;
}

int Close(sqlite3_file* file) {
    return Real(file)->pMethods->xClose(Real(file));
}

int Read(sqlite3_file* file, void* data, int size, sqlite3_int64 offset) {
    return Real(file)->pMethods->xRead(Real(file), data, size, offset);
}

int Write(sqlite3_file* file, const void* data, int size, sqlite3_int64 offset) {
    UnsyncedFile* unsynced = Unsynced(file);
    if (unsynced == nullptr) {
        return Real(file)->pMethods->xWrite(Real(file), data, size, offset);
    }
    std::lock_guard guard(UnsyncedFiles::Instance().Lock());
    unsynced->BeforeChange(offset, size);
    const int result = Real(file)->pMethods->xWrite(Real(file), data, size, offset);
    if (result == SQLITE_OK) {
        unsynced->Wrote(offset, data, static_cast<std::size_t>(size));
        Count(Operation::Write, *unsynced);
    }
    return result;
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    UnsyncedFile* unsynced = Unsynced(file);
    if (unsynced == nullptr) {
        return Real(file)->pMethods->xTruncate(Real(file), size);
    }
    std::lock_guard guard(UnsyncedFiles::Instance().Lock());
    sqlite3_int64 current = 0;
    if (Real(file)->pMethods->xFileSize(Real(file), &current) == SQLITE_OK && current > size) {
        unsynced->BeforeChange(size, current - size);
    }
    const int result = Real(file)->pMethods->xTruncate(Real(file), size);
    if (result == SQLITE_OK) {
        unsynced->Truncated(size);
        Count(Operation::Truncation, *unsynced);
    }
    return result;
}

int Sync(sqlite3_file* file, int flags) {
    UnsyncedFile* unsynced = Unsynced(file);
    if (unsynced == nullptr) {
        return Real(file)->pMethods->xSync(Real(file), flags);
    }
    std::lock_guard guard(UnsyncedFiles::Instance().Lock());
    unsynced->Synced();
    Count(Operation::Sync, *unsynced);
    return SQLITE_OK;
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    return Real(file)->pMethods->xFileSize(Real(file), size);
}

int Lock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xLock(Real(file), level);
}

int Unlock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xUnlock(Real(file), level);
}

int CheckReservedLock(sqlite3_file* file, int* reserved) {
    return Real(file)->pMethods->xCheckReservedLock(Real(file), reserved);
}

int FileControl(sqlite3_file* file, int operation, void* argument) {
    return Real(file)->pMethods->xFileControl(Real(file), operation, argument);
}

int SectorSize(sqlite3_file* file) {
    return Real(file)->pMethods->xSectorSize(Real(file));
}

int DeviceCharacteristics(sqlite3_file* file) {
    return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}

// The shared memory of a log's index is passed on untouched: whoever opens the database first after a cut rebuilds
// the index from the log.
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
    return Real(file)->pMethods->xShmMap(Real(file), region, size, extend, memory);
}

int ShmLock(sqlite3_file* file, int offset, int count, int flags) {
    return Real(file)->pMethods->xShmLock(Real(file), offset, count, flags);
}

void ShmBarrier(sqlite3_file* file) {
    Real(file)->pMethods->xShmBarrier(Real(file));
}

int ShmUnmap(sqlite3_file* file, int deleteFlag) {
    return Real(file)->pMethods->xShmUnmap(Real(file), deleteFlag);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int size, void** pages) {
    return Real(file)->pMethods->xFetch(Real(file), offset, size, pages);
}

int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* pages) {
    return Real(file)->pMethods->xUnfetch(Real(file), offset, pages);
}

const sqlite3_io_methods kMethods = {
    3,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    ShmMap,
    ShmLock,
    ShmBarrier,
    ShmUnmap,
    Fetch,
    Unfetch,
};

// What a later process reads again: a database, its write-ahead log, its rollback journal.
constexpr int kLastingFiles = SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL;

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->unsynced = nullptr;
    const int result = realVfs->xOpen(realVfs, name, shim->real, flags, outFlags);
    shim->base.pMethods = shim->real->pMethods ? &kMethods : nullptr;
    if (result == SQLITE_OK && name != nullptr && (flags & kLastingFiles) != 0) {
        shim->unsynced = UnsyncedFiles::Instance().Follow(name);
    }
    return result;
}

int Delete(sqlite3_vfs*, const char* name, int syncFolder) {
    UnsyncedFiles::Instance().Forget(name);
    return realVfs->xDelete(realVfs, name, syncFolder);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* result) {
    return realVfs->xAccess(realVfs, name, flags, result);
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return realVfs->xFullPathname(realVfs, name, size, out);
}

void* DlOpen(sqlite3_vfs*, const char* name) {
    return realVfs->xDlOpen(realVfs, name);
}

void DlError(sqlite3_vfs*, int size, char* message) {
    realVfs->xDlError(realVfs, size, message);
}

void (*DlSym(sqlite3_vfs*, void* library, const char* symbol))(void) {
    return realVfs->xDlSym(realVfs, library, symbol);
}

void DlClose(sqlite3_vfs*, void* library) {
    realVfs->xDlClose(realVfs, library);
}

int Randomness(sqlite3_vfs*, int size, char* out) {
    return realVfs->xRandomness(realVfs, size, out);
}

int Sleep(sqlite3_vfs*, int microseconds) {
    return realVfs->xSleep(realVfs, microseconds);
}

int CurrentTime(sqlite3_vfs*, double* now) {
    return realVfs->xCurrentTime(realVfs, now);
}

int GetLastError(sqlite3_vfs*, int size, char* message) {
    return realVfs->xGetLastError(realVfs, size, message);
}

int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return realVfs->xCurrentTimeInt64(realVfs, now);
}

int SetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call) {
    return realVfs->xSetSystemCall(realVfs, name, call);
}

sqlite3_syscall_ptr GetSystemCall(sqlite3_vfs*, const char* name) {
    return realVfs->xGetSystemCall(realVfs, name);
}

const char* NextSystemCall(sqlite3_vfs*, const char* name) {
    return realVfs->xNextSystemCall(realVfs, name);
}

sqlite3_vfs shimVfs;

__attribute__((constructor)) void RegisterAsDefault() {
    realVfs = sqlite3_vfs_find(nullptr);
    if (realVfs == nullptr || realVfs->iVersion < 3) {
        std::fprintf(stderr, "power cut: SQLite has no default VFS of version 3 to stand in front of\n");
        std::abort();
    }
    shimVfs = {3,
               static_cast<int>(sizeof(ShimFile)) + realVfs->szOsFile,
               realVfs->mxPathname,
               nullptr,
               "power-cut",
               nullptr,
               Open,
               Delete,
               Access,
               FullPathname,
               DlOpen,
               DlError,
               DlSym,
               DlClose,
               Randomness,
               Sleep,
               CurrentTime,
               GetLastError,
               CurrentTimeInt64,
               SetSystemCall,
               GetSystemCall,
               NextSystemCall};
    if (sqlite3_vfs_register(&shimVfs, 1) != SQLITE_OK) {
        std::fprintf(stderr, "power cut: SQLite refused the VFS\n");
        std::abort();
    }
}

} // namespace

} // namespace hz::power_cut
