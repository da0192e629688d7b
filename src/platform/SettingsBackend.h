#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Per-user persistent key/value store addressed by application, section and
// key. Values are text. Every read goes to the store and every write reaches
// it before the call returns.
class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;

    // The stored text, or nothing when the key (or its section) does not exist.
    virtual std::optional<std::string> read(const std::string& application, const std::string& section,
                                            const std::string& key) = 0;

    // Creates section and key as needed and replaces any previous value.
    virtual void write(const std::string& application, const std::string& section, const std::string& key,
                       const std::string& value) = 0;

    // Key and value pairs in the order they were saved.
    using Values = std::vector<std::pair<std::string, std::string>>;

    // Writes all the values as one change, leaving what writing them one by
    // one in this order would leave. A backend that can be interrupted holds
    // either all of them or none afterwards.
    virtual void writeAll(const std::string& application, const std::string& section, const Values& values) {
        for (const auto& [key, value] : values) write(application, section, key, value);
    }
};

}  // namespace platform
