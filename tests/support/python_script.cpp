#include "tests/support/python_script.h"

#include "tests/support/utf8_path.h"

#include <QCryptographicHash>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace hz::test {

namespace {

namespace fs = std::filesystem;

// The folder of fixtures made on Linux, or "" when HZ_FIXTURE_DIR names none.
std::string FixtureFolder() {
    const char* folder = std::getenv("HZ_FIXTURE_DIR");
    return folder ? folder : "";
}

// A fixture's name in the folder: a digest of what makes it, then the extension of the file.
std::string FixtureName(const std::string& path, const std::string& script, const std::vector<std::string>& arguments,
                        const std::vector<std::string>& inputs) {
    QCryptographicHash digest(QCryptographicHash::Sha256);
    auto add = [&](const std::string& part) {
        const std::string size = std::to_string(part.size()) + ":";
        digest.addData(QByteArrayView(size.data(), static_cast<qsizetype>(size.size())));
        digest.addData(QByteArrayView(part.data(), static_cast<qsizetype>(part.size())));
    };
    add(script);
    add(Utf8Path(PathOfUtf8(path).filename()));
    for (const std::string& argument : arguments)
        add(argument);
    for (const std::string& input : inputs)
        add(ReadFileBytes(input));
    return digest.result().toHex().left(40).toStdString() + Utf8Path(PathOfUtf8(path).extension());
}

// Keeps a copy of the fixture; tests running side by side may keep the same one, so each writes its own temporary
// file and renames it into place.
void KeepFixture(const std::string& folder, const std::string& name, const std::string& path) {
    fs::create_directories(PathOfUtf8(folder));
    const std::string temporary = folder + "/" + name + "." + std::to_string(std::random_device()()) + ".part";
    WriteFileBytes(temporary, ReadFileBytes(path));
    fs::rename(PathOfUtf8(temporary), PathOfUtf8(folder + "/" + name));
}

} // namespace

void WriteWithPython(const std::string& path, const std::string& script, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& inputs) {
    const std::string folder = FixtureFolder();
    const std::string name = FixtureName(path, script, arguments, inputs);
    if (!PythonRuns()) {
        if (folder.empty())
            throw std::runtime_error("python3 cannot run here, and HZ_FIXTURE_DIR names no folder of the fixtures "
                                     "that a Linux run made (scripts/windows-test makes them)");
        const std::string kept = folder + "/" + name;
        if (!fs::exists(PathOfUtf8(kept)))
            throw std::runtime_error("no fixture " + name + " for " + path + " in " + folder +
                                     ": the Linux run that made the fixtures did not write it");
        WriteFileBytes(path, ReadFileBytes(kept));
        return;
    }
    std::vector<std::string> all = {path};
    all.insert(all.end(), arguments.begin(), arguments.end());
    all.insert(all.end(), inputs.begin(), inputs.end());
    const ProgramResult result = RunPython(script, all);
    if (result.status != 0)
        throw std::runtime_error("python3 could not write " + path + ": " + result.out + result.err);
    if (!folder.empty())
        KeepFixture(folder, name, path);
}

bool FixtureToolInstalled(const std::string& tool) {
    const std::string folder = FixtureFolder();
    const std::string note = folder + "/tool-" + tool;
    if (!PythonRuns())
        return !folder.empty() && fs::exists(PathOfUtf8(note));
    const bool installed = std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
    if (installed && !folder.empty()) {
        fs::create_directories(PathOfUtf8(folder));
        WriteFileBytes(note, "");
    }
    return installed;
}

} // namespace hz::test
