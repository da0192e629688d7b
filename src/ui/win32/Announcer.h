#pragma once

#include <windows.h>

#include <string>

namespace ui::win32 {

// Says a sentence of a window to a screen reader while the user may be
// elsewhere: through UI Automation's notification where the system has it
// (Windows 10 1709 and later) and a client listens, else as an MSAA alert on a
// text of no size beside the window's controls, which reads the sentence.
class Announcer {
public:
    explicit Announcer(HWND window) : window_(window) {}
    void say(const std::string& sentence);
    // The alert's object, once an alert was raised; else nullptr.
    HWND alertObject() const { return alert_; }

private:
    bool notify(const std::wstring& sentence);
    void alert(const std::wstring& sentence);

    HWND window_;
    HWND alert_ = nullptr;
};

// Whether a screen reader says it runs (it sets the system's flag).
bool screenReaderRuns();

}  // namespace ui::win32
