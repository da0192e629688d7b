#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

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

    // Whether the key holds a value read() gives no text for (a kind of
    // value another program stored), as its last read found it. A save that
    // only puts back the default shown in its place leaves it alone (see
    // settings::Store).
    virtual bool holdsNoText(const std::string& /*application*/, const std::string& /*section*/,
                             const std::string& /*key*/) {
        return false;
    }

    // Creates section and key as needed and replaces any previous value. A
    // failure says why in the system's words; a backend that holds the value
    // for the rest of the session ends `error` with words that say so and
    // gives those words as `note` too, as they no longer hold at its end.
    virtual Result write(const std::string& application, const std::string& section, const std::string& key,
                         const std::string& value) = 0;

    // The writes from here on are the session's last (its shut-down): a
    // backend that held refused values for the session says instead that
    // they are lost.
    virtual void sessionEnding() {}

    // Key and value pairs in the order they were saved.
    using Values = std::vector<std::pair<std::string, std::string>>;

    // Writes all the values as one change, leaving what writing them one by
    // one in this order would leave. A backend that can be interrupted holds
    // either all of them or none afterwards. A failure names the first problem.
    virtual Result writeAll(const std::string& application, const std::string& section,
                            const Values& values) {
        Result outcome;
        for (const auto& [key, value] : values) {
            Result one = write(application, section, key, value);
            if (!one.ok && outcome.ok) outcome = std::move(one);
        }
        return outcome;
    }
};

}  // namespace platform
