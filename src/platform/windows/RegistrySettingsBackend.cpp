#include "platform/windows/RegistrySettingsBackend.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32text/WideText.h"
#include "platform/windows/Win32.h"

namespace platform {

using windows_backend::systemMessage;
using windows_backend::UniqueKey;

namespace {

// The UTF-16 units a text value holds, nulls and all.
std::wstring wideUnits(const std::vector<BYTE>& data) {
    std::wstring units(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), data.data(), units.size() * sizeof(wchar_t));
    return units;
}

// A value as the text its key holds. Text kinds read as their text; an
// expandable one as written: a save writes the text back, and expanded it
// would lose its %VARIABLES% for good. A list of strings
// (one a line in the registry editor) reads as its strings joined by
// blanks, so a command kept one word a line is still the whole command.
// Numbers read as their decimal value, signed as our keys are (a position
// left of the screen is negative). Anything else is no text: absent.
std::optional<std::string> valueText(DWORD type, const std::vector<BYTE>& data) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            // Kept with or without its terminating null; it ends at the first.
            std::wstring text = wideUnits(data);
            text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
            return toUtf8(text);
        }
        case REG_MULTI_SZ: {
            const std::wstring all = wideUnits(data);
            std::wstring joined;
            // The list ends at an empty string.
            for (std::size_t at = 0; at < all.size() && all[at] != L'\0';) {
                const std::size_t end = std::min(all.find(L'\0', at), all.size());
                if (!joined.empty()) joined += L' ';
                joined.append(all, at, end - at);
                at = end + 1;
            }
            return toUtf8(joined);
        }
        case REG_DWORD:
            if (data.size() != sizeof(std::int32_t)) return std::nullopt;
            {
                std::int32_t number = 0;
                std::memcpy(&number, data.data(), sizeof number);
                return std::to_string(number);
            }
        case REG_QWORD:
            if (data.size() != sizeof(std::int64_t)) return std::nullopt;
            {
                std::int64_t number = 0;
                std::memcpy(&number, data.data(), sizeof number);
                return std::to_string(number);
            }
        default:
            return std::nullopt;
    }
}

}  // namespace

std::string RegistrySettingsBackend::sectionPath(const std::string& application, const std::string& section) {
    return "Software\\VB and VBA Program Settings\\" + application + "\\" + section;
}

namespace {

// A value's type and bytes. Most values are short: one call reads them. A
// longer one (or one that grew meanwhile) says its size, and is read again
// into that much room.
LONG readValue(HKEY section, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    data.assign(256, 0);
    for (;;) {
        auto bytes = static_cast<DWORD>(data.size());
        const LONG status = RegQueryValueExW(section, name.c_str(), nullptr, &type, data.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            data.assign(bytes + sizeof(wchar_t), 0);
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        data.resize(bytes);
        return ERROR_SUCCESS;
    }
}

}  // namespace

std::optional<std::string> RegistrySettingsBackend::read(const std::string& application,
                                                         const std::string& section, const std::string& key) {
    const std::wstring path = toWide(sectionPath(application, section));
    const std::wstring name = toWide(key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const HKEY opened = openForReading(path);
        if (!opened) return std::nullopt;
        DWORD type = 0;
        std::vector<BYTE> data;
        const LONG status = readValue(opened, name, type, data);
        // The section was deleted since it was opened; it may be back by now.
        if (status == ERROR_KEY_DELETED) {
            readKeys_.erase(path);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            remember({path, name}, std::nullopt, std::nullopt);
            return std::nullopt;
        }
        auto text = valueText(type, data);
        remember({path, name}, type, text);
        return text;
    }
    return std::nullopt;
}

bool RegistrySettingsBackend::holdsNoText(const std::string& application, const std::string& section,
                                          const std::string& key) {
    return noText_.contains({toWide(sectionPath(application, section)), toWide(key)});
}

bool RegistrySettingsBackend::expandsWhenUsed(const std::string& text) const {
    return std::any_of(expandable_.begin(), expandable_.end(),
                       [&text](const auto& value) { return value.second == text; });
}

void RegistrySettingsBackend::remember(const Address& address, std::optional<DWORD> type,
                                       const std::optional<std::string>& text) {
    if (type) kinds_.insert_or_assign(address, *type);
    if (type == REG_EXPAND_SZ && text)
        expandable_.insert_or_assign(address, *text);
    else
        expandable_.erase(address);
    if (type && !text)
        noText_.insert(address);
    else
        noText_.erase(address);
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

Result RegistrySettingsBackend::write(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& value) {
    return writeAll(application, section, {{key, value}});
}

Result RegistrySettingsBackend::writeAll(const std::string& application, const std::string& section,
                                         const Values& values) {
    if (values.empty()) return Result::success();
    const std::string path = sectionPath(application, section);
    UniqueKey opened;
    const std::wstring widePath = toWide(path);
    const LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, nullptr, 0,
                                         KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, opened.put(), nullptr);
    if (created != ERROR_SUCCESS) {
        const std::string why =
            "cannot save settings in HKEY_CURRENT_USER\\" + path + ": " + systemMessage(created);
        warn(why);
        return Result::failure(why);
    }
    Result outcome;
    for (const auto& [key, value] : values) {
        const std::wstring name = toWide(key);
        DWORD kind = REG_SZ;
        std::vector<BYTE> stored;
        const bool present = readValue(opened.get(), name, kind, stored) == ERROR_SUCCESS;
        // Gone since it was read (the section deleted meanwhile): it comes back
        // as the kind it had, so an expandable command still expands.
        if (!present) {
            const auto known = kinds_.find({widePath, name});
            kind = known != kinds_.end() ? known->second : REG_SZ;
        }
        // A value that reads as this text already is kept, kind and bytes: a
        // save of what nobody changed must not turn a list into one string,
        // nor drop what a string holds past its end or cut a lone surrogate.
        const bool kept = present && valueText(kind, stored) == value;
        // Expandable stays expandable; everything else becomes text.
        if (!kept && kind != REG_EXPAND_SZ) kind = REG_SZ;
        remember({widePath, name}, kind, value);
        if (kept) continue;
        const std::wstring data = toWide(value);
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        const LONG status = RegSetValueExW(opened.get(), name.c_str(), 0, kind,
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
