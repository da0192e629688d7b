#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"

using platform::FakePlatform;
using Op = FakePlatform::Op;

TEST(FakePlatform, RecordsEveryCallInOrderWithItsVirtualTime) {
    form::VirtualClock clock;
    clock.set(500);
    FakePlatform fake(clock);
    fake.LaunchCommand("notepad a.txt", 1);
    fake.Sleep(1000);
    fake.CountProcesses("x.exe");
    fake.SetTopMost(7, true);
    ASSERT_EQ(fake.calls().size(), 4u);
    EXPECT_EQ(fake.calls()[0].op, Op::LaunchCommand);
    EXPECT_EQ(fake.calls()[0].text, "notepad a.txt");
    EXPECT_EQ(fake.calls()[0].at, 500);
    EXPECT_EQ(fake.calls()[1].number, 1000);
    EXPECT_EQ(fake.calls()[1].at, 500) << "stamped when the sleep began";
    EXPECT_EQ(fake.calls()[2].at, 1500);
    EXPECT_EQ(clock.now(), 1500);
    EXPECT_EQ(fake.calls()[3].number, 7);
    EXPECT_TRUE(fake.calls()[3].on);
    EXPECT_EQ(fake.callsOf(Op::Sleep).size(), 1u);
}

TEST(FakePlatform, AnswersFromItsScript) {
    form::VirtualClock clock;
    FakePlatform fake(clock);
    fake.failLaunch("bad", "program not found: bad");
    EXPECT_EQ(fake.LaunchCommand("bad", 1).error, "program not found: bad");
    EXPECT_TRUE(fake.LaunchCommand("good", 1).ok);

    fake.setProcessCountUntil("setup.exe", 2, 3000);
    EXPECT_EQ(fake.CountProcesses("setup.exe").count, 2);
    clock.set(3000);
    EXPECT_EQ(fake.CountProcesses("setup.exe").count, 0);
    fake.setProcessCount("setup.exe", 1);
    EXPECT_EQ(fake.CountProcesses("setup.exe").count, 1);
    EXPECT_EQ(fake.CountProcesses("").count, 0);
    fake.failProcessQueries(true);
    EXPECT_FALSE(fake.CountProcesses("setup.exe").ok);
    fake.failProcessQueries(false);
    EXPECT_TRUE(fake.CountProcesses("setup.exe").ok);

    fake.setForegroundWindow(42);
    EXPECT_EQ(fake.GetForegroundWindow(), 42u);
    EXPECT_FALSE(fake.SetTopMost(0, true).ok);
    fake.SetTopMost(42, true);
    fake.SetTopMost(42, false);
    EXPECT_FALSE(fake.isTopMost(42));
}

TEST(FakePlatform, NumLockFlipsPerPressAndCanBeUnavailable) {
    form::VirtualClock clock;
    FakePlatform fake(clock);
    fake.SendNumLock();
    EXPECT_TRUE(fake.numLockOn());
    fake.SendNumLock();
    EXPECT_FALSE(fake.numLockOn());
    fake.failNumLock(true);
    EXPECT_FALSE(fake.SendNumLock().ok);
    EXPECT_FALSE(fake.numLockOn());
}

TEST(FakePlatform, ChooserAnswersInOrderAndCancelsWhenItHasNoneLeft) {
    form::VirtualClock clock;
    FakePlatform fake(clock);
    fake.queueChooserAnswer(std::nullopt);
    fake.queueChooserAnswer("/usr/bin/a");
    EXPECT_EQ(fake.ChooseFileToRun("Select File To Run", "F", "exe", "/opt"), std::nullopt);
    EXPECT_EQ(fake.ChooseFileToRun("Select File To Run", "F", "exe", "/opt"), "/usr/bin/a");
    EXPECT_EQ(fake.ChooseFileToRun("Select File To Run", "F", "exe", "/opt"), std::nullopt);
    ASSERT_EQ(fake.chooserRequests().size(), 3u);
    EXPECT_EQ(fake.chooserRequests()[2].startFolder, "/opt");
}
