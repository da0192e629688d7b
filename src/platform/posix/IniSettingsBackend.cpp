#include "platform/posix/IniSettingsBackend.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "platform/posix/SaveTarget.h"
#include "platform/posix/SettingsFiles.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
namespace files = settingsfiles;

constexpr const char* kPrefix = "VELMORA: ";

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

// Said alike by a read and a save, so it is said once.
std::string notASettingsFile(const fs::path& file, const std::string& reason) {
    return "settings file " + quoted(file) + ": " + reason +
           "; its settings start from their defaults and nothing is saved to it";
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
        locateProblem_ = "no settings folder, as neither XDG_CONFIG_HOME nor HOME names one";
        locateNote_ = "settings start from their defaults and are kept only until the program ends";
    } else {
        locateProblem_ = "settings of '" + application + "/" + section +
                         "' cannot be kept in a file, as that is not a usable file name";
        locateNote_ = "they start from their defaults and are kept only until the program ends";
    }
    locateProblem_ += "; ";
    locateProblem_ += locateNote_;
    warn(locateProblem_);
    return std::nullopt;
}

std::optional<std::string> IniSettingsBackend::read(const std::string& application,
                                                    const std::string& section, const std::string& key) {
    if (const auto pending = unsaved_.find({application, section}); pending != unsaved_.end()) {
        for (auto it = pending->second.rbegin(); it != pending->second.rend(); ++it)
            if (it->first == key) return it->second;
    }
    const auto file = locate(application, section);
    if (!file) return std::nullopt;
    // Unchanged since it was last parsed: no need to read it again.
    if (const auto known = parsed_.find(*file); known != parsed_.end()) {
        if (files::stampOf(*file) == known->second.stamp) return known->second.document.lookup(key);
        parsed_.erase(known);
    }
    auto loaded = files::load(*file);
    switch (loaded.state) {
        case files::Loaded::State::Missing:
            return std::nullopt;
        case files::Loaded::State::Unreadable:
            warn("cannot read settings file " + quoted(*file) + ": " + loaded.reason +
                 "; its settings start from their defaults");
            return std::nullopt;
        case files::Loaded::State::NotRegular:
            warn(notASettingsFile(*file, loaded.reason));
            return std::nullopt;
        case files::Loaded::State::Read:
            break;
    }
    if (!loaded.document.clean()) {
        warn("settings file " + quoted(*file) + " is damaged (" + loaded.document.problems().front() +
             "); what could be read is used, the rest starts from defaults");
    }
    auto value = loaded.document.lookup(key);
    if (loaded.stamp) parsed_[*file] = {*loaded.stamp, std::move(loaded.document)};
    return value;
}

void IniSettingsBackend::hold(const SectionId& id, const std::string& key, const std::string& value) {
    auto& held = unsaved_[id];
    // A key saved again keeps its first place, as in the file.
    for (auto& [heldKey, heldValue] : held) {
        if (heldKey == key) {
            heldValue = value;
            return;
        }
    }
    held.emplace_back(key, value);
    if (!ini::escapeKey(key))
        fail("settings key '" + key + "' is empty or not valid UTF-8 and cannot be saved" + keptEnd());
}

Result IniSettingsBackend::write(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& value) {
    return writeAll(application, section, {{key, value}});
}

Result IniSettingsBackend::writeAll(const std::string& application, const std::string& section,
                                    const Values& values) {
    writeProblem_.clear();
    writeNote_ = keptNote();
    const SectionId id{application, section};
    // Held here until they reach the file, so the session keeps seeing them.
    for (const auto& [key, value] : values) hold(id, key, value);
    const auto file = locate(application, section);
    if (!file) {
        writeProblem_ = locateProblem_;
        writeNote_ = locateNote_;
    }
    if (file && saveSection(id, *file)) {
        // Keys that cannot be written at all stay held for the session.
        std::erase_if(unsaved_[id], [](const auto& held) { return ini::escapeKey(held.first).has_value(); });
        if (unsaved_[id].empty()) unsaved_.erase(id);
    }
    if (writeProblem_.empty()) return Result::success();
    Result failed = Result::failure(writeProblem_);
    failed.note = writeNote_;
    return failed;
}

bool IniSettingsBackend::saveSection(const SectionId& id, const fs::path& settingsFile) {
    if (std::none_of(unsaved_[id].begin(), unsaved_[id].end(),
                     [](const auto& held) { return ini::escapeKey(held.first).has_value(); }))
        return false;
    if (auto problem = files::makeFolder(settingsFile.parent_path())) {
        return fail("cannot save settings to " + quoted(settingsFile) + ": " + *problem + keptEnd());
    }
    const auto target = files::saveTargetOf(settingsFile);
    if (target.notRegular) {
        warn(notASettingsFile(settingsFile, target.refusal));
        return false;
    }
    if (!target.refusal.empty()) {
        return fail("settings are not saved to " + quoted(settingsFile) + ", as " + target.refusal +
                    keptEnd());
    }
    const fs::path& file = target.file;
    const files::FolderLock lock(file.parent_path());
    if (files::readOnly(file)) {
        return fail("settings file " + quoted(file) + " is read-only, so it is left as it is" + keptEnd());
    }
    ini::Document document;
    // The version parsed last is still the one on disk: no need to read it.
    const auto known = parsed_.find(file);
    if (known != parsed_.end() && files::stampOf(file) == known->second.stamp &&
        known->second.document.clean()) {
        // Moved, not copied: a big file would be held twice. Read again should this save fail.
        document = std::move(known->second.document);
        parsed_.erase(known);
    } else {
        auto loaded = files::load(file);
        if (loaded.state == files::Loaded::State::NotRegular) {
            warn(notASettingsFile(settingsFile, loaded.reason));  // it took the file's place just now
            return false;
        }
        if (loaded.state == files::Loaded::State::Read && loaded.document.clean()) {
            document = std::move(loaded.document);
        } else if (loaded.state != files::Loaded::State::Missing) {
            // Never replace what could not be read before a copy of it is safe.
            if (!loaded.identity || !keptAside_.contains(*loaded.identity)) {
                auto kept = files::keepAside(file);
                if (const auto* problem = std::get_if<std::string>(&kept)) {
                    return fail("settings file " + quoted(file) +
                                " did not read cleanly and no copy of it could be kept (" + *problem +
                                "), so it is left as it is" + keptEnd());
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
    }
    for (const auto& [key, value] : unsaved_[id]) document.set(key, value);
    auto replaced = files::replace(file, document.text());
    if (const auto* problem = std::get_if<std::string>(&replaced)) {
        return fail("cannot save settings to " + quoted(file) + ": " + *problem + keptEnd());
    }
    parsed_[file] = {std::get<files::Stamp>(replaced), std::move(document)};
    return true;
}

// What becomes of refused values: a failure's reason ends with it, and gives
// it as its note (see SettingsBackend::write).
std::string IniSettingsBackend::keptNote() const {
    return ending_ ? "the changes are lost" : "the changes are kept until the program ends";
}

std::string IniSettingsBackend::keptEnd() const {
    return "; " + keptNote();
}

bool IniSettingsBackend::fail(const std::string& message) {
    warn(message);
    writeProblem_ = message;
    return false;
}

void IniSettingsBackend::warn(const std::string& message) {
    if (!said_.insert(message).second) return;
    warnings_.push_back(message);
    if (onWarning)
        onWarning(message);
    else
        std::cerr << kPrefix << message << std::endl;
}

}  // namespace platform
