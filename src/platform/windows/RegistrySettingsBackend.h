#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
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
// as another kind reads as its text where it has one (see valueText). Saving
// the text a value reads as leaves it as it is, whatever its kind and bytes;
// an expandable string (REG_EXPAND_SZ) saved with other text, or saved after
// it was deleted, stays expandable. A value that cannot
// be written is said once on standard error and kept in warnings(); the
// program carries on. A section read from stays open for the next read until
// the backend goes.
class RegistrySettingsBackend : public SettingsBackend {
public:
    std::optional<std::string> read(const std::string& application, const std::string& section,
                                    const std::string& key) override;
    bool holdsNoText(const std::string& application, const std::string& section,
                     const std::string& key) override;
    Result write(const std::string& application, const std::string& section, const std::string& key,
                 const std::string& value) override;
    // Opens the section once and writes every value into it.
    Result writeAll(const std::string& application, const std::string& section,
                    const Values& values) override;

    // Whether `text` is what an expandable string read as or was saved as:
    // a command so kept has its %VARIABLES% expanded when it is launched.
    bool expandsWhenUsed(const std::string& text) const;

    // The key path under HKEY_CURRENT_USER that holds a section.
    static std::string sectionPath(const std::string& application, const std::string& section);

    // Where a problem is said; standard error when unset.
    std::function<void(const std::string& text)> onWarning;

    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    void warn(const std::string& message);
    // The section's key open for reading, or nullptr when it does not exist.
    HKEY openForReading(const std::wstring& path);

    using Address = std::pair<std::wstring, std::wstring>;  // section path, value name
    // The kind and text a read found or a save left (no kind: no value).
    void remember(const Address& address, std::optional<DWORD> type, const std::optional<std::string>& text);

    std::vector<std::string> warnings_;
    std::map<std::wstring, windows_backend::UniqueKey> readKeys_;
    std::map<Address, DWORD> kinds_;             // as last found or saved, kept when it goes
    std::map<Address, std::string> expandable_;  // their text
    std::set<Address> noText_;
};

}  // namespace platform
