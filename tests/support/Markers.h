#pragma once
// What the marker program leaves behind: one line a start in a shared log,
//   NAME <tab> MS <tab> WORDS <tab> PATH <tab> FOLDER <tab> EXE
// its name for the test, the system clock in ms when it started, the words it
// was given, its own file, ProgramFolder and ExecutableName as the platform
// tells them to it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct Marker {
    std::string name;
    std::int64_t ms = 0;
    std::string words, path, folder, exe;
};

// The folder of the running test program.
std::filesystem::path testProgramFolder();

#ifdef VELMORA_MARKER_FROM_HERE
// The marker program of this build (velmora_uses_marker in CMake).
inline std::filesystem::path markerProgram() {
    return (testProgramFolder() / VELMORA_MARKER_FROM_HERE).lexically_normal();
}
#endif

// Milliseconds on the system clock, as the marker program writes them.
std::int64_t epochMillis();

class MarkerLog {
public:
    explicit MarkerLog(std::filesystem::path file) : file_(std::move(file)) {}
    const std::filesystem::path& file() const { return file_; }

    std::vector<Marker> markers() const;
    // "A B C", in the order they were written.
    std::string names() const;
    std::optional<Marker> find(const std::string& name) const;
    // When `name` started; -1 (far from any expected time) when it did not.
    std::int64_t at(const std::string& name) const;

private:
    std::filesystem::path file_;
};

}  // namespace testing_support
