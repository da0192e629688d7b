#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/SettingsBackend.h"

namespace platform {

// Settings held in memory, for tests. Every write is also recorded in order,
// so a test can check exactly what a shut-down wrote, and reads are counted;
// `replaces` counts the changes (one per write, one per writeAll).
class MemorySettingsBackend : public SettingsBackend {
public:
    struct Write {
        std::string section, key, value;
        bool operator==(const Write&) const = default;
    };
    struct Read {
        std::string section, key;
        bool operator==(const Read&) const = default;
    };

    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    Result write(const std::string& application, const std::string& section, const std::string& key,
                 const std::string& value) override;
    Result writeAll(const std::string& application, const std::string& section,
                    const Values& values) override;

    // Puts a value in place without recording it as a write.
    void seed(const std::string& section, const std::string& key, const std::string& value,
              const std::string& application = "VELMORA");
    // The current value, without recording a read.
    std::optional<std::string> value(const std::string& section, const std::string& key,
                                     const std::string& application = "VELMORA") const;
    // How many keys the section holds.
    std::size_t keyCount(const std::string& section, const std::string& application = "VELMORA") const;

    // While set, every write fails with this reason and changes nothing.
    std::optional<std::string> refusal;

    std::vector<Write> writes;
    std::vector<Read> reads;
    int replaces = 0;

private:
    using Address = std::tuple<std::string, std::string, std::string>;
    std::map<Address, std::string> values_;
};

}  // namespace platform
