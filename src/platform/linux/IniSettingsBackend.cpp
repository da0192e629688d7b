#include "platform/linux/IniSettingsBackend.h"

#include <cstdlib>
#include <iostream>

#include "platform/linux/SettingsFiles.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
namespace files = settingsfiles;

constexpr const char* kPrefix = "VELMORA: ";
constexpr const char* kKept = "; the changes are kept until the program ends";

// Application and section become a folder and a file name: one plain name each.
bool usableName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

std::string quoted(const fs::path& path) {
    // Not "'" + path.string(): GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

std::optional<fs::path> absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    fs::path path(value);
    // A relative path would depend on the working folder; such values are ignored.
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

}  // namespace

IniSettingsBackend::IniSettingsBackend(std::optional<fs::path> configRoot)
    : root_(configRoot ? std::move(configRoot) : configRootFromEnvironment()) {}

std::optional<fs::path> IniSettingsBackend::configRootFromEnvironment() {
    if (auto xdg = absoluteFromEnvironment("XDG_CONFIG_HOME")) return xdg;
    if (auto home = absoluteFromEnvironment("HOME")) return *home / ".config";
    return std::nullopt;
}

std::optional<fs::path> IniSettingsBackend::filePath(const std::string& application,
                                                     const std::string& section) const {
    if (!root_ || !usableName(application) || !usableName(section)) return std::nullopt;
    return *root_ / application / (section + ".conf");
}

std::optional<fs::path> IniSettingsBackend::locate(const std::string& application,
                                                   const std::string& section) {
    auto file = filePath(application, section);
    if (file) return file;
    if (!root_) {
        warn(
            "no settings folder, as neither XDG_CONFIG_HOME nor HOME names one; "
            "settings start from their defaults and are kept only until the program ends");
    } else {
        warn("settings of '" + application + "/" + section +
             "' cannot be kept in a file, as that is not a usable file name; "
             "they start from their defaults and are kept only until the program ends");
    }
    return std::nullopt;
}

std::optional<std::string> IniSettingsBackend::read(const std::string& application,
                                                    const std::string& section, const std::string& key) {
    if (const auto pending = unsaved_.find({application, section}); pending != unsaved_.end()) {
        if (const auto value = pending->second.find(key); value != pending->second.end())
            return value->second;
    }
    const auto file = locate(application, section);
    if (!file) return std::nullopt;
    auto loaded = files::load(*file);
    switch (loaded.state) {
        case files::Loaded::State::Missing:
            return std::nullopt;
        case files::Loaded::State::Unreadable:
            warn("cannot read settings file " + quoted(*file) + ": " + loaded.reason +
                 "; its settings start from their defaults");
            return std::nullopt;
        case files::Loaded::State::Read:
            break;
    }
    if (!loaded.document.clean()) {
        warn("settings file " + quoted(*file) + " is damaged (" + loaded.document.problems().front() +
             "); what could be read is used, the rest starts from defaults");
    }
    return loaded.document.lookup(key);
}

void IniSettingsBackend::write(const std::string& application, const std::string& section,
                               const std::string& key, const std::string& value) {
    const SectionId id{application, section};
    // Held here until it reaches the file, so the session keeps seeing it.
    unsaved_[id][key] = value;
    if (!ini::escapeKey(key)) {
        warn("settings key '" + key + "' is not valid UTF-8 and cannot be saved" + kKept);
        return;
    }
    const auto file = locate(application, section);
    if (file && saveSection(id, files::resolve(*file))) unsaved_.erase(id);
}

bool IniSettingsBackend::saveSection(const SectionId& id, const fs::path& file) {
    if (auto problem = files::makeFolder(file.parent_path())) {
        warn("cannot save settings to " + quoted(file) + ": " + *problem + kKept);
        return false;
    }
    const files::FolderLock lock(file.parent_path());
    auto loaded = files::load(file);
    ini::Document document;
    if (loaded.state == files::Loaded::State::Read && loaded.document.clean()) {
        document = std::move(loaded.document);
    } else if (loaded.state != files::Loaded::State::Missing) {
        // Never replace what could not be read before a copy of it is safe.
        if (!loaded.identity || !keptAside_.contains(*loaded.identity)) {
            auto kept = files::keepAside(file);
            if (const auto* problem = std::get_if<std::string>(&kept)) {
                warn("settings file " + quoted(file) +
                     " did not read cleanly and no copy of it could be kept (" + *problem +
                     "), so it is left as it is" + kKept);
                return false;
            }
            warn("settings file " + quoted(file) + " did not read cleanly; it is kept as " +
                 quoted(std::get<fs::path>(kept)) + " and a new one is written in its place");
            if (loaded.identity) keptAside_.insert(*loaded.identity);
        }
        if (loaded.state == files::Loaded::State::Read) {
            document = std::move(loaded.document);  // keep what did read well
            document.dropMalformed();
        }
    }
    for (const auto& [key, value] : unsaved_[id]) document.set(key, value);
    if (auto problem = files::replace(file, document.text())) {
        warn("cannot save settings to " + quoted(file) + ": " + *problem + kKept);
        return false;
    }
    return true;
}

void IniSettingsBackend::warn(const std::string& message) {
    if (!said_.insert(message).second) return;
    warnings_.push_back(message);
    std::cerr << kPrefix << message << std::endl;
}

}  // namespace platform
