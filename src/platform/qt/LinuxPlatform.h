#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/posix/ProcessTable.h"
#include "platform/qt/IdleInhibitor.h"
#include "platform/qt/NumLockRoute.h"

namespace platform {

// The platform services on Linux: processes through fork/exec and /proc,
// window stacking through the X server Qt is connected to, NumLock by the
// way NumLockRoute chooses, the idle inhibitor through the session bus, the
// file chooser through Qt.
class LinuxPlatform final : public Platform {
public:
    LinuxPlatform();

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

    // Where the remote-desktop portal's consent token is kept (beside the
    // settings file); none: the desktop asks at every start.
    void setPortalTokenFile(std::filesystem::path file) { numLock_.setTokenFile(std::move(file)); }

    // A line for the user that belongs to no desktop feature (the portal's
    // consent file could not be used or kept).
    std::function<void(const std::string&)> onWarning;

private:
    void questionOpen(bool open);

    std::function<void()> beforeSleep_;
    std::string procRoot_ = "/proc";
    // What the process watch learnt in earlier polls; made at the first one.
    std::unique_ptr<posix::ProcessTable> processTable_;
    qt::IdleInhibitor idleInhibitor_;
    qt::NumLockRoute numLock_;
    // The NumLock way is chosen once both hold: the window is on screen (the
    // program asks what works) and the heartbeat has started (it asks to
    // keep awake).
    bool windowShown_ = false;
    bool heartbeatStarted_ = false;
    // While the desktop asks its user, the window kept on top steps down so
    // as not to cover the question, and is put back once it is answered.
    bool questionOpen_ = false;
    WindowHandle topMost_ = 0, steppedDown_ = 0;
};

}  // namespace platform
