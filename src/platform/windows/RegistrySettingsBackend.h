#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/SettingsBackend.h"
#include "platform/windows/Win32.h"

namespace platform {

// Settings in the current user's registry where the classic Basic runtime's
// GetSetting and SaveSetting keep them:
//   HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>
// one REG_SZ value per key. A task list kept there by an older program is read
// as it stands, and what this writes reads back there the same way.
//
// A missing key or section reads as absent; a value another program stored
// as another kind reads as its text where it has one (see valueText). A
// value that cannot be written is said once on standard error and kept in
// warnings(); the program carries on. A section read from stays open for the
// next read until the backend goes.
class RegistrySettingsBackend : public SettingsBackend {
public:
    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    Result write(const std::string& application, const std::string& section, const std::string& key,
                 const std::string& value) override;
    // Opens the section once and writes every value into it.
    Result writeAll(const std::string& application, const std::string& section,
                    const Values& values) override;

    // The key path under HKEY_CURRENT_USER that holds a section.
    static std::string sectionPath(const std::string& application, const std::string& section);

    // Where a problem is said; standard error when unset.
    std::function<void(const std::string& text)> onWarning;

    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    void warn(const std::string& message);
    // The section's key open for reading, or nullptr when it does not exist.
    HKEY openForReading(const std::wstring& path);

    std::vector<std::string> warnings_;
    std::map<std::wstring, windows_backend::UniqueKey> readKeys_;
};

}  // namespace platform
