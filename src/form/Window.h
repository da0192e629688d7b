#pragma once

#include <functional>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "form/Scheduler.h"

namespace form {

// A window's own state, toolkit-free: its name, caption and outer geometry in
// twips, its controls and lines, and the start-up and shut-down every window
// has. A view renders it and reports the user's moves and the close; the
// window is the truth.
class Window {
public:
    Window(std::string name, Scheduler& scheduler) : name_(std::move(name)), scheduler_(scheduler) {}
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& name() const { return name_; }

    std::string caption;
    float left = 0, top = 0, width = 0, height = 0;  // outer frame, twips
    int clientWidth = 0, clientHeight = 0;           // the layout's client area, twips
    std::vector<Line> lines;
    std::function<void()> onWindowChanged;  // caption or geometry set by the window

    // Every control declared on the window, hidden ones included, in the
    // order of their declaration.
    const std::vector<Control*>& controls() const { return controls_; }

    // Start-up, before the window is first shown.
    virtual void Form_Load() = 0;
    // Shut-down: runs whichever way the window closes.
    virtual void Form_Unload() = 0;

    // Closes the window as its close box would. With a view attached the view
    // closes (and runs unload()); without one unload() runs here.
    void Close();
    std::function<void()> onCloseRequested;

    // Runs Form_Unload once per window, then stops the window's timers.
    void unload();
    bool unloaded() const { return unloaded_; }

    // Brings left and top up to date with where the user has put the window;
    // handlers that store the position call it first. Unloading does.
    void syncGeometry() {
        if (onSyncGeometry) onSyncGeometry();
    }
    std::function<void()> onSyncGeometry;

    Scheduler& scheduler() { return scheduler_; }

    // Tells the view that the caption or the geometry changed.
    void windowChanged() {
        if (onWindowChanged) onWindowChanged();
    }

    // What a screen reader user must hear while the focus is elsewhere: a slot
    // that could not start, a pass's end, the window about to close. The
    // models decide when and in which words (model/main/Announcements.h); a
    // view hooks onAnnounce only while a reader listens and hands each
    // sentence to its system's announcement path. Unhooked, nothing is said
    // and callers build no words (see announcing()).
    std::function<void(const std::string& sentence)> onAnnounce;
    bool announcing() const { return static_cast<bool>(onAnnounce); }
    void announce(const std::string& sentence) const {
        if (onAnnounce) onAnnounce(sentence);
    }

protected:
    // After Form_Unload: a window's timers stop when it goes.
    virtual void stopTimers();
    // A timer that lives as long as this window; it stops when the window unloads.
    Timer& createTimer(std::string name);

private:
    friend class Control;  // declaring a control adds it to controls_

    std::string name_;
    Scheduler& scheduler_;
    std::vector<Control*> controls_;
    std::vector<Timer*> timers_;
    bool unloaded_ = false;
};

// Shows windows over their owners. The program's host builds Qt views; tests
// use one that records what opened and acts while it is open.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Runs window.Form_Load(), shows the window modally over `owner` and
    // returns once it has closed and unloaded. The owner takes no input
    // meanwhile; every timer keeps running.
    virtual void showModal(Window& window, Window& owner) = 0;

    // Closes every modal window, the newest first, each as its close box
    // would; for the main window's closing while some are open.
    virtual void closeModals() = 0;

    // Tells the user something went wrong, in the system's message box over
    // `owner`, and returns once it is dismissed; every timer keeps running.
    virtual void showMessage(Window& owner, const std::string& text) = 0;
};

}  // namespace form
