#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace app {

// The way to the program's error output that never holds the program: text
// is queued and written by a thread of its own, so an output nobody reads (a
// full pipe, a stopped terminal) stalls only that thread. What does not fit
// in the queue is dropped, and that is said once. The thread starts with
// the first text, so a run that says nothing costs no thread.
class TraceOutput {
public:
    // Writes all of the text, blocking as long as it takes; false when the
    // output is gone for good (nothing more is tried then).
    using Sink = std::function<bool(const std::string& text)>;

    explicit TraceOutput(Sink sink, std::size_t capacity = 64 * 1024);
    // Waits up to `drainMs` for what is queued to be written, then leaves
    // the thread to the end of the process if it is still stuck.
    ~TraceOutput();
    TraceOutput(const TraceOutput&) = delete;
    TraceOutput& operator=(const TraceOutput&) = delete;

    // Queues the text; never blocks. Lines are queued whole or not at all.
    void write(const std::string& text);

    int drainMs = 1000;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    Sink sink_;  // handed to the thread when it starts
    std::size_t capacity_;
};

}  // namespace app
