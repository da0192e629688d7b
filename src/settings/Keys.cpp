#include "settings/Keys.h"

#include <stdexcept>
#include <unordered_map>

namespace settings::keys {
namespace {

std::string slotKey(int n, const char* suffix) {
    return "TASK_" + std::to_string(n) + "_" + suffix;
}

struct WindowDefaults {
    const char* shortName;
    int width;
    int height;
};

// The secondary windows all open at 1000, 1000 twips with their own size.
constexpr WindowDefaults kWindows[] = {
    {"SETTINGS", 17400, 6180},
    {"SINGLE_SETTINGS", 11760, 4725},
    {"ABOUT", 9960, 4125},
    {"DONATIONS_WINDOW", 8880, 6330},
};

std::vector<KeyInfo> buildTable() {
    std::vector<KeyInfo> table{
        {MainLeft, Form::Geometry, "1000"},   {MainTop, Form::Geometry, "1000"},
        {MainWidth, Form::Geometry, "5865"},  {MainHeight, Form::Geometry, "8550"},
        {LastRun, Form::StatusText, ""},      {AutostartTick, Form::Tick, "0"},
        {AlwaysOnTopTick, Form::Tick, "1"},   {AutocloseTick, Form::Tick, "0"},
        {RivaAutostartTick, Form::Tick, "0"},
    };
    for (int n = 1; n <= kSlots; ++n) {
        table.push_back({taskEnable(n), Form::Tick, "0"});
        table.push_back({taskPause(n), Form::Tick, "0"});
        table.push_back({taskCaption(n), Form::FreeText, "TASK " + std::to_string(n)});
        table.push_back({taskCommand(n), Form::FreeText, ""});
        table.push_back({taskProcessName(n), Form::FreeText, ""});
    }
    for (const auto& window : kWindows) {
        const WindowKeys k = windowKeys(window.shortName);
        table.push_back({k.left, Form::Geometry, "1000"});
        table.push_back({k.top, Form::Geometry, "1000"});
        table.push_back({k.width, Form::Geometry, std::to_string(window.width)});
        table.push_back({k.height, Form::Geometry, std::to_string(window.height)});
    }
    return table;
}

}  // namespace

std::string taskEnable(int n) {
    return slotKey(n, "ENABLE_TICKBOX");
}
std::string taskPause(int n) {
    return slotKey(n, "PAUSE_TICKBOX");
}
std::string taskCaption(int n) {
    return slotKey(n, "TICKBOX_CAPTION");
}
std::string taskCommand(int n) {
    return slotKey(n, "CMD");
}
std::string taskProcessName(int n) {
    return slotKey(n, "PROCESS_NAME_TEXTBOX");
}

WindowKeys windowKeys(const std::string& shortName) {
    return {shortName + "-Left", shortName + "-Top", shortName + "-Width", shortName + "-Height"};
}

const std::vector<KeyInfo>& all() {
    static const std::vector<KeyInfo> table = buildTable();
    return table;
}

const KeyInfo& info(const std::string& key) {
    static const std::unordered_map<std::string, const KeyInfo*> byKey = [] {
        std::unordered_map<std::string, const KeyInfo*> index;
        for (const KeyInfo& k : all()) index.emplace(k.key, &k);
        return index;
    }();
    const auto found = byKey.find(key);
    if (found == byKey.end()) throw std::out_of_range("no such settings key: " + key);
    return *found->second;
}

}  // namespace settings::keys
