#include "platform/windows/RegistrySettingsBackend.h"

#include <algorithm>
#include <cstdio>

#include "platform/windows/WideText.h"
#include "platform/windows/Win32.h"

namespace platform {

using windows_backend::systemMessage;
using windows_backend::UniqueKey;

std::string RegistrySettingsBackend::sectionPath(const std::string& application, const std::string& section) {
    return "Software\\VB and VBA Program Settings\\" + application + "\\" + section;
}

namespace {

// The text of a REG_SZ value; another status for a missing value or one of
// another type.
LONG readText(HKEY section, const std::wstring& name, std::wstring& data) {
    // Most values are short: one call reads them. A longer one (or one that
    // grew meanwhile) says its size, and is read again into that much room.
    data.assign(128, L'\0');
    for (;;) {
        DWORD type = 0;
        auto bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LONG status = RegQueryValueExW(section, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_MORE_DATA) {
            data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        if (type != REG_SZ) return ERROR_INVALID_DATATYPE;
        data.resize(bytes / sizeof(wchar_t));
        break;
    }
    // Stored with or without its terminating NUL; the text ends at the first.
    data.erase(std::find(data.begin(), data.end(), L'\0'), data.end());
    return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::string> RegistrySettingsBackend::read(const std::string& application,
                                                         const std::string& section, const std::string& key) {
    const std::wstring path = toWide(sectionPath(application, section));
    const std::wstring name = toWide(key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const HKEY opened = openForReading(path);
        if (!opened) return std::nullopt;
        std::wstring data;
        const LONG status = readText(opened, name, data);
        // The section was deleted since it was opened; it may be back by now.
        if (status == ERROR_KEY_DELETED) {
            readKeys_.erase(path);
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        return toUtf8(data);
    }
    return std::nullopt;
}

HKEY RegistrySettingsBackend::openForReading(const std::wstring& path) {
    // A start-up reads over a hundred keys of one section: opening it for each
    // would cost two calls into the system per key. A missing section is not
    // remembered, so one created later (by a save, or by another program) is seen.
    const auto [at, added] = readKeys_.try_emplace(path);
    if (added && RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, at->second.put()) !=
                     ERROR_SUCCESS) {
        readKeys_.erase(at);
        return nullptr;
    }
    return at->second.get();
}

void RegistrySettingsBackend::write(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& value) {
    writeAll(application, section, {{key, value}});
}

void RegistrySettingsBackend::writeAll(const std::string& application, const std::string& section,
                                       const Values& values) {
    if (values.empty()) return;
    const std::string path = sectionPath(application, section);
    UniqueKey opened;
    const LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, toWide(path).c_str(), 0, nullptr, 0,
                                         KEY_SET_VALUE, nullptr, opened.put(), nullptr);
    if (created != ERROR_SUCCESS) {
        warn("cannot save settings in HKEY_CURRENT_USER\\" + path + ": " + systemMessage(created));
        return;
    }
    for (const auto& [key, value] : values) {
        const std::wstring data = toWide(value);
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        const LONG status = RegSetValueExW(opened.get(), toWide(key).c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(data.c_str()), bytes);
        if (status != ERROR_SUCCESS)
            warn("cannot save " + key + " in HKEY_CURRENT_USER\\" + path + ": " + systemMessage(status));
    }
}

void RegistrySettingsBackend::warn(const std::string& message) {
    if (std::find(warnings_.begin(), warnings_.end(), message) != warnings_.end()) return;
    warnings_.push_back(message);
    std::fprintf(stderr, "velmora: %s\n", message.c_str());
}

}  // namespace platform
