#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "form/Scheduler.h"
#include "form/Window.h"
#include "model/main/Stored.h"
#include "model/main/WindowPlace.h"
#include "platform/Platform.h"
#include "settings/Keys.h"
#include "settings/Store.h"

namespace model {

using settings::keys::kSlots;

// The name of slot n's control or timer `what`: TASK_n_<what>.
std::string slotName(int n, const char* what);

// What a slot's light says in words, beside its colour, for those who cannot
// see it (its state words; why it failed is its description).
enum class Light { Waiting, Started, Skipped, CouldNotStart, WaitingForProgram, CouldNotWatch };

// One task slot: its visible row, its two hidden texts and its two timers.
struct SlotRow {
    SlotRow(form::Window& window, int n);

    // The light's words: "waiting", "started", "skipped", "could not start"
    // (why: `detail`), "started, waiting for "<detail>" to end", "could not
    // look for running programs" (why: `detail`).
    void tell(Light what, const std::string& detail = {});
    // The slot's caption on its tick box, read "Task 7: <caption>" where the
    // caption is the slot's own rather than the default.
    void setCaption(const std::string& caption);

    const int n;
    Light failedAs = Light::Waiting;  // how it last failed, said at the pass's end even once reset
    form::TextBox light;        // TASK_n_LIGHT: the status light, shows n
    form::TickBox enable;       // TASK_n_ENABLE_TICKBOX: caption is the slot's name
    form::TickBox pause;        // TASK_n_PAUSE_TICKBOX: "P-4-P"
    std::string command;        // TASK_n_CMD_TEXTBOX (never shown)
    std::string processName;    // TASK_n_PROCESS_NAME_TEXTBOX (never shown)
    form::Timer& mainTimer;     // TASK_n_MAIN_TIMER
    form::Timer& watcherTimer;  // TASK_n_WATCHER_TIMER
};

// Model of the main window VELMORA_MAIN: every control in its initial state,
// start-up and shut-down. Toolkit-free; a view renders it and forwards the
// user's clicks. Features add their handlers to the controls before Form_Load.
class MainForm : public form::Window {
public:
    MainForm(form::Scheduler& scheduler, settings::Store& store, std::string executableName,
             platform::Platform& platform);

    form::Label TARNHOLT_TITLE{*this, "TARNHOLT_TITLE", "TARNHOLT"};
    form::Label APP_EXE_NAME_LABEL{*this, "APP_EXE_NAME_LABEL", "APP_EXE_NAME"};
    form::TickBox AUTOSTART_TICKBOX{*this, "AUTOSTART_TICKBOX", "AutoStart Timer"};
    form::TickBox AUTOCLOSE_TICKBOX{*this, "AUTOCLOSE_TICKBOX", "AutoClose When Finished"};
    form::TickBox AlwaysOnTopTimer_TICKBOX{*this, "AlwaysOnTopTimer_TICKBOX", "Always On Top"};
    form::TickBox RIVA_AUTOSTART_TICKBOX{*this, "RIVA_AUTOSTART_TICKBOX", "AutoStart RIVA HeartBeat"};
    form::Label LAST_RUN_LABEL{*this, "LAST_RUN_LABEL", "Last Run:"};
    form::TextBox LAST_RUN_TEXTBOX{*this, "LAST_RUN_TEXTBOX", "SUCCESS / AUTOCLOSE-TIMER"};
    form::TextBox AUTOSTART_TIMER_TEXTBOX{*this, "AUTOSTART_TIMER_TEXTBOX", "00"};
    form::Button AUTOSTART_START_BUTTON{*this, "AUTOSTART_START_BUTTON", "START"};
    form::Button SETTINGS_BUTTON{*this, "SETTINGS_BUTTON", "Settings"};
    form::Button AUTOCLOSE_START_BUTTON{*this, "AUTOCLOSE_START_BUTTON", "START"};
    form::TextBox AUTOCLOSE_TIMER_TEXTBOX{*this, "AUTOCLOSE_TIMER_TEXTBOX", "00"};
    form::TextBox HEARTBEAT_COUNTDOWN_TEXTBOX{*this, "HEARTBEAT_COUNTDOWN_TEXTBOX", "00:00:00"};
    form::Button RIVA_START_BUTTON{*this, "RIVA_START_BUTTON", "START"};
    form::Label RIVA_BACKGROUND_LABEL{*this, "RIVA_BACKGROUND_LABEL"};
    std::array<std::unique_ptr<form::Label>, 7> RIVA_LABEL;  // RIVA_LABEL_1..7 at [0..6]
    form::Button ABOUT_BUTTON{*this, "ABOUT_BUTTON", "About"};
    // Headings over the hidden slot texts; outside the visible area.
    form::Label CMD_HEADING{*this, "CMD_HEADING", "Full Run Command"};
    form::Label PROCESS_HEADING{*this, "PROCESS_HEADING", " P-4-P - Process.exe Name"};

    SlotRow& slot(int n) { return *slots_.at(static_cast<std::size_t>(n - 1)); }
    const SlotRow& slot(int n) const { return *slots_.at(static_cast<std::size_t>(n - 1)); }

    form::Timer& AUTOSTART_TIMER;
    form::Timer& AUTOCLOSE_TIMER;
    form::Timer& AlwaysOnTopTimer;
    std::array<form::Timer*, 16> RIVA_RED_TIMER{};  // RIVA_RED_TIMER_1..16 at [0..15]
    form::Timer& HEARTBEAT_TIMER;
    form::Timer& NUMLOCK_TIMER_1;
    form::Timer& NUMLOCK_TIMER_2;

    // Countdown values: times of day as fractions of a day.
    double AUTOSTART_REMAINING = 0;
    double AUTOCLOSE_REMAINING = 0;
    double HEARTBEAT_REMAINING = 0;

    // Start-up: restores the window from the store and arms what its ticks ask.
    void Form_Load() override;
    // Shut-down: writes position, ticks and the status line. Runs once.
    void Form_Unload() override;
    // Why shut-down could not write them; empty when it could (or has not run).
    const std::string& shutdownSaveFailure() const { return shutdownSaveFailure_; }

    // Always on top (AlwaysOnTop.cpp).
    void AlwaysOnTopTimer_Timer();
    void AlwaysOnTopTimer_TICKBOX_Click();
    // Scanner (Scanner.cpp); step n = 1..16 is RIVA_RED_TIMER_n's tick.
    void RIVA_START_BUTTON_Click();
    void RIVA_RED_TIMER_Timer(int n);
    // Heartbeat and NumLock keep-alive (Heartbeat.cpp).
    void HEARTBEAT_TIMER_Timer();
    void NUMLOCK_TIMER_1_Timer();
    void NUMLOCK_TIMER_2_Timer();
    void HEARTBEAT_COUNTDOWN_TEXTBOX_DblClick();

    // The open window's native handle, asked anew at each use; 0 while there
    // is none. The view provides it.
    std::function<platform::WindowHandle()> windowHandle;
    // Whether a native handle is another open window of this program (one
    // shown modally over this one). The view provides it.
    std::function<bool(platform::WindowHandle)> ownsWindow;
    // A desktop feature that cannot work here, said once per feature (the
    // program prints it on standard error); the affected control's tooltip
    // says so too.
    std::function<void(const std::string&)> onNotice;

    // Asks the platform which desktop features work here and says once what
    // does not. Form_Load does it unless told to leave it to the program,
    // which may ask once the window is on screen.
    bool checkDesktopOnLoad = true;
    void checkDesktopFeatures();

    const std::string& executableName() const { return executableName_; }
    settings::Store& store() { return store_; }

protected:
    // The program's timers all stop when the main window goes.
    void stopTimers() override { scheduler().disableAll(); }

private:
    void layOut();
    void nameForPeople();
    void declareStored();
    void wireDesktopFeatures();
    void unavailable(platform::DesktopFeature feature, const std::string& why);
    void announceKeepAlive(const std::string& shortfall);
    platform::WindowHandle mainHandle() const { return windowHandle ? windowHandle() : 0; }
    void finishNumLockPulse();
    // Asks the platform to keep the session from idling while the heartbeat
    // runs (on) or no longer (off); asks nothing when that is already so.
    void keepAwake(bool on);

    settings::Store& store_;
    std::string executableName_;
    platform::Platform& platform_;
    WindowPlace place_{store_, "MAIN"};
    Stored stored_{store_};
    std::array<std::unique_ptr<SlotRow>, kSlots> slots_;
    bool shutDown_ = false;
    std::string shutdownSaveFailure_;
    bool keyInjectionAnnounced_ = false;
    bool awake_ = false;          // keep-awake asked for and not withdrawn
    platform::Result keepAwake_;  // what the platform said of keeping awake at start-up
    bool windowStackingAnnounced_ = false;
};

}  // namespace model
