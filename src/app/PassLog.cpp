#include "app/PassLog.h"

namespace app {

std::string passLogLine(const std::string& name, std::time_t when, const std::string& line) {
    char stamp[16] = "??:??:??";
    if (const std::tm* local = std::localtime(&when)) std::strftime(stamp, sizeof stamp, "%H:%M:%S", local);
    return name + ": " + stamp + " " + line + "\n";
}

engine::PassLog passLogTo(std::function<void(const std::string& text)> write, std::string name) {
    return [write = std::move(write), name = std::move(name)](const std::string& line) {
        write(passLogLine(name, std::time(nullptr), line));
    };
}

}  // namespace app
