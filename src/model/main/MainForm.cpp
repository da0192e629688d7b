#include "model/main/MainForm.h"

#include "form/TimeValue.h"
#include "model/main/Look.h"
#include "settings/WriteGroup.h"

namespace model {

namespace keys = settings::keys;
using form::colour::Black;
using form::colour::Green;
using form::colour::Red;

namespace {

const form::Font kDefaultFont{};  // MS Sans Serif 8.25 regular
const form::Font kCountdownFont{"MS Sans Serif", 13.5, true};

}  // namespace

std::string slotName(int n, const char* what) {
    return "TASK_" + std::to_string(n) + "_" + what;
}

SlotRow::SlotRow(form::Window& window, int number)
    : n(number),
      light(window, slotName(number, "LIGHT"), std::to_string(number)),
      enable(window, slotName(number, "ENABLE_TICKBOX"), "TASK" + std::to_string(number)),
      pause(window, slotName(number, "PAUSE_TICKBOX"), "P-4-P"),
      command(slotName(number, "CMD_TEXTBOX")),
      processName(slotName(number, "PROCESS_NAME_TEXTBOX")),
      mainTimer(window.scheduler().create(slotName(number, "MAIN_TIMER"))),
      watcherTimer(window.scheduler().create(slotName(number, "WATCHER_TIMER"))) {
    const int top = 2400 + 240 * (number - 1);
    light.box = {120, top, 375, 255};
    light.font = look::arialBold(8.25);
    light.readOnly = true;
    light.centred = true;
    light.tabIndex = 55 + number;
    enable.box = {600, top, 4095, 255};
    enable.font = look::arialBold(9.75);
    enable.tabIndex = 7 + 2 * number;
    pause.box = {4800, top, 735, 255};
    pause.tabIndex = 8 + 2 * number;
    const std::string slot = "Task " + std::to_string(number);
    light.setAccessibleName(slot + " light");
    pause.setAccessibleName("P-4-P, task " + std::to_string(number));
    enable.setAccessibleName(slot);
    tell(Light::Waiting);
}

void SlotRow::tell(Light what, const std::string& detail) {
    static constexpr const char* kWords[] = {
        "waiting", "started", "skipped", "could not start", "", "could not look for running programs"};
    const bool failed = what == Light::CouldNotStart || what == Light::CouldNotWatch;
    if (failed) failedAs = what;
    light.setAccessibleDescription(failed ? detail : std::string());
    // A reader falls back on the tooltip: a reset light must not keep the old reason there.
    if (what == Light::Waiting) light.setToolTip("");
    light.setStateWords(what == Light::WaitingForProgram ? "started, waiting for \"" + detail + "\" to end"
                                                         : kWords[static_cast<int>(what)]);
}

void SlotRow::setCaption(const std::string& caption) {
    enable.setCaption(caption);
    const std::string slot = "Task " + std::to_string(n);
    const bool own = !caption.empty() && caption != "TASK " + std::to_string(n);
    enable.setAccessibleName(own ? slot + ": " + caption : slot);
}

MainForm::MainForm(form::Scheduler& scheduler, settings::Store& store, std::string executableName,
                   platform::Platform& platform)
    : form::Window("VELMORA_MAIN", scheduler),
      AUTOSTART_TIMER(scheduler.create("AUTOSTART_TIMER")),
      AUTOCLOSE_TIMER(scheduler.create("AUTOCLOSE_TIMER")),
      AlwaysOnTopTimer(scheduler.create("AlwaysOnTopTimer")),
      HEARTBEAT_TIMER(scheduler.create("HEARTBEAT_TIMER")),
      NUMLOCK_TIMER_1(scheduler.create("NUMLOCK_TIMER_1")),
      NUMLOCK_TIMER_2(scheduler.create("NUMLOCK_TIMER_2")),
      store_(store),
      executableName_(std::move(executableName)),
      platform_(platform) {
    for (int n = 1; n <= kSlots; ++n) slots_[n - 1] = std::make_unique<SlotRow>(*this, n);
    for (int k = 1; k <= 16; ++k)
        RIVA_RED_TIMER[k - 1] = &scheduler.create("RIVA_RED_TIMER_" + std::to_string(k));
    // Declared after the background, so the lamps lie above it.
    for (int k = 1; k <= 7; ++k)
        RIVA_LABEL[k - 1] = std::make_unique<form::Label>(*this, "RIVA_LABEL_" + std::to_string(k));
    // The one timer that starts enabled; it has no interval until start-up.
    AlwaysOnTopTimer.setEnabled(true);
    caption = "VELMORA";
    clientWidth = 15885;
    clientHeight = 10830;
    layOut();
    declareStored();
    wireDesktopFeatures();
}

void MainForm::layOut() {
    const form::Font title = look::arialBold(9.75);
    look::banner(TARNHOLT_TITLE, {120, 120, 2295, 315});
    look::banner(APP_EXE_NAME_LABEL, {2520, 120, 3135, 315});

    // Tick boxes and buttons in the window's default font.
    auto plain = [&](form::Control& c, form::Rect r, int tab) {
        c.box = r;
        c.font = kDefaultFont;
        c.tabIndex = tab;
    };
    auto& tick = plain;
    tick(AUTOSTART_TICKBOX, {480, 480, 1455, 195}, 3);
    tick(AUTOCLOSE_TICKBOX, {2880, 480, 2175, 195}, 5);
    tick(AlwaysOnTopTimer_TICKBOX, {480, 720, 1455, 195}, 4);
    tick(RIVA_AUTOSTART_TICKBOX, {2880, 720, 2415, 195}, 6);
    // Ticked in the window's initial state, before anything is restored.
    AlwaysOnTopTimer_TICKBOX.setValue(1);

    LAST_RUN_LABEL.box = {240, 1080, 975, 255};
    LAST_RUN_LABEL.font = title;
    auto display = [&](form::TextBox& t, form::Rect r, form::Font f, int tab) {
        t.box = r;
        t.font = std::move(f);
        t.readOnly = true;
        t.centred = true;
        t.tabIndex = tab;
    };
    display(LAST_RUN_TEXTBOX, {1200, 1080, 4335, 330}, title, 127);
    display(AUTOSTART_TIMER_TEXTBOX, {240, 1680, 735, 435}, kCountdownFont, 50);
    display(AUTOCLOSE_TIMER_TEXTBOX, {4800, 1680, 735, 435}, kCountdownFont, 52);
    AUTOSTART_TIMER_TEXTBOX.setBackColour(form::colour::PaleMagenta);
    AUTOCLOSE_TIMER_TEXTBOX.setBackColour(form::colour::PaleMagenta);
    display(HEARTBEAT_COUNTDOWN_TEXTBOX, {240, 7560, 1455, 405}, look::arialBold(14.25), 118);
    HEARTBEAT_COUNTDOWN_TEXTBOX.setBackColour(Black);
    HEARTBEAT_COUNTDOWN_TEXTBOX.setForeColour(Green);

    auto& button = plain;
    button(AUTOSTART_START_BUTTON, {1200, 1680, 975, 375}, 0);
    button(SETTINGS_BUTTON, {2400, 1680, 1095, 375}, 1);
    button(AUTOCLOSE_START_BUTTON, {3720, 1680, 855, 375}, 2);
    AUTOCLOSE_START_BUTTON.setEnabled(false);
    button(RIVA_START_BUTTON, {1800, 7560, 855, 375}, 7);
    button(ABOUT_BUTTON, {4800, 7560, 735, 375}, 8);

    RIVA_BACKGROUND_LABEL.box = {2760, 7560, 1935, 375};
    RIVA_BACKGROUND_LABEL.setBackColour(Black);
    for (int k = 1; k <= 7; ++k) {
        form::Label& lamp = *RIVA_LABEL[k - 1];
        lamp.box = {2880 + 240 * (k - 1), 7680, 255, 135};
        lamp.setBackColour(Red);
    }

    nameForPeople();

    CMD_HEADING.box = {6480, 240, 1695, 255};
    CMD_HEADING.font = look::arialBold(8.25);
    PROCESS_HEADING.box = {9840, 240, 2295, 255};
    PROCESS_HEADING.font = look::arialBold(8.25);

    for (int y : {960, 1440, 2280, 7320})
        lines.push_back({120, y, 5640, y, form::colour::SystemWindowText, 1});
    for (int y : {1560, 2160, 7440, 8040}) lines.push_back({120, y, 5640, y, Green, 3});
}

// What a screen reader reads where a caption does not say it; the lamps, their
// background and the headings nobody sees stay out of its way.
void MainForm::nameForPeople() {
    AUTOSTART_START_BUTTON.setAccessibleName("{} autostart countdown");
    AUTOCLOSE_START_BUTTON.setAccessibleName("{} autoclose countdown");
    RIVA_START_BUTTON.setAccessibleName("{} heartbeat");
    AUTOSTART_TIMER_TEXTBOX.setAccessibleName("AutoStart countdown");
    AUTOCLOSE_TIMER_TEXTBOX.setAccessibleName("AutoClose countdown");
    HEARTBEAT_COUNTDOWN_TEXTBOX.setAccessibleName("Heartbeat: next NumLock pulse in");
    LAST_RUN_TEXTBOX.setAccessibleName("Last run");
    LAST_RUN_LABEL.labelFor = &LAST_RUN_TEXTBOX;
    TARNHOLT_TITLE.heading = APP_EXE_NAME_LABEL.heading = true;
    for (form::TextBox* countdown : {&AUTOSTART_TIMER_TEXTBOX, &AUTOCLOSE_TIMER_TEXTBOX})
        countdown->readAs = {{"-- --", "not counting"}};
    for (form::Label* quiet : {&RIVA_BACKGROUND_LABEL, &CMD_HEADING, &PROCESS_HEADING})
        quiet->decoration = true;
    for (auto& lamp : RIVA_LABEL) lamp->decoration = true;
}

// In the order a shut-down writes them.
void MainForm::declareStored() {
    stored_.tick(AlwaysOnTopTimer_TICKBOX, keys::AlwaysOnTopTick);
    stored_.tick(AUTOSTART_TICKBOX, keys::AutostartTick);
    stored_.tick(AUTOCLOSE_TICKBOX, keys::AutocloseTick);
    stored_.tick(RIVA_AUTOSTART_TICKBOX, keys::RivaAutostartTick);
    for (int n = 1; n <= kSlots; ++n) stored_.tick(slot(n).enable, keys::taskEnable(n));
    for (int n = 1; n <= kSlots; ++n) stored_.tick(slot(n).pause, keys::taskPause(n));
    stored_.text(LAST_RUN_TEXTBOX, keys::LastRun);
    // The settings windows save these.
    for (int n = 1; n <= kSlots; ++n) {
        SlotRow& s = slot(n);
        stored_.loadOnly(keys::taskCaption(n), [&s](const std::string& v) { s.setCaption(v); });
        stored_.loadOnly(keys::taskCommand(n), [&s](const std::string& v) { s.command = v; });
        stored_.loadOnly(keys::taskProcessName(n), [&s](const std::string& v) { s.processName = v; });
    }
}

void MainForm::Form_Load() {
    APP_EXE_NAME_LABEL.setCaption(executableName_);
    caption = "VELMORA - " + APP_EXE_NAME_LABEL.caption();
    place_.restore(*this);
    stored_.load();

    AUTOSTART_REMAINING = form::timeValue("00:00:11");
    AUTOCLOSE_REMAINING = form::timeValue("00:00:11");
    HEARTBEAT_REMAINING = form::timeValue("00:05:01");

    for (form::Timer* t : {&AlwaysOnTopTimer, &AUTOSTART_TIMER, &AUTOCLOSE_TIMER, &HEARTBEAT_TIMER})
        t->setInterval(1000);
    for (int n = 1; n <= kSlots; ++n) slot(n).mainTimer.setInterval(1000);
    for (int n = 1; n <= kSlots; ++n) slot(n).watcherTimer.setInterval(1000);

    const bool success = LAST_RUN_TEXTBOX.text() == "COMPLETED SUCCESSFULLY";
    LAST_RUN_TEXTBOX.setBackColour(success ? Green : Red);
    LAST_RUN_TEXTBOX.setForeColour(Black);

    for (form::Timer* t : RIVA_RED_TIMER) {
        t->setEnabled(false);
        t->setInterval(100);
    }
    for (form::Timer* t : {&NUMLOCK_TIMER_1, &NUMLOCK_TIMER_2}) {
        t->setEnabled(false);
        t->setInterval(750);
    }
    for (auto& lamp : RIVA_LABEL) lamp->setBackColour(Red);

    AlwaysOnTopTimer.setEnabled(AlwaysOnTopTimer_TICKBOX.ticked());

    const bool autostart = AUTOSTART_TICKBOX.ticked();
    AUTOSTART_START_BUTTON.setCaption(autostart ? "STOP" : "START");
    SETTINGS_BUTTON.setEnabled(!autostart);
    AUTOSTART_TIMER.setEnabled(autostart);

    const bool riva = RIVA_AUTOSTART_TICKBOX.ticked();
    HEARTBEAT_TIMER.setEnabled(riva);
    keepAwake(riva);
    RIVA_RED_TIMER[0]->setEnabled(riva);
    RIVA_START_BUTTON.setCaption(riva ? "STOP" : "START");

    if (checkDesktopOnLoad) checkDesktopFeatures();
}

void MainForm::Form_Unload() {
    if (shutDown_) return;
    shutDown_ = true;
    finishNumLockPulse();
    keepAwake(false);
    // All of it in one replace of the settings file: a shut-down cut short
    // leaves the old values or the new ones, never a mix.
    store_.sessionEnding();
    settings::WriteGroup group(store_);
    place_.store(*this);
    stored_.save();
    // The backend has said it on the error output; the program tells the
    // user too once the window is gone (see shutdownSaveFailure).
    if (const platform::Result saved = group.end(); !saved.ok)
        shutdownSaveFailure_ = settings::shutdownFailureReason(saved);
}

}  // namespace model
