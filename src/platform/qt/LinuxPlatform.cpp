#include "platform/qt/LinuxPlatform.h"

#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/posix/ProcessTable.h"
#include "platform/posix/Spawn.h"
#include "platform/qt/FileDialog.h"
#include "platform/x11/X11Desktop.h"

namespace platform {

namespace {

// The program's application object, when it has a display at all.
QGuiApplication* guiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

_XDisplay* qtX11Display() {
    if (guiApplication() == nullptr) return nullptr;
    const auto* x11 = guiApplication()->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) return nullptr;
    // A connection that broke (the X server went away, and Qt is ending the
    // program) must not be used: Xlib would end the program a second time
    // from inside its error path.
    xcb_connection_t* connection = x11->connection();
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) return nullptr;
    return x11->display();
}

// Why there is no X11 connection to work with.
std::string noX11Reason() {
    if (guiApplication() == nullptr) return "no X11 display";
    const QString name = QGuiApplication::platformName();
    if (name == QLatin1String("xcb")) return "no X11 display";
    return "this session does not run on X11 (display platform \"" + name.toStdString() + "\")";
}

Result withReason(Result r) {
    if (!r.ok && r.error == "no X11 display") r.error = noX11Reason();
    return r;
}

// The main window as the desktop portal names a parent window: the shown
// top-level window that belongs to no other (dialogs do). A native Wayland
// window has no name the portal takes without an exported handle.
std::string portalParentWindow() {
    if (guiApplication() == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    for (const QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && window->transientParent() == nullptr && window->type() == Qt::Window)
            return "x11:" + QString::number(window->winId(), 16).toStdString();
    return {};
}

std::string searchPath() {
    if (const char* path = std::getenv("PATH")) return path;
    return "/usr/local/bin:/usr/bin:/bin";
}

}  // namespace

LinuxPlatform::LinuxPlatform()
    : numLock_({[] { return withReason(x11::keyInjectionAvailable(qtX11Display())); },
                [] { return x11::sendNumLock(qtX11Display()); }}) {
    numLock_.onChange = [this](const Result& now) {
        if (onAvailabilityChange) onAvailabilityChange(DesktopFeature::KeyInjection, now);
    };
    numLock_.parentWindow = portalParentWindow;
    numLock_.onQuestion = [this](bool open) { questionOpen(open); };
    numLock_.onWarning = [this](const std::string& line) {
        if (onWarning) onWarning(line);
    };
    idleInhibitor_.onChange = [this](const Result& now) {
        if (onAvailabilityChange) onAvailabilityChange(DesktopFeature::KeepAwake, now);
    };
}

Result LinuxPlatform::LaunchCommand(const std::string& command, int /*windowStyle*/) {
    // The window style has no meaning here: a program opens its own windows.
    return posix::spawnDetached(posix::planLaunch(command, searchPath()));
}

void LinuxPlatform::Sleep(int ms) {
    if (ms <= 0) return;
    if (beforeSleep_) beforeSleep_();
    // An absolute deadline makes the wait whole however often a signal
    // interrupts it.
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1'000'000L;
    if (deadline.tv_nsec >= 1'000'000'000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1'000'000'000L;
    }
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

ProcessQuery LinuxPlatform::CountProcesses(const std::string& name) {
    if (!processTable_) processTable_ = std::make_unique<posix::ProcessTable>(procRoot_);
    return processTable_->count(name);
}

Result LinuxPlatform::SendNumLock() {
    return numLock_.press();
}

WindowHandle LinuxPlatform::GetForegroundWindow() {
    return x11::foregroundWindow(qtX11Display());
}

Result LinuxPlatform::SetTopMost(WindowHandle window, bool on) {
    if (window == 0) return Result::failure("no window");
    // The desktop's question stays in front: nothing changes rank meanwhile,
    // and the window asked to be on top gets there once it is answered.
    if (questionOpen_) {
        if (on) steppedDown_ = window;
        return Result::success();
    }
    const Result done = x11::setTopMost(qtX11Display(), window, on);
    if (done.ok && (on || window == topMost_)) topMost_ = on ? window : 0;
    return done;
}

void LinuxPlatform::questionOpen(bool open) {
    questionOpen_ = open;
    if (open && topMost_ != 0) {
        steppedDown_ = topMost_;
        x11::setTopMost(qtX11Display(), topMost_, false);
    } else if (!open && steppedDown_ != 0) {
        SetTopMost(std::exchange(steppedDown_, 0), true);
    }
}

Result LinuxPlatform::KeepAwake(bool on) {
    const Result held = idleInhibitor_.hold(on);
    if (on) heartbeatStarted_ = true;
    // A heartbeat started by its button: the desktop's question, if any, comes now.
    if (on && windowShown_ && numLock_.undecided()) {
        const Result chosen = numLock_.choose();
        if ((!chosen.ok || !chosen.note.empty()) && onAvailabilityChange)
            onAvailabilityChange(DesktopFeature::KeyInjection, chosen);
    }
    return held;
}

Result LinuxPlatform::Available(DesktopFeature feature) {
    _XDisplay* display = qtX11Display();
    switch (feature) {
        case DesktopFeature::KeyInjection:
            // Asked once the window is on screen; with the heartbeat started
            // by its tick, the way is chosen now.
            windowShown_ = true;
            return heartbeatStarted_ ? numLock_.choose() : numLock_.available();
        case DesktopFeature::WindowStacking:
            return withReason(x11::windowStackingAvailable(display));
        case DesktopFeature::KeepAwake:
            return idleInhibitor_.available();
    }
    return Result::failure("unknown feature");
}

std::optional<std::string> LinuxPlatform::ChooseFileToRun(const std::string& title, const std::string& filter,
                                                          const std::string& /*defaultExtension*/,
                                                          const std::string& startFolder) {
    // The default extension is left out on purpose: the dialog would append it
    // to every name without a dot, and programs here have none.
    return qt::chooseFile(title, filter, startFolder);
}

std::string LinuxPlatform::ProgramFolder() {
    std::array<char, 4096> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n > 0) {
        std::string path(buffer.data(), static_cast<std::size_t>(n));
        const auto slash = path.rfind('/');
        if (slash != std::string::npos) return slash == 0 ? "/" : path.substr(0, slash);
    }
    if (QCoreApplication::instance() != nullptr) return QCoreApplication::applicationDirPath().toStdString();
    return {};
}

}  // namespace platform
