// The way to the error output never holds the program: an output nobody
// reads stalls only the trace's own thread, and what does not fit is dropped
// with one notice.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "app/TraceOutput.h"

namespace {

using namespace std::chrono_literals;

// An output that takes nothing until opened, then records what it is given.
struct StuckOutput {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::vector<std::string> written;

    app::TraceOutput::Sink sink() {
        return [this](const std::string& text) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return open; });
            written.push_back(text);
            changed.notify_all();
            return true;
        };
    }
    void release() {
        const std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    std::vector<std::string> waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, 5s, [&] { return written.size() >= count; });
        return written;
    }
};

TEST(TraceOutput, AnOutputNobodyReadsDropsWhatDoesNotFitSaysSoOnceAndHoldsNothing) {
    StuckOutput output;
    const std::string line(100, 'x');
    std::vector<std::string> got;
    {
        app::TraceOutput trace(output.sink(), 250);  // room for two lines
        trace.drainMs = 5000;
        const auto start = std::chrono::steady_clock::now();
        // The first line may already be with the stuck output; at most two more wait.
        for (int i = 0; i < 1000; ++i) trace.write(line + std::to_string(i) + "\n");
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "a write waited for the output";
        output.release();
    }  // the end waits for the rest to be written
    // The line under way and the one queued, then the notice.
    got = output.waitFor(3);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], line + "0\n");
    EXPECT_EQ(got[1], line + "1\n");
    EXPECT_EQ(got.back(),
              "velmora: the error output is not being read; trace lines that do not fit are dropped\n");
}

TEST(TraceOutput, AReadOutputGetsEveryLineInOrderBeforeTheEnd) {
    StuckOutput output;
    output.release();
    {
        app::TraceOutput trace(output.sink());
        for (int i = 0; i < 50; ++i) trace.write(std::to_string(i) + "\n");
    }
    const auto got = output.waitFor(50);
    ASSERT_EQ(got.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(got[static_cast<std::size_t>(i)], std::to_string(i) + "\n");
}

TEST(TraceOutput, AnOutputThatNeverOpensDoesNotHoldTheEnd) {
    auto output = std::make_shared<StuckOutput>();
    const auto start = std::chrono::steady_clock::now();
    {
        app::TraceOutput trace([output](const std::string& text) { return output->sink()(text); });
        trace.drainMs = 100;
        trace.write("never written\n");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    output->release();  // lets the left thread finish
    EXPECT_EQ(output->waitFor(1).size(), 1u);
}

}  // namespace
