#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/SettingsBackend.h"

namespace settings {

inline constexpr const char* kApplication = "VELMORA";

// The running program's own file name without folder; a trailing ".exe" is
// dropped, any other dot stays ("velmora-1.2" is a name of its own). A
// symbolic link counts under its own name, so pass what the program was
// started as (argv[0]), not the resolved file.
std::string ExecutableName(std::string_view invokedAs);

class WriteGroup;

// GetSetting / SaveSetting over a backend, plus the thin key/default pair that
// every window uses with application "VELMORA" and the executable's section.
// While a WriteGroup over the store lives, saves are held and reach the
// backend together when the group ends (see WriteGroup.h).
class Store {
public:
    Store(platform::SettingsBackend& backend, std::string section);

    const std::string& section() const { return section_; }

    // The stored text, or the default when the key or section is absent. An
    // existing key holding "" yields "". A numeric default yields its decimal text.
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue);
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           long long defaultValue);
    // A value the backend holds but cannot show reads as the default; saving
    // that default back leaves the value as it is.
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value);

    // Application "VELMORA", section = the executable name.
    std::string get(const std::string& key, const std::string& defaultValue);
    std::string get(const std::string& key, long long defaultValue);
    void save(const std::string& key, const std::string& value);

    // With the key table's default.
    std::string get(const std::string& key);

    // Typed reads and writes in the stored forms. A value that does not parse
    // (or a tick outside 0..2) yields the default, the key table's if none is given.
    float getGeometry(const std::string& key);
    float getGeometry(const std::string& key, float defaultValue);
    void saveGeometry(const std::string& key, float twips);
    std::int16_t getTick(const std::string& key);
    std::int16_t getTick(const std::string& key, std::int16_t defaultValue);
    void saveTick(const std::string& key, std::int16_t value);

    // The shut-down's writes follow (see SettingsBackend::sessionEnding).
    void sessionEnding() { backend_.sessionEnding(); }

    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

private:
    friend class WriteGroup;
    void beginGroup();
    platform::Result endGroup();

    struct Held {
        std::string application, section, key, value;
    };

    using Address = std::tuple<std::string, std::string, std::string>;  // application, section, key

    platform::SettingsBackend& backend_;
    std::string section_;
    // Values the backend holds but cannot show, with the default read in their
    // place: a save of that default would destroy them, so it leaves them be.
    std::map<Address, std::string> unshown_;
    int groupDepth_ = 0;
    std::vector<Held> held_;  // saves of the open group, in order
};

}  // namespace settings
