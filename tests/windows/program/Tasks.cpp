#include "Tasks.h"

#include <gtest/gtest.h>

#include <sstream>

namespace drive {

namespace {

fs::path markerTool() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / L"marker_tool.exe";
}

}  // namespace

Tasks::Tasks(const fs::path& folder) : folder_(folder), tool_(folder / "velmora test" / "marker tool.exe") {
    fs::create_directories(tool_.parent_path());
    fs::copy_file(markerTool(), tool_, fs::copy_options::overwrite_existing);
    log_ = folder / "markers.log";
}

std::string Tasks::withBlanks(const std::string& name, const std::string& words) const {
    return tool_.string() + " " + log_.string() + " " + name + (words.empty() ? "" : " " + words);
}

std::string Tasks::batch(const std::string& name) const {
    const fs::path file = folder_ / (name + ".bat");
    writeFile(file, "@\"" + tool_.string() + "\" \"" + log_.string() + "\" " + name + " %1\r\n");
    return file.string() + " from-batch";
}

std::string Tasks::staying(const std::string& exe, const std::string& name, int ms) const {
    const fs::path copy = folder_ / exe;
    fs::copy_file(tool_, copy, fs::copy_options::overwrite_existing);
    return copy.string() + " " + log_.string() + " " + name + " --stay " + std::to_string(ms);
}

std::string Tasks::missing() const {
    return (folder_ / "no such program.exe").string() + " --flag";
}

std::vector<Marker> Tasks::markers() const {
    std::vector<Marker> found;
    std::istringstream in(readFile(log_));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        Marker m;
        words >> m.name >> m.ms;
        std::getline(words, m.words);
        if (!m.words.empty() && m.words.front() == ' ') m.words.erase(0, 1);
        found.push_back(m);
    }
    return found;
}

std::string Tasks::names() const {
    std::string out;
    for (const auto& m : markers()) out += (out.empty() ? "" : " ") + m.name;
    return out;
}

std::int64_t Tasks::at(const std::string& name) const {
    for (const auto& m : markers())
        if (m.name == name) return m.ms;
    ADD_FAILURE() << name << " is not in the marker log: " << names();
    return 0;
}

Settings taskList(const std::vector<std::pair<int, Slot>>& slots) {
    Settings s;
    for (int n = 1; n <= 20; ++n) {
        const std::string slot = "TASK_" + std::to_string(n);
        s[slot + "_ENABLE_TICKBOX"] = "0";
        s[slot + "_PAUSE_TICKBOX"] = "0";
    }
    for (const auto& [n, task] : slots) {
        const std::string slot = "TASK_" + std::to_string(n);
        s[slot + "_ENABLE_TICKBOX"] = task.enabled ? "1" : "0";
        s[slot + "_PAUSE_TICKBOX"] = task.waitFor.empty() ? "0" : "1";
        s[slot + "_CMD"] = task.command;
        s[slot + "_PROCESS_NAME_TEXTBOX"] = task.waitFor;
    }
    return s;
}

}  // namespace drive
