// VELMORA: starts a fixed list of up to twenty command lines one after another.

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PassLog.h"
#include "app/Program.h"
#include "app/TraceOutput.h"
#include "app/linux/QtSchedulerDriver.h"
#include "app/linux/QtTerminationSignals.h"
#include "app/linux/StartArguments.h"
#include "form/Clock.h"
#include "model/main/MainForm.h"
#include "platform/posix/Fd.h"
#include "platform/posix/InheritedState.h"
#include "platform/posix/IniSettingsBackend.h"
#include "platform/qt/LinuxPlatform.h"
#include "settings/Store.h"
#include "settings/WriteGroup.h"
#include "ui/qt/about/AboutView.h"
#include "ui/qt/controls/QtWindowHost.h"
#include "ui/qt/main/MainWindow.h"
#include "ui/qt/settings/SettingsViews.h"

#include <pthread.h>
#include <unistd.h>

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Why no window can be shown, if that is plain before Qt starts.
std::optional<std::string> displayProblem() {
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
    return std::nullopt;
}

// Qt aborts when it cannot reach its display; a clear line and a plain
// failure status serve a user better. Asking Qt, not a connection of our own
// beforehand, keeps the start-up to one connection.
// What Qt says while it starts is held until it has started: when it cannot,
// the one line of ours says why instead.
QtMessageHandler qtHandler = nullptr;
bool applicationUp = false;
std::vector<QString> heldMessages;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!applicationUp) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "velmora: cannot open the graphical display \"%s\"\n",
                         env("DISPLAY").c_str());
            std::_Exit(1);
        }
        heldMessages.push_back(qFormatLogMessage(type, context, text));
        return;
    }
    if (qtHandler) qtHandler(type, context, text);
}

void applicationStarted() {
    applicationUp = true;
    for (const QString& text : heldMessages) std::fprintf(stderr, "%s\n", qPrintable(text));
    heldMessages.clear();
}

// The pass's trace goes to standard error: a desktop session's journal keeps
// a login program's standard error. Runs on the trace's own thread.
bool writeToStandardError(const std::string& text) {
    // A reader that went away fails the write instead of ending the program;
    // the signal stays blocked on this thread alone, so launched programs
    // start with it as usual.
    static thread_local const bool blocked = [] {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        return pthread_sigmask(SIG_BLOCK, &pipe, nullptr) == 0;
    }();
    if (!blocked) return false;
    return platform::posix::writeAll(STDERR_FILENO, text);
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
    platform::posix::repairInheritedState();  // before anything opens a file or socket
    // The name the program was started as, not the resolved file: a link
    // named velmora-work keeps a task list of its own.
    const std::string executableName = settings::ExecutableName(argc > 0 ? argv[0] : "velmora");
    // Answered without a display, as a terminal user expects.
    if (const auto question = app::startQuestion(argc, argv); question != app::StartQuestion::Run) {
        const std::string answer =
            question == app::StartQuestion::Help ? app::helpText(executableName) : app::versionText();
        return std::fputs(answer.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (const auto problem = displayProblem()) {
        std::fprintf(stderr, "velmora: %s\n", problem->c_str());
        return 1;
    }

    qtHandler = qInstallMessageHandler(onQtMessage);
    // Given to Qt as an option, not set in the environment, so the programs
    // of the task list still make their own choice.
    app::QtArguments qtArguments(argc, argv, app::platformToChoose(env, argc, argv));
    QApplication application(qtArguments.argc(), qtArguments.argv());
    applicationStarted();
    QApplication::setStyle("Fusion");  // the same look on every desktop

    // Everything said on standard error from here on goes through the trace's
    // queue, so an error output nobody reads cannot hold the window.
    app::TraceOutput trace(writeToStandardError);
    auto say = [&trace](const std::string& text) { trace.write("velmora: " + text + "\n"); };
    platform::IniSettingsBackend settingsBackend;
    settingsBackend.onWarning = say;
    form::RealClock clock;
    platform::LinuxPlatform platform;
    // The remote-desktop portal's consent, beside the settings file.
    if (auto file = settingsBackend.filePath(settings::kApplication, executableName))
        platform.setPortalTokenFile(file->replace_extension(".portal-token"));
    platform.onWarning = say;
    // Shows the settings and About windows modally over their owners.
    ui::qt::QtWindowHost windowHost;
    app::Program program(
        {settingsBackend, platform, clock, windowHost, executableName,
         app::passLogTo([&trace](const std::string& text) { trace.write(text); }, executableName), say});
    model::MainForm& form = program.form();
    ui::qt::MainWindow window(form);
    windowHost.addWindow(window);
    ui::qt::registerAboutViews(windowHost);
    ui::qt::registerSettingsViews(windowHost);
    app::QtSchedulerDriver driver(program.scheduler());
    // A light painted just before a launch's blocking sleep must be on screen.
    platform.setBeforeSleep([&window] { window.paintNow(); });

    // Being told to end (kill, Ctrl+C, a closed terminal, the session ending)
    // is a close like any other: shut-down writes the settings first.
    bool endedBySystem = false;
    auto endNow = [&] {
        endedBySystem = true;
        form.Close();
        window.unload();
        QCoreApplication::exit(0);  // also leaves a modal window's loop
    };
    app::QtTerminationSignals signalBridge([&](int) { endNow(); });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, [&](QSessionManager&) { endNow(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] { window.unload(); });

    // The desktop's answers are asked for once the window is on screen, so
    // they do not hold up its first showing.
    form.checkDesktopOnLoad = false;
    program.load();
    const UnloadAtExit exitGuard(form);
    window.show();
    QTimer::singleShot(0, &window, [&form] { form.checkDesktopFeatures(); });
    const int status = application.exec();
    // A user's close (or the autoclose) learns that the ticks, position and
    // status line were not saved; an ending the system asked for waits for nobody.
    if (!endedBySystem && !form.shutdownSaveFailure().empty())
        windowHost.showMessage(form, settings::lostAtShutdown(form.shutdownSaveFailure()));
    return status;
}
