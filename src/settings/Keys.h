#pragma once

#include <string>
#include <vector>

namespace settings::keys {

// The task slots, numbered 1..kSlots.
inline constexpr int kSlots = 20;

inline constexpr const char* MainLeft = "MAIN-Left";
inline constexpr const char* MainTop = "MAIN-Top";
inline constexpr const char* MainWidth = "MAIN-Width";
inline constexpr const char* MainHeight = "MAIN-Height";
inline constexpr const char* LastRun = "LAST_RUN";
inline constexpr const char* AutostartTick = "AUTOSTART_TICKBOX";
inline constexpr const char* AlwaysOnTopTick = "AlwaysOnTopTimer_TICKBOX";
inline constexpr const char* AutocloseTick = "AUTOCLOSE_TICKBOX";
inline constexpr const char* RivaAutostartTick = "RIVA_AUTOSTART_TICKBOX";

// Per-slot keys, n = 1..20 in plain decimal.
std::string taskEnable(int n);       // TASK_n_ENABLE_TICKBOX
std::string taskPause(int n);        // TASK_n_PAUSE_TICKBOX
std::string taskCaption(int n);      // TASK_n_TICKBOX_CAPTION
std::string taskCommand(int n);      // TASK_n_CMD
std::string taskProcessName(int n);  // TASK_n_PROCESS_NAME_TEXTBOX

// Geometry keys of a window: "<short name>-Left" and so on.
struct WindowKeys {
    std::string left, top, width, height;
};
WindowKeys windowKeys(const std::string& shortName);

enum class Form { Geometry, Tick, FreeText, StatusText };

struct KeyInfo {
    std::string key;
    Form form;
    std::string defaultText;
};

// Every key the program reads or writes, with its default: the one place
// where defaults are written.
const std::vector<KeyInfo>& all();
// The entry of `key`; a key missing from the table is a mistake in the
// program and throws std::out_of_range.
const KeyInfo& info(const std::string& key);

}  // namespace settings::keys
