// Termination signals arrive as calls on the event loop.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "app/linux/QtTerminationSignals.h"

namespace {

std::vector<int> waitForSignals(const std::vector<int>& got, std::size_t count) {
    QElapsedTimer t;
    t.start();
    while (got.size() < count && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return got;
}

TEST(QtTerminationSignals, TermIntAndHupBecomeCallsInsteadOfDeath) {
    std::vector<int> got;
    app::QtTerminationSignals bridge([&](int s) { got.push_back(s); });
    ASSERT_TRUE(bridge.active());
    std::raise(SIGTERM);
    EXPECT_TRUE(got.empty()) << "the call waits for the event loop, never inside the handler";
    std::raise(SIGINT);
    std::raise(SIGHUP);
    EXPECT_EQ(waitForSignals(got, 3), (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
}

}  // namespace
