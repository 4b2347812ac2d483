#include "tests/power_cut/cut_settings.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace hz::power_cut {

namespace {

std::string Text(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::uint64_t Number(const char* name, std::uint64_t otherwise) {
    const std::string text = Text(name);
    if (text.empty()) {
        return otherwise;
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0') {
        std::fprintf(stderr, "power cut: %s=%s is no number\n", name, text.c_str());
        std::abort();
    }
    return value;
}

CutSettings Read() {
    CutSettings settings;
    settings.cutAfter = Number("HZ_POWER_CUT_AFTER", 0);
    const std::string keep = Text("HZ_POWER_CUT_KEEP");
    if (keep != "" && keep != "none" && keep != "subset") {
        std::fprintf(stderr, "power cut: HZ_POWER_CUT_KEEP=%s is neither none nor subset\n", keep.c_str());
        std::abort();
    }
    settings.keepSubset = keep == "subset";
    settings.seed = Number("HZ_POWER_CUT_SEED", std::random_device()());
    settings.report = Text("HZ_POWER_CUT_REPORT");
    settings.snapshotOf = Text("HZ_POWER_CUT_SNAPSHOT_OF");
    settings.snapshotTo = Text("HZ_POWER_CUT_SNAPSHOT_TO");
    return settings;
}

} // namespace

const CutSettings& Settings() {
    // Never destroyed: the figures are written at exit, after static objects are gone.
    static const CutSettings* const settings = new CutSettings(Read());
    return *settings;
}

} // namespace hz::power_cut
