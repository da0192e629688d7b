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

std::optional<std::string> RegistrySettingsBackend::read(const std::string& application,
                                                         const std::string& section, const std::string& key) {
    UniqueKey opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, toWide(sectionPath(application, section)).c_str(), 0,
                      KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = toWide(key);
    // The value may grow between asking its size and reading it: ask again.
    std::wstring data;
    for (;;) {
        DWORD type = 0, bytes = 0;
        if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = bytes;
        const LONG status = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &got);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
        data.resize(got / sizeof(wchar_t));
        break;
    }
    // Stored with or without its terminating NUL; the text ends at the first.
    data.erase(std::find(data.begin(), data.end(), L'\0'), data.end());
    return toUtf8(data);
}

Result RegistrySettingsBackend::write(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& value) {
    return writeAll(application, section, {{key, value}});
}

Result RegistrySettingsBackend::writeAll(const std::string& application, const std::string& section,
                                         const Values& values) {
    if (values.empty()) return Result::success();
    const std::string path = sectionPath(application, section);
    UniqueKey opened;
    const LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, toWide(path).c_str(), 0, nullptr, 0,
                                         KEY_SET_VALUE, nullptr, opened.put(), nullptr);
    if (created != ERROR_SUCCESS) {
        const std::string why = "cannot save settings in HKEY_CURRENT_USER\\" + path + ": " + systemMessage(created);
        warn(why);
        return Result::failure(why);
    }
    Result outcome;
    for (const auto& [key, value] : values) {
        const std::wstring data = toWide(value);
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        const LONG status = RegSetValueExW(opened.get(), toWide(key).c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(data.c_str()), bytes);
        if (status != ERROR_SUCCESS) {
            const std::string why =
                "cannot save " + key + " in HKEY_CURRENT_USER\\" + path + ": " + systemMessage(status);
            warn(why);
            if (outcome.ok) outcome = Result::failure(why);
        }
    }
    return outcome;
}

void RegistrySettingsBackend::warn(const std::string& message) {
    if (std::find(warnings_.begin(), warnings_.end(), message) != warnings_.end()) return;
    warnings_.push_back(message);
    if (onWarning)
        onWarning(message);
    else
        std::fprintf(stderr, "velmora: %s\n", message.c_str());
}

}  // namespace platform
