#include "app/PassLog.h"

namespace app {

std::string passLogLine(const std::string& name, std::time_t when, const std::string& line) {
    char stamp[16] = "??:??:??";
    if (const std::tm* local = std::localtime(&when)) std::strftime(stamp, sizeof stamp, "%H:%M:%S", local);
    if (line.size() <= kLongestTraceLine) return name + ": " + stamp + " " + line + "\n";
    // A command can be as long as a settings value; the trace shows its start.
    std::size_t cut = kLongestTraceLine;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;  // whole characters
    return name + ": " + stamp + " " + line.substr(0, cut) + "... (" + std::to_string(line.size()) +
           " bytes in all)\n";
}

engine::PassLog passLogTo(std::function<void(const std::string& text)> write, std::string name) {
    return [write = std::move(write), name = std::move(name)](const std::string& line) {
        write(passLogLine(name, std::time(nullptr), line));
    };
}

}  // namespace app
