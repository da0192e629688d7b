// Cost of one Pause 4 Process poll for a name that is not running, on a table
// with 1,000 more processes, measured side by side in one run against:
//   - the floor: a bare pass over /proc reading only each short name (comm);
//   - what a user would run instead: `pgrep -x NAME` (a whole process);
//   - a one-off query that learns nothing between polls (the watch before it
//     kept what it had read).
// Rounds interleave the four so that they share the machine's load; the
// figures are medians in milliseconds.
//
// Then the cost of a poll while the awaited process runs: the watch holds it
// and asks only whether it still runs that program, against the same floor
// and against a watch that reads the whole table every poll (as it did
// before it held its processes). All poll once a second, so the ratios are
// those of a second's cost.
//
//   bench_process_query [ROUNDS] [EXTRA_PROCESSES]
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/ProcessTable.h"
#include "platform/qt/LinuxPlatform.h"

extern char** environ;

namespace {

const std::string kAbsentName = "velmora-absent";
const std::string kLiveName = "velmora-held";

// A child that renames itself and waits: a process of kLiveName.
class Awaited {
public:
    Awaited() : pid_(::fork()) {
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::prctl(PR_SET_NAME, kLiveName.c_str());
            while (true) ::pause();
        }
    }
    ~Awaited() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Awaited(const Awaited&) = delete;
    Awaited& operator=(const Awaited&) = delete;

private:
    pid_t pid_;
};

// Children that wait for a signal, so the table holds that many more entries.
class Crowd {
public:
    explicit Crowd(int size) {
        for (int i = 0; i < size; ++i) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the benchmark
                while (true) ::pause();
            }
            if (pid < 0) break;
            pids_.push_back(pid);
        }
    }
    ~Crowd() {
        for (pid_t pid : pids_) ::kill(pid, SIGKILL);
        for (pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
    }
    std::size_t size() const { return pids_.size(); }

private:
    std::vector<pid_t> pids_;
};

// The floor: every process's short name, and nothing else.
long bareCommPass() {
    DIR* dir = ::opendir("/proc");
    const int dfd = ::dirfd(dir);
    std::array<char, 300> path{};
    std::array<char, 64> comm{};
    long matches = 0;
    while (const dirent* d = ::readdir(dir)) {
        if (d->d_name[0] < '0' || d->d_name[0] > '9') continue;
        std::snprintf(path.data(), path.size(), "%s/comm", d->d_name);
        const int fd = ::openat(dfd, path.data(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        const ssize_t n = ::read(fd, comm.data(), comm.size());
        ::close(fd);
        if (n > 0 && std::string_view(comm.data(), static_cast<std::size_t>(n - 1)) == kAbsentName) ++matches;
    }
    ::closedir(dir);
    return matches;
}

// pgrep -x NAME, started and waited for; its status 1 means "none found".
int pgrep() {
    const char* argv[] = {"pgrep", "-x", kAbsentName.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, "pgrep", &actions, nullptr, const_cast<char**>(argv), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double millis(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

// The middle half of the rounds, as "low..high".
std::string spread(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.4f..%.4f", values[values.size() / 4],
                  values[values.size() * 3 / 4]);
    return text.data();
}

// Polls for a name that runs, held against scanning, beside the floor.
bool liveRounds(int rounds) {
    const Awaited awaited;
    ::usleep(100'000);  // let it take its name
    platform::LinuxPlatform held;
    platform::posix::ProcessTable scanning("/proc", nullptr);
    bool wrong = held.CountProcesses(kLiveName).count != 1;  // the first poll finds and holds it
    scanning.count(kLiveName);
    std::vector<double> heldMs, scanMs, floorMs;
    for (int round = 0; round < rounds; ++round) {
        floorMs.push_back(millis([&] { bareCommPass(); }));
        heldMs.push_back(millis([&] { wrong |= held.CountProcesses(kLiveName).count != 1; }));
        scanMs.push_back(millis([&] { wrong |= scanning.count(kLiveName).count != 1; }));
    }
    if (wrong) {
        std::fprintf(stderr, "a poll did not find the one process of the name\n");
        return false;
    }
    const double floorMedian = median(floorMs);
    std::printf("\nwhile \"%s\" runs, one poll over %d rounds  %8s %8s  %s\n", kLiveName.c_str(), rounds,
                "ms", "x floor", "middle half, ms");
    std::printf("%-44s %8.4f %8.4f  %s\n", "held wait (what the program does)", median(heldMs),
                median(heldMs) / floorMedian, spread(heldMs).c_str());
    std::printf("%-44s %8.4f %8.4f  %s\n", "watch that scans every poll (before)", median(scanMs),
                median(scanMs) / floorMedian, spread(scanMs).c_str());
    std::printf("%-44s %8.4f %8.4f  %s\n", "floor: bare /proc pass, short names only", floorMedian, 1.0,
                spread(floorMs).c_str());
    std::printf("held wait, mean of all polls (a tenth re-read more): %.4f ms, %.4fx the floor's mean\n",
                mean(heldMs), mean(heldMs) / mean(floorMs));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 101;
    const int extra = argc > 2 ? std::atoi(argv[2]) : 1000;
    const Crowd crowd(extra);
    ::usleep(300'000);  // let every child reach its pause
    std::size_t tableSize = 0;
    if (DIR* dir = ::opendir("/proc")) {
        while (const dirent* d = ::readdir(dir)) tableSize += (d->d_name[0] >= '0' && d->d_name[0] <= '9');
        ::closedir(dir);
    }
    std::printf("process table: %zu processes (%zu started for the benchmark), %d rounds\n", tableSize,
                crowd.size(), rounds);

    platform::LinuxPlatform watch;
    bool wrong = false;
    watch.CountProcesses(kAbsentName);  // the watch's first poll learns the table
    std::vector<double> watchMs, floorMs, pgrepMs, oneOffMs;
    for (int round = 0; round < rounds; ++round) {
        floorMs.push_back(millis([&] { wrong |= bareCommPass() != 0; }));
        watchMs.push_back(millis([&] {
            const auto answer = watch.CountProcesses(kAbsentName);
            wrong |= !answer.ok || answer.count != 0;
        }));
        pgrepMs.push_back(millis([&] { wrong |= pgrep() != 1; }));
        oneOffMs.push_back(millis(
            [&] { wrong |= platform::posix::countMatchingProcesses("/proc", kAbsentName).count != 0; }));
    }
    if (wrong) {
        std::fprintf(stderr, "a pass gave a wrong answer (the name was found, or pgrep failed)\n");
        return 1;
    }
    const double watchMedian = median(watchMs), floorMedian = median(floorMs);
    std::printf("%-44s %8s %8s\n", "median of one poll", "ms", "x floor");
    std::printf("%-44s %8.2f %8.2f\n", "watch poll (what the program does)", watchMedian,
                watchMedian / floorMedian);
    std::printf("%-44s %8.2f %8.2f\n", "floor: bare /proc pass, short names only", floorMedian, 1.0);
    std::printf("%-44s %8.2f %8.2f\n", "pgrep -x for the same absent name", median(pgrepMs),
                median(pgrepMs) / floorMedian);
    std::printf("%-44s %8.2f %8.2f\n", "one-off query, nothing kept between polls", median(oneOffMs),
                median(oneOffMs) / floorMedian);
    std::printf("watch poll as a share of one core at one poll a second: %.2f%%\n", watchMedian / 10.0);
    return liveRounds(rounds) ? 0 : 1;
}
