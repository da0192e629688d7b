#pragma once
// Drives the real velmora.exe from outside, as a user and the system would:
// its settings in the registry, its windows found by caption, its controls by
// the name each carries, clicks and keys as real input, colours read off the
// screen.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows/Support.h"
#include "support/TaskList.h"

namespace drive {

using namespace wintest;
using testing_support::Settings;
using testing_support::Slot;
using testing_support::taskList;
using testing_support::Tasks;

fs::path artifactDir();

// The registry section the program named `section` keeps its settings in.
void writeSection(const std::string& section, const Settings& values);
Settings readSection(const std::string& section);
void deleteSection(const std::string& section);

// Screen pixels, as COLORREF values (0x00BBGGRR, the program's own colour form).
struct Shot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    // Share of the pixels `inset` inside the edges that have exactly this colour.
    double share(COLORREF colour, int inset = 3) const;
    void saveBmp(const fs::path& file) const;
    // How many different colours the pixels `inset` inside the edges have.
    std::size_t colours(int inset = 3) const;
};
Shot grab(const RECT& screen);
RECT screenRect(HWND window);

// Real input at a control's middle.
void click(HWND control);
void doubleClick(HWND control);
void typeText(const std::wstring& text);
void pressKey(WORD key);

std::string text(HWND control);
bool checked(HWND control);
bool enabled(HWND control);
bool topMost(HWND window);
bool bringToFront(HWND window);
// The control with the keyboard focus in the thread that runs `window`.
HWND focusOf(HWND window);

// A top-level window of the program: its controls by name.
class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}
    HWND hwnd() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
    // The control whose VelmoraName is `name`; null when there is none.
    HWND operator[](const std::string& name) const;
    std::vector<std::string> names() const;
    // The window as on screen, kept in the artifact folder as NAME.bmp.
    Shot shoot(const std::string& name) const;
    // Visible controls that the client area shows only in part.
    std::vector<std::string> cutOff() const;
    // Sizing border or maximise box: a fixed window has neither.
    bool resizable() const;
    bool minimisable() const;

private:
    HWND hwnd_ = nullptr;
};

// A copy of velmora.exe under a name of the test's own (so a settings section
// of its own), started with its error output going to a file.
class Program {
public:
    Program(const fs::path& folder, const std::string& name);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const std::string& name() const { return name_; }
    void start();
    bool running() const;
    bool waitForExit(Millis limit) const;
    DWORD exitCode() const;
    std::string errorOutput() const;
    // The visible top-level window of this process with this caption.
    Window window(const std::wstring& caption, Millis limit = 20s) const;
    Window mainWindow(Millis limit = 20s) const;
    // The visible top-level window of this process with this caption now, or null.
    HWND find(const std::wstring& caption) const;
    HWND findMain() const;
    // The "<name>: HH:MM:SS " stamped lines of its error output, without the stamp.
    std::vector<std::string> trace() const;

private:
    std::string name_;
    fs::path exe_, errors_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// A test's own copy of the program in a folder of its own, with the marker
// program for its slots to start.
class StartedProgram {
public:
    explicit StartedProgram(const std::string& name);
    // Stores `seed` as the program's settings and starts it; its main window,
    // null when none showed.
    const Window& start(const Settings& seed);
    // Closes the main window as its close box does; whether the program ended.
    bool close() const;

    TempFolder tmp;
    testing_support::Tasks tasks;
    Program program;
    Window main;
};

// Notepad, another program's window to type into or to stack against.
class Notepad {
public:
    Notepad();
    ~Notepad();
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;
    // Its window once shown; null when it did not start or show.
    HWND window() const { return window_; }
    // Closes it as its close box does, answering "no" to saving what was typed.
    void close();

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The main window's settings for a run: window placement in pixels, no
// features the test did not ask for.
Settings mainWindowAt(int leftPx, int topPx);

}  // namespace drive
