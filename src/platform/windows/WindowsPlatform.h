#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/windows/ProcessQuery.h"

namespace platform {

// The platform services on Windows: CreateProcessW, a Toolhelp snapshot and
// handles on the processes a wait has found, SendInput, the window manager
// calls of user32 and the common file dialog.
// Failures come back as the system's own reason text.
class WindowsPlatform final : public Platform {
public:
    Result LaunchCommand(const std::string& command, int windowStyle) override;
    void Sleep(int ms) override;
    ProcessQuery CountProcesses(const std::string& name) override;
    Result SendNumLock() override;
    WindowHandle GetForegroundWindow() override;
    Result SetTopMost(WindowHandle window, bool on) override;
    Result Available(DesktopFeature feature) override;
    std::optional<std::string> ChooseFileToRun(const std::string& title, const std::string& filter,
                                               const std::string& defaultExtension,
                                               const std::string& startFolder) override;
    std::string ProgramFolder() override;

    // Asks the system not to let the display or the machine go idle (on), or
    // withdraws that request (off). Holding twice or releasing when not held
    // changes nothing.
    Result KeepAwake(bool on) override;

    // The full path of the running program file (for ExecutableName).
    static std::string ProgramPath();

    // Called just before Sleep blocks, so that what was painted last (a
    // slot's light) reaches the screen before the window freezes.
    void setBeforeSleep(std::function<void()> hook) { beforeSleep_ = std::move(hook); }

    // Asked of each command before it is launched: whether it was kept as an
    // expandable string, so its %VARIABLES% are expanded now, from the
    // environment the program runs in (see RegistrySettingsBackend).
    void setExpandsWhenUsed(std::function<bool(const std::string&)> ask) {
        expandsWhenUsed_ = std::move(ask);
    }

private:
    std::function<void()> beforeSleep_;
    std::function<bool(const std::string&)> expandsWhenUsed_;
    // What the process watch holds between its polls.
    windows_backend::ProcessWatch processWatch_;
};

}  // namespace platform
