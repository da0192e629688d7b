// VELMORA: starts a fixed list of up to twenty command lines one after another.

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QSessionManager>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/PassLog.h"
#include "app/Program.h"
#include "app/qt/QtSchedulerDriver.h"
#include "app/qt/QtTerminationSignals.h"
#include "form/Clock.h"
#include "model/main/MainForm.h"
#include "platform/linux/InheritedState.h"
#include "platform/linux/IniSettingsBackend.h"
#include "platform/linux/LinuxPlatform.h"
#include "settings/Store.h"
#include "ui/qt/about/AboutView.h"
#include "ui/qt/controls/QtWindowHost.h"
#include "ui/qt/main/MainWindow.h"
#include "ui/qt/settings/SettingsViews.h"

// Last: Xlib defines macros that clash with names in Qt headers.
#include <X11/Xlib.h>

namespace {

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

// The pass's trace goes to standard error: a desktop session's journal keeps
// a login program's standard error.
void writeToStandardError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

// A desktop feature the display cannot carry is said once, here.
void sayNotice(const std::string& text) {
    std::fprintf(stderr, "velmora: %s\n", text.c_str());
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
    form::RealClock clock;
    platform::LinuxPlatform platform;
    // Shows the settings and About windows modally over their owners.
    ui::QtWindowHost windowHost;
    app::Program program({settingsBackend, platform, clock, windowHost, executableName,
                          app::passLogTo(writeToStandardError, executableName), sayNotice});
    model::MainForm& form = program.form();
    ui::MainWindow window(form);
    windowHost.addWindow(window);
    ui::registerAboutViews(windowHost);
    ui::registerSettingsViews(windowHost);
    app::QtSchedulerDriver driver(program.scheduler());
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

    program.load();
    const UnloadAtExit exitGuard(form);
    window.show();
    return application.exec();
}
