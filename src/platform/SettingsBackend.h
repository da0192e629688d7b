#pragma once

#include <optional>
#include <string>

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
};

}  // namespace platform
