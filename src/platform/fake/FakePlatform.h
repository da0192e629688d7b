#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "form/Clock.h"
#include "platform/Platform.h"

namespace platform {

// A platform for tests: it records every call with the virtual time it came
// at, answers from a script, and lets Sleep move the virtual clock.
class FakePlatform final : public Platform {
public:
    enum class Op {
        LaunchCommand,
        Sleep,
        CountProcesses,
        SendNumLock,
        GetForegroundWindow,
        SetTopMost,
        KeepAwake,
        ChooseFileToRun,
        ProgramFolder
    };

    struct Call {
        Op op;
        std::string text;      // command, process name or chooser title
        long long number = 0;  // Sleep: ms; LaunchCommand: window style; SetTopMost: window
        bool on = false;       // SetTopMost's and KeepAwake's flag
        form::Millis at = 0;   // virtual time of the call
    };

    explicit FakePlatform(form::VirtualClock& clock) : clock_(clock) {}

    Result LaunchCommand(const std::string& command, int windowStyle) override;
    void Sleep(int ms) override;
    ProcessQuery CountProcesses(const std::string& name) override;
    Result SendNumLock() override;
    WindowHandle GetForegroundWindow() override;
    Result SetTopMost(WindowHandle window, bool on) override;
    Result KeepAwake(bool on) override;
    Result Available(DesktopFeature feature) override;
    std::optional<std::string> ChooseFileToRun(const std::string& title, const std::string& filter,
                                               const std::string& defaultExtension,
                                               const std::string& startFolder) override;
    std::string ProgramFolder() override;

    // --- the record ---
    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> callsOf(Op op) const;
    void clearCalls() { calls_.clear(); }
    // What each chooser call was given, in order.
    struct ChooserRequest {
        std::string title, filter, defaultExtension, startFolder;
    };
    const std::vector<ChooserRequest>& chooserRequests() const { return chooserRequests_; }

    // --- the script ---
    // Launching exactly this command text fails with `reason`.
    void failLaunch(const std::string& command, std::string reason);
    // `count` processes of that name run from now on (0 ends them).
    void setProcessCount(const std::string& name, int count);
    // `count` processes of that name run until virtual time `endsAt`, then none.
    void setProcessCountUntil(const std::string& name, int count, form::Millis endsAt);
    // While set, every process query fails with `reason`.
    void failProcessQueries(bool fail, std::string reason = "process table unavailable");
    void failNumLock(bool fail, std::string reason = "no X11 display");
    void setForegroundWindow(WindowHandle window) { foreground_ = window; }
    // The feature reports itself unavailable for `reason` (empty: available).
    // An unavailable KeepAwake also fails every request to hold it.
    void setUnavailable(DesktopFeature feature, std::string reason) {
        unavailable_[feature] = std::move(reason);
    }
    // An available feature's note (see Result); KeepAwake's names a test inhibitor
    // unless set otherwise.
    void setNote(DesktopFeature feature, std::string note) { notes_[feature] = std::move(note); }
    void setProgramFolder(std::string folder) { programFolder_ = std::move(folder); }
    // The chooser's next answers in order; nullopt is a cancel, as is a call
    // with none queued.
    void queueChooserAnswer(std::optional<std::string> path);

    // --- effects, for checking ---
    bool numLockOn() const { return numLockOn_; }
    bool isTopMost(WindowHandle window) const { return topMost_.count(window) != 0; }
    bool keepingAwake() const { return keepingAwake_; }

private:
    struct Running {
        int count = 0;
        std::optional<form::Millis> endsAt;
    };

    void record(Op op, std::string text, long long number = 0, bool on = false);

    form::VirtualClock& clock_;
    std::vector<Call> calls_;
    std::map<std::string, std::string> launchFailures_;
    std::map<std::string, Running> processes_;
    std::optional<std::string> queryFailure_;
    std::optional<std::string> numLockFailure_;
    WindowHandle foreground_ = 0;
    std::set<WindowHandle> topMost_;
    std::map<DesktopFeature, std::string> unavailable_;
    std::map<DesktopFeature, std::string> notes_{{DesktopFeature::KeepAwake, "the test inhibitor"}};
    std::deque<std::optional<std::string>> chooserAnswers_;
    std::vector<ChooserRequest> chooserRequests_;
    std::string programFolder_ = "/opt/velmora";
    bool numLockOn_ = false;
    bool keepingAwake_ = false;
};

}  // namespace platform
