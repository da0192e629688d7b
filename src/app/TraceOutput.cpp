#include "app/TraceOutput.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace app {

struct TraceOutput::Shared {
    std::mutex mutex;
    std::condition_variable queued, drained;
    std::deque<std::string> lines;
    std::size_t bytes = 0;
    bool started = false, stopping = false, writing = false, droppedSaid = false;
};

namespace {

constexpr const char* kDropped =
    "velmora: the error output is not being read; trace lines that do not fit are dropped\n";

void writeQueued(const std::shared_ptr<TraceOutput::Shared>& shared, const TraceOutput::Sink& sink) {
    bool gone = false;
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->queued.wait(lock, [&] { return shared->stopping || !shared->lines.empty(); });
        if (shared->lines.empty()) return;  // stopping with nothing left
        std::string text = std::move(shared->lines.front());
        shared->lines.pop_front();
        shared->writing = true;
        lock.unlock();
        if (!gone) gone = !sink(text);
        lock.lock();
        shared->bytes -= std::min(shared->bytes, text.size());
        shared->writing = false;
        if (shared->lines.empty()) shared->drained.notify_all();
    }
}

}  // namespace

TraceOutput::TraceOutput(Sink sink, std::size_t capacity)
    : shared_(std::make_shared<Shared>()), sink_(std::move(sink)), capacity_(capacity) {}

TraceOutput::~TraceOutput() {
    std::unique_lock lock(shared_->mutex);
    if (!shared_->started) return;
    shared_->stopping = true;
    shared_->queued.notify_all();
    shared_->drained.wait_for(lock, std::chrono::milliseconds(drainMs),
                              [&] { return shared_->lines.empty() && !shared_->writing; });
}

void TraceOutput::write(const std::string& text) {
    const std::lock_guard lock(shared_->mutex);
    if (shared_->stopping) return;
    if (!shared_->started) {
        shared_->started = true;
        // The thread keeps the shared state alive, even past this object
        // should its output never take another byte. Without a thread there
        // is no output: the program goes on without it.
        try {
            std::thread([shared = shared_, sink = std::move(sink_)] { writeQueued(shared, sink); }).detach();
        } catch (const std::system_error&) {
            shared_->stopping = true;
            return;
        }
    }
    if (shared_->bytes + text.size() > capacity_) {
        if (shared_->droppedSaid) return;
        shared_->droppedSaid = true;
        shared_->lines.emplace_back(kDropped);  // once, past the limit
    } else {
        shared_->lines.push_back(text);
        shared_->bytes += text.size();
    }
    shared_->queued.notify_one();
}

}  // namespace app
