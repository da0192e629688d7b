// VELMORA: starts a fixed list of up to twenty command lines one after another.

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ctime>
#include <optional>
#include <string>

#include "app/QtSchedulerDriver.h"
#include "app/QtTerminationSignals.h"
#include "engine/Engine.h"
#include "form/Clock.h"
#include "form/Scheduler.h"
#include "model/about/AboutButton.h"
#include "model/main/MainForm.h"
#include "model/settings/SettingsWindows.h"
#include "platform/linux/InheritedState.h"
#include "platform/linux/IniSettingsBackend.h"
#include "platform/linux/LinuxPlatform.h"
#include "settings/Store.h"
#include "ui/about/AboutView.h"
#include "ui/controls/QtWindowHost.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/SettingsViews.h"

// Last: Xlib defines macros that clash with names in Qt headers.
#include <X11/Xlib.h>

namespace {

// Lateness a timer may have and still keep its phase.
constexpr form::Millis kTimerJitterMs = 15;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

struct CloseDisplay {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayConnection = std::unique_ptr<Display, CloseDisplay>;

// Why no window could be shown, if so. Qt aborts when it cannot reach a
// display; a clear line and a plain failure status serve a user better.
// The check's connection is handed to the caller, to be held until Qt has
// its own: a bare X server resets when its last client leaves, and Qt
// connecting while it resets aborts the program.
std::optional<std::string> displayProblem(DisplayConnection& held) {
    const std::string platform = env("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.rfind("xcb", 0) != 0) return std::nullopt;  // Qt's choice
    const std::string display = env("DISPLAY");
    if (display.empty()) {
        const bool wayland = !env("WAYLAND_DISPLAY").empty() &&
                             !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms")
                                  .entryList({"libqwayland*"})
                                  .isEmpty();
        if (wayland && platform.empty()) return std::nullopt;
        return "no graphical display (DISPLAY is not set); start VELMORA from a desktop session";
    }
    held.reset(XOpenDisplay(display.c_str()));
    if (!held) return "cannot open the graphical display \"" + display + "\"";
    return std::nullopt;
}

// The pass's trace: "<name>: HH:MM:SS <line>" on standard error, written in
// one piece so lines of two copies cannot interleave. A desktop session's
// journal keeps a login program's standard error.
engine::PassLog passLogTo(std::FILE* stream, std::string name) {
    return [stream, name = std::move(name)](const std::string& line) {
        const std::time_t now = std::time(nullptr);
        char stamp[16] = "??:??:??";
        if (const std::tm* local = std::localtime(&now))
            std::strftime(stamp, sizeof stamp, "%H:%M:%S", local);
        const std::string text = name + ": " + stamp + " " + line + "\n";
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fflush(stream);
    };
}

// Qt ends the program with exit() when its display goes away (the X server
// stopped with the session, say), past every close path. Shut-down still
// writes the ticks and the status line then; the window's last position is
// the one it was given, as the display can no longer be asked.
model::MainForm* formAtExit = nullptr;

void unloadAtExit() {
    if (formAtExit && !formAtExit->unloaded()) formAtExit->Form_Unload();
}

// Points the exit handler at the form only while the form exists.
struct UnloadAtExit {
    explicit UnloadAtExit(model::MainForm& form) {
        formAtExit = &form;
        static const bool registered = std::atexit(unloadAtExit) == 0;
        if (!registered) std::fprintf(stderr, "velmora: cannot arrange shut-down at exit\n");
    }
    ~UnloadAtExit() { formAtExit = nullptr; }
    UnloadAtExit(const UnloadAtExit&) = delete;
    UnloadAtExit& operator=(const UnloadAtExit&) = delete;
};

}  // namespace

int main(int argc, char** argv) {
    platform::linux_backend::repairInheritedState();  // before anything opens a file or socket
    DisplayConnection check;
    if (const auto problem = displayProblem(check)) {
        std::fprintf(stderr, "velmora: %s\n", problem->c_str());
        return 1;
    }
    // The name the program was started as, not the resolved file: a link
    // named velmora-work keeps a task list of its own.
    const std::string executableName = settings::ExecutableName(argc > 0 ? argv[0] : "velmora");

    QApplication application(argc, argv);
    check.reset();                     // Qt's own connection is up now
    QApplication::setStyle("Fusion");  // the same look on every desktop

    platform::IniSettingsBackend settingsBackend;
    settings::Store store(settingsBackend, executableName);
    form::RealClock clock;
    form::Scheduler scheduler(clock, kTimerJitterMs);
    platform::LinuxPlatform platform;

    model::MainForm form(scheduler, store, executableName, platform);
    // A desktop feature the display cannot carry is said once, here.
    form.onNotice = [](const std::string& text) { std::fprintf(stderr, "velmora: %s\n", text.c_str()); };
    // Before Form_Load: start-up runs its tick handlers.
    engine::Engine engine(form, platform, passLogTo(stderr, executableName));
    ui::MainWindow window(form);
    // Shows the settings and About windows modally over their owners.
    ui::QtWindowHost windowHost;
    windowHost.addWindow(window);
    ui::registerAboutViews(windowHost);
    model::AboutButton aboutButton(form, windowHost);
    ui::registerSettingsViews(windowHost);
    model::SettingsWindows settingsWindows(form, windowHost, platform);
    app::QtSchedulerDriver driver(scheduler);
    // A light painted just before a launch's blocking sleep must be on screen.
    platform.setBeforeSleep([&window] { window.paintNow(); });

    // Being told to end (kill, Ctrl+C, a closed terminal, the session ending)
    // is a close like any other: shut-down writes the settings first.
    auto endNow = [&] {
        form.Close();
        window.unload();
        QCoreApplication::exit(0);  // also leaves a modal window's loop
    };
    app::QtTerminationSignals signalBridge([&](int) { endNow(); });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, [&](QSessionManager&) { endNow(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] { window.unload(); });

    form.Form_Load();
    const UnloadAtExit exitGuard(form);
    window.show();
    return application.exec();
}
