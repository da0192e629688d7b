// Cost of a damaged settings file against a clean one of the same size, in
// the same run: the start-up's reads of every key and the shut-down's save of
// 47 values (which keeps a damaged file aside first), each round in a process
// of its own so that its peak memory is its own. Medians.
//
//   bench_damaged_file [ROUNDS_1MB] [ROUNDS_16MB]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/IniSettingsBackend.h"
#include "settings/Keys.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Entries of keys the program does not know, ~45 bytes a line; a damaged
// file has every other line without "=".
std::string content(std::size_t size, bool damaged) {
    std::string text = "[General]\nMAIN-Left=1815\n";
    for (int n = 0; text.size() < size; ++n) {
        if (damaged && n % 2 == 1)
            text += "a line with no equals sign, number " + std::to_string(n) + "\n";
        else
            text +=
                "FOREIGN_KEY_" + std::to_string(n) + "=/usr/bin/some-tool --n=" + std::to_string(n) + "\n";
    }
    return text;
}

struct Figures {
    double readMs = 0, saveMs = 0, startPeakMb = 0, peakMb = 0;
};

double peakMbSoFar() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One start-up and shut-down over `file` in a child process.
Figures measure(const fs::path& root, const fs::path& file, const fs::path& master) {
    fs::remove_all(file.parent_path());
    fs::create_directories(file.parent_path());
    fs::permissions(file.parent_path(), fs::perms::owner_all, fs::perm_options::replace);
    fs::copy_file(master, file);
    int report[2];
    if (::pipe(report) != 0) std::abort();
    std::fflush(stdout);  // or the child's copy of the buffer is printed again
    const pid_t child = ::fork();
    if (child == 0) {
        Figures f;
        std::fclose(stderr);  // the damaged file's one warning is not part of the figures
        platform::IniSettingsBackend backend(root);
        auto start = Clock::now();
        for (const auto& info : settings::keys::all()) backend.read("VELMORA", "velmora", info.key);
        f.readMs = millisSince(start);
        f.startPeakMb = peakMbSoFar();
        platform::SettingsBackend::Values values;
        for (int n = 1; n <= 47; ++n) values.emplace_back("TASK_" + std::to_string(n % 20 + 1) + "_X", "1");
        start = Clock::now();
        backend.writeAll("VELMORA", "velmora", values);
        f.saveMs = millisSince(start);
        [[maybe_unused]] auto written = ::write(report[1], &f, sizeof f);
        ::_exit(0);
    }
    ::close(report[1]);
    Figures f;
    if (::read(report[0], &f, sizeof f) != sizeof f) std::abort();
    ::close(report[0]);
    struct rusage usage {};
    int status = 0;
    ::wait4(child, &status, 0, &usage);
    f.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return f;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Medians {
    double readMs, saveMs, startPeakMb, peakMb;
};

Medians run(const fs::path& root, const fs::path& master, int rounds) {
    std::vector<double> read, save, startPeak, peak;
    const fs::path file = root / "VELMORA" / "velmora.conf";
    for (int i = 0; i < rounds; ++i) {
        const Figures f = measure(root, file, master);
        read.push_back(f.readMs);
        save.push_back(f.saveMs);
        startPeak.push_back(f.startPeakMb);
        peak.push_back(f.peakMb);
    }
    return {median(read), median(save), median(startPeak), median(peak)};
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds1 = argc > 1 ? std::atoi(argv[1]) : 11;
    const int rounds16 = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string pattern = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    const fs::path root = pattern;
    // The files are made before any round, so no round's memory holds them.
    struct Size {
        const char* label;
        std::size_t bytes;
        int rounds;
    };
    const Size sizes[] = {{"1 MB", 1u << 20, rounds1}, {"16 MB", 16u << 20, rounds16}};
    for (const Size& s : sizes)
        for (const bool damaged : {false, true})
            std::ofstream(root / (std::string(s.label) + (damaged ? " damaged" : " clean")), std::ios::binary)
                << content(s.bytes - 4096, damaged);  // under the 16 MB a settings file may have

    // A file of a few lines: the process's own size, for comparison.
    std::ofstream(root / "small") << "[General]\nMAIN-Left=1815\n";
    const Medians small = run(root, root / "small", rounds1);
    std::printf("peak memory with a small file: %.1f MB\n\n", small.peakMb);
    std::printf("%-6s %-8s %9s %9s %15s %14s\n", "size", "file", "read ms", "save ms", "start-up peak",
                "overall peak");
    for (const Size& s : sizes) {
        const Medians clean = run(root, root / (std::string(s.label) + " clean"), s.rounds);
        const Medians damaged = run(root, root / (std::string(s.label) + " damaged"), s.rounds);
        for (const auto& [label, m] : {std::pair{"clean", clean}, std::pair{"damaged", damaged}})
            std::printf("%-6s %-8s %9.1f %9.1f %12.1f MB %11.1f MB\n", s.label, label, m.readMs, m.saveMs,
                        m.startPeakMb, m.peakMb);
        std::printf(
            "%-6s damaged/clean: read %.2fx, save %.2fx, start-up peak %.2fx, overall peak %.2fx"
            " (%d rounds)\n\n",
            s.label, damaged.readMs / clean.readMs, damaged.saveMs / clean.saveMs,
            damaged.startPeakMb / clean.startPeakMb, damaged.peakMb / clean.peakMb, s.rounds);
    }
    fs::remove_all(root);
    return 0;
}
