#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace app {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the event loop, so that the
// program shuts down as if its window were closed (settings written) instead
// of dying on the spot. The signal handler only writes to a pipe; the call is
// made from the event loop, between handlers. A SIGHUP ignored when this is
// made (nohup) stays ignored. One instance at a time; its end puts back what
// each signal did before.
class QtTerminationSignals {
public:
    explicit QtTerminationSignals(std::function<void(int signal)> onSignal);
    ~QtTerminationSignals();
    QtTerminationSignals(const QtTerminationSignals&) = delete;
    QtTerminationSignals& operator=(const QtTerminationSignals&) = delete;

    // False when the pipe could not be made; the signals keep their defaults.
    bool active() const { return notifier_ != nullptr; }

private:
    void drain();

    std::function<void(int)> onSignal_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace app
