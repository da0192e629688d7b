#include "settings/Store.h"

#include <utility>

#include "settings/Keys.h"
#include "settings/Values.h"

namespace settings {

std::string ExecutableName(std::string_view invokedAs) {
#ifdef _WIN32
    const auto slash = invokedAs.find_last_of("\\/");  // Windows takes either
#else
    const auto slash = invokedAs.find_last_of('/');
#endif
    std::string_view name = slash == std::string_view::npos ? invokedAs : invokedAs.substr(slash + 1);
    // Only ".exe" is an extension here: "velmora-1.2" names a copy of its own.
    constexpr std::string_view exe = ".exe";
    if (name.size() > exe.size()) {
        const auto tail = name.substr(name.size() - exe.size());
        bool isExe = true;
        for (std::size_t i = 0; i < exe.size(); ++i) {
            const char c = tail[i];
            const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            isExe = isExe && lower == exe[i];
        }
        if (isExe) name.remove_suffix(exe.size());
    }
    // A section needs a name even when the program was started oddly.
    if (name.empty() || name == "." || name == "..") return "velmora";
    return std::string(name);
}

Store::Store(platform::SettingsBackend& backend, std::string section)
    : backend_(backend), section_(std::move(section)) {}

std::string Store::GetSetting(const std::string& application, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    // A value saved in the open group is the newest one.
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
        if (it->key == key && it->section == section && it->application == application) return it->value;
    }
    auto stored = backend_.read(application, section, key);
    const bool noText = !stored && backend_.holdsNoText(application, section, key);
    if (noText)
        unshown_.insert_or_assign({application, section, key}, defaultValue);
    else if (!unshown_.empty())
        unshown_.erase({application, section, key});
    return stored ? std::move(*stored) : defaultValue;
}

std::string Store::GetSetting(const std::string& application, const std::string& section,
                              const std::string& key, long long defaultValue) {
    return GetSetting(application, section, key, std::to_string(defaultValue));
}

void Store::SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                        const std::string& value) {
    if (!unshown_.empty()) {
        if (const auto unshown = unshown_.find({application, section, key}); unshown != unshown_.end()) {
            if (unshown->second == value) return;  // what was shown in its place: nobody changed it
            unshown_.erase(unshown);
        }
    }
    if (groupDepth_ > 0) {
        held_.push_back({application, section, key, value});
        return;
    }
    // A lone save's failure is said by the backend; a window that must tell
    // the user saves in a WriteGroup and asks it.
    backend_.write(application, section, key, value);
}

void Store::beginGroup() {
    ++groupDepth_;
}

platform::Result Store::endGroup() {
    if (--groupDepth_ > 0) return platform::Result::success();
    platform::Result outcome;
    std::vector<Held> held = std::move(held_);
    held_.clear();
    // One change per section, each keeping the order of its saves.
    std::vector<bool> done(held.size(), false);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (done[i]) continue;
        platform::SettingsBackend::Values values;
        for (std::size_t j = i; j < held.size(); ++j) {
            if (done[j] || held[j].application != held[i].application || held[j].section != held[i].section)
                continue;
            done[j] = true;
            values.emplace_back(std::move(held[j].key), std::move(held[j].value));
        }
        platform::Result written = backend_.writeAll(held[i].application, held[i].section, values);
        if (!written.ok && outcome.ok) outcome = std::move(written);
    }
    return outcome;
}

std::string Store::get(const std::string& key, const std::string& defaultValue) {
    return GetSetting(kApplication, section_, key, defaultValue);
}

std::string Store::get(const std::string& key, long long defaultValue) {
    return GetSetting(kApplication, section_, key, defaultValue);
}

std::string Store::get(const std::string& key) {
    return get(key, keys::info(key).defaultText);
}

void Store::save(const std::string& key, const std::string& value) {
    SaveSetting(kApplication, section_, key, value);
}

float Store::getGeometry(const std::string& key) {
    return getGeometry(key, parseGeometry(keys::info(key).defaultText).value_or(0));
}

float Store::getGeometry(const std::string& key, float defaultValue) {
    return parseGeometry(get(key, formatGeometry(defaultValue))).value_or(defaultValue);
}

void Store::saveGeometry(const std::string& key, float twips) {
    save(key, formatGeometry(twips));
}

std::int16_t Store::getTick(const std::string& key) {
    return getTick(key, parseTick(keys::info(key).defaultText).value_or(0));
}

std::int16_t Store::getTick(const std::string& key, std::int16_t defaultValue) {
    return parseTick(get(key, static_cast<long long>(defaultValue))).value_or(defaultValue);
}

void Store::saveTick(const std::string& key, std::int16_t value) {
    save(key, formatTick(value));
}

}  // namespace settings
