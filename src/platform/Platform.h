#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace platform {

// Outcome of an operation that can fail. `error` is a short reason meant for
// the user (a tooltip, a line on standard error); empty when ok. `note` is
// what a working feature may want said about how it works (which service does
// it, where it falls short); usually empty.
struct Result {
    bool ok = true;
    std::string error;
    std::string note;

    static Result success(std::string note = {}) { return {true, {}, std::move(note)}; }
    static Result failure(std::string why) { return {false, std::move(why), {}}; }
};

// Answer of the process-table query.
struct ProcessQuery {
    bool ok = true;  // false: the table could not be read, `count` means nothing
    int count = 0;   // processes whose executable name matches
    std::string error;
};

using WindowHandle = std::uint64_t;  // 0 is the null handle

// Desktop features that depend on the display server and its window manager.
enum class DesktopFeature {
    KeyInjection,    // SendNumLock
    WindowStacking,  // GetForegroundWindow and SetTopMost
    KeepAwake,       // KeepAwake; when available, `note` names what holds the session awake
};

// Window style passed to LaunchCommand: a normal window that takes the focus.
inline constexpr int kNormalFocus = 1;

// Every operating-system service the program needs apart from the settings
// store. Called from the user-interface thread only; each call blocks it for
// as long as it takes.
class Platform {
public:
    virtual ~Platform() = default;

    // Starts the command line, fully detached, and returns at once.
    virtual Result LaunchCommand(const std::string& command, int windowStyle) = 0;

    // Blocks the calling thread (and so the whole user interface) for `ms`.
    virtual void Sleep(int ms) = 0;

    // Counts running processes whose executable name is exactly `name`.
    // Asked again for the same name, a backend may count only the processes
    // it found before while any of them still runs: whether any runs is
    // always exact, the number is then a lower bound.
    virtual ProcessQuery CountProcesses(const std::string& name) = 0;

    // Queues one press and release of the NumLock key.
    virtual Result SendNumLock() = 0;

    // The window that has the user's focus anywhere on the desktop, or 0.
    virtual WindowHandle GetForegroundWindow() = 0;

    // Puts the window into (on) or out of (off) the top-most group without
    // moving or resizing it.
    virtual Result SetTopMost(WindowHandle window, bool on) = 0;

    // Asks the session not to go idle (on) or withdraws that request (off).
    // Holding it twice or releasing it when not held changes nothing.
    virtual Result KeepAwake(bool on) = 0;

    // Whether the feature can work on this display; if not, `error` says why.
    virtual Result Available(DesktopFeature feature) = 0;

    // Told when that answer changes later, in the same terms: a desktop whose
    // answer waited for its user, a way of working that stopped working.
    std::function<void(DesktopFeature, const Result&)> onAvailabilityChange;

    // Shows the file chooser; returns the path the user confirmed, or nothing
    // after a cancel. The window that owns the chooser remembers the last
    // confirmed path for as long as it is open (a window of its own, a memory
    // of its own), so the platform keeps none.
    virtual std::optional<std::string> ChooseFileToRun(const std::string& title, const std::string& filter,
                                                       const std::string& defaultExtension,
                                                       const std::string& startFolder) = 0;

    // The folder the program file lives in.
    virtual std::string ProgramFolder() = 0;
};

}  // namespace platform
