// Cost of one process query on a busy table, against the least a query that
// applies the matching rule must do for a name that is not running: read the
// state and short name (stat), the exe link and the command line of every
// process once. The query itself reads the short name from the cheaper comm
// file and stat only for a process that matched, so it also gets compared
// with a bare pass over exactly its own reads (comm, exe, cmdline).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <climits>
#include <cstdio>
#include <vector>

#include "platform/linux/LinuxPlatform.h"

namespace {

constexpr int kExtraProcesses = 1000;
const std::string kAbsentName = "velmora-not-running";

// Children that wait for a signal, so the table holds ~1000 more entries.
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

template <std::size_t N>
ssize_t readInto(int dir, const char* path, std::array<char, N>& buffer) {
    const int fd = ::openat(dir, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const ssize_t n = ::read(fd, buffer.data(), N);
    ::close(fd);
    return n;
}

// The floor: the three reads per process and nothing else.
long bareScan(const char* nameFile) {
    DIR* dir = ::opendir("/proc");
    const int dfd = ::dirfd(dir);
    std::array<char, 300> path{};
    std::array<char, 1024> stat{};
    std::array<char, PATH_MAX> exe{};
    std::array<char, 8192> cmdline{};
    long bytes = 0;
    while (const dirent* d = ::readdir(dir)) {
        if (d->d_name[0] < '0' || d->d_name[0] > '9') continue;
        std::snprintf(path.data(), path.size(), "%s/%s", d->d_name, nameFile);
        bytes += readInto(dfd, path.data(), stat);
        std::snprintf(path.data(), path.size(), "%s/exe", d->d_name);
        bytes += ::readlinkat(dfd, path.data(), exe.data(), exe.size());
        std::snprintf(path.data(), path.size(), "%s/cmdline", d->d_name);
        bytes += readInto(dfd, path.data(), cmdline);
    }
    ::closedir(dir);
    return bytes;
}

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_BareProcScan(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(bareScan("stat"));
}

void BM_BareProcScanCommExeCmdline(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(bareScan("comm"));
}

// Each iteration also times one floor pass right beside the query, so the
// ratio compares the two under the same load.
void BM_CountProcessesAbsentName(benchmark::State& state) {
    platform::LinuxPlatform host;
    double queryTime = 0, floorTime = 0, ownReadsTime = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const auto answer = host.CountProcesses(kAbsentName);
        const auto t1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(answer);
        state.PauseTiming();
        const auto f0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bareScan("stat"));
        const auto f1 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bareScan("comm"));
        ownReadsTime += seconds(std::chrono::steady_clock::now() - f1);
        floorTime += seconds(f1 - f0);
        state.ResumeTiming();
        queryTime += seconds(t1 - t0);
        if (!answer.ok || answer.count != 0) state.SkipWithError("unexpected answer");
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["query_ms"] = queryTime * 1e3 / iterations;
    state.counters["ratio_to_floor"] = floorTime > 0 ? queryTime / floorTime : 0;
    state.counters["ratio_to_own_reads"] = ownReadsTime > 0 ? queryTime / ownReadsTime : 0;
}

}  // namespace

BENCHMARK(BM_BareProcScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareProcScanCommExeCmdline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountProcessesAbsentName)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const Crowd crowd(kExtraProcesses);
    std::fprintf(stderr, "started %zu extra processes\n", crowd.size());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
