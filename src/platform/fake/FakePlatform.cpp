#include "platform/fake/FakePlatform.h"

namespace platform {

void FakePlatform::record(Op op, std::string text, long long number, bool on) {
    calls_.push_back({op, std::move(text), number, on, clock_.now()});
}

std::vector<FakePlatform::Call> FakePlatform::callsOf(Op op) const {
    std::vector<Call> found;
    for (const auto& call : calls_)
        if (call.op == op) found.push_back(call);
    return found;
}

Result FakePlatform::LaunchCommand(const std::string& command, int windowStyle) {
    record(Op::LaunchCommand, command, windowStyle);
    const auto failure = launchFailures_.find(command);
    if (failure != launchFailures_.end()) return Result::failure(failure->second);
    return Result::success();
}

void FakePlatform::Sleep(int ms) {
    record(Op::Sleep, {}, ms);
    if (ms > 0) clock_.advance(ms);
}

ProcessQuery FakePlatform::CountProcesses(const std::string& name) {
    record(Op::CountProcesses, name);
    if (queryFailure_) return {false, 0, *queryFailure_};
    const auto found = processes_.find(name);
    if (found == processes_.end() || name.empty()) return {};
    const Running& running = found->second;
    if (running.endsAt && clock_.now() >= *running.endsAt) return {};
    return {true, running.count, {}};
}

Result FakePlatform::SendNumLock() {
    record(Op::SendNumLock, {});
    if (numLockFailure_) return Result::failure(*numLockFailure_);
    numLockOn_ = !numLockOn_;
    return Result::success();
}

WindowHandle FakePlatform::GetForegroundWindow() {
    record(Op::GetForegroundWindow, {});
    return foreground_;
}

Result FakePlatform::SetTopMost(WindowHandle window, bool on) {
    record(Op::SetTopMost, {}, static_cast<long long>(window), on);
    if (window == 0) return Result::failure("no window");
    if (on)
        topMost_.insert(window);
    else
        topMost_.erase(window);
    return Result::success();
}

Result FakePlatform::KeepAwake(bool on) {
    record(Op::KeepAwake, {}, 0, on);
    if (on) {
        if (const Result usable = Available(DesktopFeature::KeepAwake); !usable.ok) return usable;
    }
    keepingAwake_ = on;
    return Result::success();
}

Result FakePlatform::Available(DesktopFeature feature) {
    const auto found = unavailable_.find(feature);
    if (found == unavailable_.end() || found->second.empty()) {
        const auto note = notes_.find(feature);
        return Result::success(note == notes_.end() ? std::string() : note->second);
    }
    return Result::failure(found->second);
}

std::optional<std::string> FakePlatform::ChooseFileToRun(const std::string& title, const std::string& filter,
                                                         const std::string& defaultExtension,
                                                         const std::string& startFolder) {
    record(Op::ChooseFileToRun, title);
    chooserRequests_.push_back({title, filter, defaultExtension, startFolder});
    if (chooserAnswers_.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(chooserAnswers_.front());
    chooserAnswers_.pop_front();
    return answer;
}

std::string FakePlatform::ProgramFolder() {
    record(Op::ProgramFolder, {});
    return programFolder_;
}

void FakePlatform::failLaunch(const std::string& command, std::string reason) {
    launchFailures_[command] = std::move(reason);
}

void FakePlatform::setProcessCount(const std::string& name, int count) {
    processes_[name] = {count, std::nullopt};
}

void FakePlatform::setProcessCountUntil(const std::string& name, int count, form::Millis endsAt) {
    processes_[name] = {count, endsAt};
}

void FakePlatform::failProcessQueries(bool fail, std::string reason) {
    if (fail)
        queryFailure_ = std::move(reason);
    else
        queryFailure_.reset();
}

void FakePlatform::failNumLock(bool fail, std::string reason) {
    if (fail)
        numLockFailure_ = std::move(reason);
    else
        numLockFailure_.reset();
}

void FakePlatform::queueChooserAnswer(std::optional<std::string> path) {
    chooserAnswers_.push_back(std::move(path));
}

}  // namespace platform
