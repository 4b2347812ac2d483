#pragma once

#include <cstdint>
#include <string>

namespace hz::power_cut {

// What the environment asks of the power cut:
//   HZ_POWER_CUT_AFTER=N        cut the power right after the Nth write, truncation or sync of a followed file
//                               (unset or 0: never; the report then counts them at the process's exit)
//   HZ_POWER_CUT_KEEP=subset    the disk keeps a random subset of each file's unsynced changes, in a random order
//                               (none, the default: it keeps none of them)
//   HZ_POWER_CUT_SEED=S         the seed of those choices (default: a random one, reported)
//   HZ_POWER_CUT_REPORT=FILE    where the figures go, as name: value lines
//   HZ_POWER_CUT_SNAPSHOT_OF=D  a folder whose files are copied, as the process saw them at the cut, into
//   HZ_POWER_CUT_SNAPSHOT_TO=E  this folder: what a kill at that instant would have left
struct CutSettings {
    std::uint64_t cutAfter = 0;
    bool keepSubset = false;
    std::uint64_t seed = 0;
    std::string report;
    std::string snapshotOf;
    std::string snapshotTo;
};

const CutSettings& Settings();

} // namespace hz::power_cut
