#pragma once

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
// A missing key or section, or a value of another type, reads as absent. A
// value that cannot be written is said once on standard error and kept in
// warnings(); the program carries on. A section read from stays open for the
// next read until the backend goes.
class RegistrySettingsBackend : public SettingsBackend {
public:
    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    // Opens the section once and writes every value into it.
    void writeAll(const std::string& application, const std::string& section, const Values& values) override;

    // The key path under HKEY_CURRENT_USER that holds a section.
    static std::string sectionPath(const std::string& application, const std::string& section);

    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    void warn(const std::string& message);
    // The section's key open for reading, or nullptr when it does not exist.
    HKEY openForReading(const std::wstring& path);

    std::vector<std::string> warnings_;
    std::map<std::wstring, windows_backend::UniqueKey> readKeys_;
};

}  // namespace platform
