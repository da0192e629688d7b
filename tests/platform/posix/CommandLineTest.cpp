#include <gtest/gtest.h>

#include "platform/posix/CommandLine.h"
#include "platform/posix/Spawn.h"
#include "support/TempFolder.h"

using platform::posix::planLaunch;
using platform::posix::splitCommandLine;
using testing_support::kExecutable;
using testing_support::TempFolder;
using Words = std::vector<std::string>;

TEST(CommandLineSplit, BlanksSeparateWordsAndRunsOfBlanksCountOnce) {
    EXPECT_EQ(splitCommandLine("prog a b"), (Words{"prog", "a", "b"}));
    EXPECT_EQ(splitCommandLine("  prog \t a\t\tb  "), (Words{"prog", "a", "b"}));
    EXPECT_EQ(splitCommandLine(""), Words{});
    EXPECT_EQ(splitCommandLine(" \t "), Words{});
}

TEST(CommandLineSplit, DoubleQuotesGroupAndAreRemoved) {
    EXPECT_EQ(splitCommandLine(R"("/opt/My App/run" "two words")"), (Words{"/opt/My App/run", "two words"}));
    EXPECT_EQ(splitCommandLine(R"(a"b c"d e)"), (Words{"ab cd", "e"}));
    EXPECT_EQ(splitCommandLine("\"tab\there\""), (Words{"tab\there"}));
}

TEST(CommandLineSplit, EmptyQuotesGiveAnEmptyArgument) {
    EXPECT_EQ(splitCommandLine(R"(prog "" x "")"), (Words{"prog", "", "x", ""}));
}

TEST(CommandLineSplit, AnOpenQuoteRunsToTheEnd) {
    EXPECT_EQ(splitCommandLine(R"(prog "a b)"), (Words{"prog", "a b"}));
}

TEST(CommandLineSplit, NothingIsExpanded) {
    EXPECT_EQ(splitCommandLine(R"(echo $HOME * ~ ~/x 'q' \n ${PATH} `id` a;b|c)"),
              (Words{"echo", "$HOME", "*", "~", "~/x", "'q'", "\\n", "${PATH}", "`id`", "a;b|c"}));
}

TEST(LaunchPlan, EmptyCommandIsRefused) {
    EXPECT_EQ(planLaunch("", "/usr/bin").error, "no command");
    EXPECT_EQ(planLaunch(" \t \r\n", "/usr/bin").error, "no command");
}

TEST(LaunchPlan, NameWithoutSlashIsFoundOnTheSearchPathInOrder) {
    TempFolder dir;
    dir.write("a/tool", "#!/bin/sh\n");  // not executable: passed over
    const std::string wanted = dir.write("b/tool", "#!/bin/sh\n", kExecutable);
    dir.write("c/tool", "#!/bin/sh\n", kExecutable);
    const auto plan =
        planLaunch("tool --x", dir / "missing" + ":" + dir / "a" + ":" + dir / "b" + ":" + dir / "c");
    EXPECT_EQ(plan.error, "");
    EXPECT_EQ(plan.path, wanted);
    EXPECT_EQ(plan.argv, (Words{"tool", "--x"}));
}

TEST(LaunchPlan, SearchFailuresSayWhy) {
    TempFolder dir;
    dir.write("a/tool", "#!/bin/sh\n");
    std::filesystem::create_directories(dir.path() / "b" / "folder");
    EXPECT_EQ(planLaunch("tool", dir / "a").error, "not executable: tool");
    EXPECT_EQ(planLaunch("folder", dir / "b").error, "is a directory, not a program: folder");
    EXPECT_EQ(planLaunch("velmora-no-such-program", dir / "a").error,
              "program not found: velmora-no-such-program");
}

TEST(LaunchPlan, WholeTextNamingAFileWithBlanksRunsThatFileWithoutArguments) {
    TempFolder dir;
    const std::string program = dir.write("My Tools/run me now", "#!/bin/sh\n", kExecutable);
    const auto plan = planLaunch("  " + program + " \t", "");
    EXPECT_EQ(plan.error, "");
    EXPECT_EQ(plan.path, program);
    EXPECT_EQ(plan.argv, Words{program});
}

TEST(LaunchPlan, TextThatIsNotOneFileIsSplit) {
    TempFolder dir;
    const std::string program = dir.write("My Tools/run", "#!/bin/sh\n", kExecutable);
    // The same path with an argument is no file: its first word is "…/My".
    EXPECT_EQ(planLaunch(program + " --now", "").error, "program not found: " + (dir / "My"));
    const auto quoted = planLaunch("\"" + program + "\" --now", "");
    EXPECT_EQ(quoted.path, program);
    EXPECT_EQ(quoted.argv, (Words{program, "--now"}));
}

TEST(LaunchPlan, PathsAreCheckedBeforeAnythingStarts) {
    TempFolder dir;
    const std::string plain = dir.write("notes with blanks.txt", "hello\n");
    EXPECT_EQ(planLaunch(plain, "").error, "not executable: " + plain);
    EXPECT_EQ(planLaunch(dir.path().string(), "").error,
              "is a directory, not a program: " + dir.path().string());
    EXPECT_EQ(planLaunch(dir / "absent", "").error, "program not found: " + (dir / "absent"));
    EXPECT_EQ(planLaunch(R"("" arg)", "/usr/bin").error, R"(program not found: "")");
}
