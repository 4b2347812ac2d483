#include "tests/power_cut/power_cut.h"

#include "tests/power_cut/cut_settings.h"
#include "tests/power_cut/folder_snapshot.h"
#include "tests/power_cut/real_libc.h"
#include "tests/power_cut/unsynced_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>

namespace hz::power_cut {

namespace {

struct Counts {
    std::uint64_t operations = 0;
    std::uint64_t writes = 0;
    std::uint64_t truncations = 0;
    std::uint64_t syncs = 0;
};

// Guarded by UnsyncedFiles' lock.
Counts counts;

const char* Name(Operation operation) {
    switch (operation) {
    case Operation::Write:
        return "write";
    case Operation::Truncation:
        return "truncation";
    case Operation::Sync:
        return "sync";
    }
    return "";
}

std::string Line(const std::string& name, const std::string& value) {
    return name + ": " + value + '\n';
}

std::string Line(const std::string& name, std::uint64_t value) {
    return Line(name, std::to_string(value));
}

void WriteReport(const std::string& text) {
    if (Settings().report.empty()) {
        return;
    }
    const int fd = Libc().open(Settings().report.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        WriteAll(fd, text.data(), text.size(), 0);
        Libc().close(fd);
    }
}

std::string CountLines() {
    return Line("operations", counts.operations) + Line("writes", counts.writes) +
           Line("truncations", counts.truncations) + Line("syncs", counts.syncs);
}

[[noreturn]] void CutThePower(Operation operation, const UnsyncedFile& cutFile) {
    const CutSettings& settings = Settings();
    if (!settings.snapshotTo.empty()) {
        CopyFolder(settings.snapshotOf, settings.snapshotTo);
    }
    std::vector<UnsyncedFile*> files = UnsyncedFiles::Instance().All();
    // In the order of their names, so that one seed makes one outcome.
    std::sort(files.begin(), files.end(),
              [](const UnsyncedFile* a, const UnsyncedFile* b) { return a->Path() < b->Path(); });
    std::mt19937_64 random(settings.seed);
    std::string fileLines;
    std::uint64_t unsynced = 0;
    std::uint64_t kept = 0;
    bool refused = false;
    for (UnsyncedFile* file : files) {
        const off_t syncedSize = file->SyncedSize();
        const UnsyncedFile::CutOutcome outcome = file->Cut(settings.keepSubset, random);
        unsynced += outcome.unsynced;
        kept += outcome.kept;
        refused |= outcome.refused;
        fileLines += Line("file", file->Path() + " synced_size=" + std::to_string(syncedSize) + " unsynced=" +
                                      std::to_string(outcome.unsynced) + " kept=" + std::to_string(outcome.kept));
    }
    WriteReport(Line("cut", 1) + CountLines() + Line("cut_operation", Name(operation)) +
                Line("cut_file", cutFile.Path()) + Line("keep", settings.keepSubset ? "subset" : "none") +
                Line("seed", settings.seed) + Line("unsynced_changes", unsynced) + Line("kept_changes", kept) +
                Line("cut_write_refused", refused ? 1 : 0) + fileLines);
    _exit(kCutExitStatus);
}

// A process that was not cut tells how many operations it made, which the next cut is chosen among.
__attribute__((destructor)) void ReportAtExit() {
    std::lock_guard guard(UnsyncedFiles::Instance().Lock());
    WriteReport(Line("cut", 0) + CountLines());
}

} // namespace

void Count(Operation operation, const UnsyncedFile& file) {
    ++counts.operations;
    ++(operation == Operation::Write  ? counts.writes
       : operation == Operation::Sync ? counts.syncs
                                      : counts.truncations);
    if (counts.operations == Settings().cutAfter) {
        CutThePower(operation, file);
    }
}

} // namespace hz::power_cut

// The operations counted so far, for a test that cuts in a second run right after a step of its own.
extern "C" __attribute__((visibility("default"))) unsigned long long HzPowerCutOperations() {
    std::lock_guard guard(hz::power_cut::UnsyncedFiles::Instance().Lock());
    return hz::power_cut::counts.operations;
}
