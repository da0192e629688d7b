#include "platform/fake/MemorySettingsBackend.h"

namespace platform {

std::optional<std::string> MemorySettingsBackend::read(const std::string& application,
                                                       const std::string& section, const std::string& key) {
    reads.push_back({section, key});
    return value(section, key, application);
}

Result MemorySettingsBackend::write(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& value) {
    return writeAll(application, section, {{key, value}});
}

Result MemorySettingsBackend::writeAll(const std::string& application, const std::string& section,
                                       const Values& values) {
    if (refusal) return Result::failure(*refusal);
    ++replaces;
    for (const auto& [key, value] : values) {
        writes.push_back({section, key, value});
        values_[{application, section, key}] = value;
    }
    return Result::success();
}

void MemorySettingsBackend::seed(const std::string& section, const std::string& key, const std::string& value,
                                 const std::string& application) {
    values_[{application, section, key}] = value;
}

std::optional<std::string> MemorySettingsBackend::value(const std::string& section, const std::string& key,
                                                        const std::string& application) const {
    const auto found = values_.find({application, section, key});
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

std::size_t MemorySettingsBackend::keyCount(const std::string& section,
                                            const std::string& application) const {
    std::size_t count = 0;
    for (const auto& [address, stored] : values_)
        if (std::get<0>(address) == application && std::get<1>(address) == section) ++count;
    return count;
}

}  // namespace platform
