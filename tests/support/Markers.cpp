#include "Markers.h"

#include <chrono>
#include <sstream>

#include "Files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

std::filesystem::path testProgramFolder() {
#ifdef _WIN32
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return std::filesystem::path(self).parent_path();
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
#endif
}

std::int64_t epochMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::vector<Marker> MarkerLog::markers() const {
    std::vector<Marker> found;
    std::string text = readFile(file_);
    // A line still being written is not a marker yet.
    text.erase(text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        Marker m;
        std::string ms;
        std::getline(fields, m.name, '\t');
        std::getline(fields, ms, '\t');
        std::getline(fields, m.words, '\t');
        std::getline(fields, m.path, '\t');
        std::getline(fields, m.folder, '\t');
        std::getline(fields, m.exe, '\t');
        m.ms = ms.empty() ? 0 : std::stoll(ms);
        found.push_back(m);
    }
    return found;
}

std::string MarkerLog::names() const {
    std::string out;
    for (const auto& m : markers()) out += (out.empty() ? "" : " ") + m.name;
    return out;
}

std::optional<Marker> MarkerLog::find(const std::string& name) const {
    for (const auto& m : markers())
        if (m.name == name) return m;
    return std::nullopt;
}

std::int64_t MarkerLog::at(const std::string& name) const {
    const auto m = find(name);
    return m ? m->ms : -1;
}

}  // namespace testing_support
