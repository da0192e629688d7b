#include "TaskList.h"

#include "Files.h"
#include "TempFolder.h"

namespace testing_support {

namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& file) {
    return "\"" + file.string() + "\"";
}

}  // namespace

Tasks::Tasks(const fs::path& folder, const fs::path& marker)
    : MarkerLog(folder / "markers.log"),
      folder_(folder),
      tool_(folder / "velmora test" / ("marker tool" + marker.extension().string())) {
    fs::create_directories(tool_.parent_path());
    fs::copy_file(marker, tool_, fs::copy_options::overwrite_existing);
}

std::string Tasks::withBlanks(const std::string& name, const std::string& words) const {
#ifdef _WIN32
    const std::string tool = tool_.string();
#else
    const std::string tool = quoted(tool_);
#endif
    return tool + " " + quoted(file()) + " " + name + (words.empty() ? "" : " " + words);
}

std::string Tasks::script(const std::string& name) const {
#ifdef _WIN32
    const fs::path script = folder_ / (name + ".bat");
    writeFile(script, "@" + quoted(tool_) + " " + quoted(file()) + " %1 from-script\r\n");
#else
    const fs::path script = folder_ / (name + ".sh");
    writeFile(script, "#!/bin/sh\nexec " + quoted(tool_) + " " + quoted(file()) + " \"$1\" from-script\n");
    fs::permissions(script, kExecutable);
#endif
    return script.string() + " " + name;
}

std::string Tasks::staying(const std::string& exe, const std::string& name, int ms) const {
    const fs::path copy = folder_ / exe;
    fs::copy_file(tool_, copy, fs::copy_options::overwrite_existing);
    return copy.string() + " " + quoted(file()) + " " + name + " --stay " + std::to_string(ms);
}

std::string Tasks::missing() const {
#ifdef _WIN32
    // Unquoted with blanks: every run of words the system tries is missing too.
    return (folder_ / "no such program.exe").string() + " --flag";
#else
    return (folder_ / "no-such-program").string() + " --flag";
#endif
}

std::vector<std::string> shutdownKeys() {
    std::vector<std::string> keys = {"MAIN-Left",         "MAIN-Top",          "AlwaysOnTopTimer_TICKBOX",
                                     "AUTOSTART_TICKBOX", "AUTOCLOSE_TICKBOX", "RIVA_AUTOSTART_TICKBOX"};
    for (int n = 1; n <= 20; ++n) keys.push_back("TASK_" + std::to_string(n) + "_ENABLE_TICKBOX");
    for (int n = 1; n <= 20; ++n) keys.push_back("TASK_" + std::to_string(n) + "_PAUSE_TICKBOX");
    keys.push_back("LAST_RUN");
    return keys;
}

Settings taskList(const std::vector<std::pair<int, Slot>>& slots) {
    Settings s;
    const auto store = [&](int n, const Slot& task) {
        const std::string slot = "TASK_" + std::to_string(n);
        s[slot + "_ENABLE_TICKBOX"] = task.enabled ? "1" : "0";
        s[slot + "_PAUSE_TICKBOX"] = task.waitFor.empty() ? "0" : "1";
        s[slot + "_CMD"] = task.command;
        s[slot + "_PROCESS_NAME_TEXTBOX"] = task.waitFor;
    };
    for (int n = 1; n <= 20; ++n) store(n, Slot("", "", false));
    for (const auto& [n, task] : slots) store(n, task);
    return s;
}

}  // namespace testing_support
