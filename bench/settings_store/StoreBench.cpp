// Cost of the main window's start-up (reading its keys) and shut-down
// (writing its 47 values) over the real settings file, against the per-key
// store the program had before (every read parsed the file again, every
// write locked, read, replaced and synced it), in the same run: with a
// normal file and with one holding a 10 MB value. Medians in milliseconds.
//
//   bench_settings_store [ROUNDS_NORMAL] [ROUNDS_BIG]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "form/VirtualTime.h"
#include "model/main/MainForm.h"
#include "platform/fake/FakePlatform.h"
#include "platform/posix/IniSettingsBackend.h"
#include "platform/posix/SettingsFiles.h"
#include "settings/Keys.h"
#include "settings/Store.h"

namespace {

namespace fs = std::filesystem;
namespace files = platform::settingsfiles;

// The store as it was: no parse kept, one replace per value.
class PerKeyBackend final : public platform::SettingsBackend {
public:
    explicit PerKeyBackend(fs::path root) : root_(std::move(root)) {}
    std::optional<std::string> read(const std::string& app, const std::string& section,
                                    const std::string& key) override {
        auto loaded = files::load(file(app, section));
        if (loaded.state != files::Loaded::State::Read) return std::nullopt;
        return loaded.document.lookup(key);
    }
    platform::Result write(const std::string& app, const std::string& section, const std::string& key,
                           const std::string& value) override {
        const fs::path path = file(app, section);
        files::makeFolder(path.parent_path());
        const files::FolderLock lock(path.parent_path());
        auto loaded = files::load(path);
        loaded.document.set(key, value);
        files::replace(path, loaded.document.text());
        return platform::Result::success();
    }

private:
    fs::path file(const std::string& app, const std::string& section) const {
        return root_ / app / (section + ".conf");
    }
    fs::path root_;
};

std::string normalFile() {
    std::string text = "[General]\nMAIN-Left=1815\nMAIN-Top=750\nLAST_RUN=COMPLETED SUCCESSFULLY\n";
    for (int n = 1; n <= settings::keys::kSlots; ++n) {
        text += settings::keys::taskEnable(n) + "=1\n" + settings::keys::taskPause(n) + "=0\n";
        text += settings::keys::taskCaption(n) + "=Backup step " + std::to_string(n) + "\n";
        text += settings::keys::taskCommand(n) + "=/usr/local/bin/step" + std::to_string(n) + " --quiet\n";
        text += settings::keys::taskProcessName(n) + "=step" + std::to_string(n) + "\n";
    }
    return text;
}

void writeFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

using Clock = std::chrono::steady_clock;
double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    std::vector<double> startUp, shutDown;
};

// One start-up and one shut-down of the main window over `backend`.
void measure(platform::SettingsBackend& backend, Figures& into) {
    form::VirtualTime vt;
    platform::FakePlatform platform(vt.clock);
    settings::Store store(backend, "velmora");
    model::MainForm form(vt.scheduler, store, "velmora", platform);
    auto start = Clock::now();
    form.Form_Load();
    into.startUp.push_back(millisSince(start));
    form.left += 15;  // moved, as a user would
    start = Clock::now();
    form.Form_Unload();
    into.shutDown.push_back(millisSince(start));
}

void run(const char* label, const std::string& content, int rounds) {
    std::string pattern = (fs::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    const fs::path root = pattern;
    const fs::path file = root / "VELMORA" / "velmora.conf";

    Figures grouped, perKey;
    for (int round = 0; round < rounds; ++round) {
        writeFile(file, content);
        platform::IniSettingsBackend now(root);
        measure(now, grouped);
        writeFile(file, content);
        PerKeyBackend before(root);
        measure(before, perKey);
    }
    fs::remove_all(root);

    const double su = median(grouped.startUp), sd = median(grouped.shutDown);
    const double suOld = median(perKey.startUp), sdOld = median(perKey.shutDown);
    std::printf("%s (%zu bytes, %d rounds)\n", label, content.size(), rounds);
    std::printf("  %-10s %12s %12s %10s\n", "", "one read/", "per key", "per key /");
    std::printf("  %-10s %12s %12s %10s\n", "", "one write ms", "ms", "grouped");
    std::printf("  %-10s %12.2f %12.2f %9.1fx\n", "start-up", su, suOld, suOld / su);
    std::printf("  %-10s %12.2f %12.2f %9.1fx\n", "shut-down", sd, sdOld, sdOld / sd);
}

}  // namespace

int main(int argc, char** argv) {
    const int normalRounds = argc > 1 ? std::atoi(argv[1]) : 21;
    const int bigRounds = argc > 2 ? std::atoi(argv[2]) : 5;
    run("normal section file", normalFile(), normalRounds);
    std::string big = normalFile();
    const std::string last = settings::keys::taskCommand(20) + "=";
    const auto at = big.find(last) + last.size();
    big.replace(at, big.find('\n', at) - at, std::string(10 * 1024 * 1024, 'v'));
    run("section file with a 10 MB value (slot 20's command)", big, bigRounds);
    return 0;
}
