#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/posix/ProcessTable.h"
#include "platform/qt/IdleInhibitor.h"

namespace platform {

// The platform services on Linux: processes through fork/exec and /proc,
// NumLock and window stacking through the X server Qt is connected to, the
// idle inhibitor through the session bus, the file chooser through Qt.
class LinuxPlatform final : public Platform {
public:
    Result LaunchCommand(const std::string& command, int windowStyle) override;
    void Sleep(int ms) override;
    ProcessQuery CountProcesses(const std::string& name) override;
    Result SendNumLock() override;
    WindowHandle GetForegroundWindow() override;
    Result SetTopMost(WindowHandle window, bool on) override;
    Result KeepAwake(bool on) override;
    Result Available(DesktopFeature feature) override;
    std::optional<std::string> ChooseFileToRun(const std::string& title, const std::string& filter,
                                               const std::string& defaultExtension,
                                               const std::string& startFolder) override;
    std::string ProgramFolder() override;

    // Called just before Sleep blocks, so that what was painted last (a
    // slot's light) reaches the screen before the window freezes.
    void setBeforeSleep(std::function<void()> hook) { beforeSleep_ = std::move(hook); }

    // The process table to read; tests point it at a tree of their own.
    void setProcRoot(std::string root) {
        procRoot_ = std::move(root);
        processTable_.reset();
    }

private:
    std::function<void()> beforeSleep_;
    std::string procRoot_ = "/proc";
    // What the process watch learnt in earlier polls; made at the first one.
    std::unique_ptr<posix::ProcessTable> processTable_;
    qt::IdleInhibitor idleInhibitor_;
};

}  // namespace platform
