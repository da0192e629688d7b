// Starting slot commands, counting processes and finding the program's own
// file, with the real system calls and the marker program.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <vector>

#include "Support.h"
#include "platform/win32text/WideText.h"
#include "platform/windows/FileDialog.h"
#include "platform/windows/Launch.h"
#include "platform/windows/ProcessQuery.h"
#include "platform/windows/Win32.h"
#include "platform/windows/WindowsPlatform.h"

using platform::toWide;
using platform::WindowsPlatform;
using namespace wintest;

namespace {

class Launch : public ::testing::Test {
protected:
    Launch() {
        fs::create_directories(blanks);
        fs::copy_file(testing_support::markerProgram(), tool);
    }
    // What a marker program needs to say that `name` started.
    std::string marker(const std::string& name) const { return "\"" + log.file().string() + "\" " + name; }
    // The line the marker program `name` wrote once it started, or nothing.
    std::optional<testing_support::Marker> awaitMarker(const std::string& name) const {
        waitUntil([&] { return log.find(name).has_value(); });
        return log.find(name);
    }
    std::string stopFile(const std::string& name) const { return (folder.path() / name).string(); }

    TempFolder folder;
    MarkerLog log{folder.path() / "markers.log"};
    fs::path blanks = folder.path() / "with blanks";
    fs::path tool = blanks / "marker tool.exe";
    WindowsPlatform platform;
};

}  // namespace

TEST_F(Launch, StartsAProgramUnderAPathWithBlanksQuotedOrNotAndABatchFile) {
    const fs::path batch = blanks / "start marker.bat";
    writeFile(batch, "@\"" + tool.string() + "\" \"" + log.file().string() + "\" %1 from-batch\r\n");
    std::string longWords = "w";
    while (longWords.size() < 32000) longWords += " word" + std::to_string(longWords.size());
    const struct {
        std::string command, marker, words;
    } cases[] = {
        {tool.string() + " " + marker("unquoted") + " a b", "unquoted", "a b"},
        {"\"" + tool.string() + "\" " + marker("quoted") + " \"c d\"", "quoted", "c d"},
        {"\"" + batch.string() + "\" batch-quoted", "batch-quoted", "from-batch"},
        {batch.string() + " batch-unquoted", "batch-unquoted", "from-batch"},
        // Close to the system's limit, and found among the first words.
        {tool.string() + " " + marker("long") + " " + longWords, "long", longWords},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.substr(0, 200));
        const auto result = platform.LaunchCommand(c.command, platform::kNormalFocus);
        ASSERT_TRUE(result.ok) << result.error;
        const auto written = awaitMarker(c.marker);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->path, tool.string());
        EXPECT_EQ(written->words, c.words);
    }
}

TEST_F(Launch, AFailureSaysWhyInTheSystemsWordsNamingTheProgramAndATooLongLineFailsAtOnce) {
    const fs::path text = blanks / "not a program.exe";
    writeFile(text, "just some text, not a program\r\n");
    // Kept as expandable strings: their variables are expanded as they start.
    platform.setExpandsWhenUsed(
        [](const std::string& command) { return command.find('%') != std::string::npos; });
    SetEnvironmentVariableW(L"VELMORA_BIG", std::wstring(20'000, L'b').c_str());
    SetEnvironmentVariableW(L"VELMORA_EMPTY", L"");
    const struct {
        std::string command, names;  // what the reason must name, if anything
    } cases[] = {
        {"C:\\nowhere\\missing.exe -x", ""},
        {"\"" + blanks.string() + "\\absent.exe\"", ""},
        {"velmora-no-such-program", ""},
        {"\"" + text.string() + "\" -x", text.string()},
        {text.string() + " -x", text.string()},
        {"velmora-no-such-program " + std::string(1'000'000, 'x'),
         platform::windows_backend::kCommandTooLong},
        {tool.string() + " " + std::string(32767 - tool.string().size(), 'x'),
         platform::windows_backend::kCommandTooLong},
        {tool.string() + " " + marker("cut") + " %VELMORA_BIG%%VELMORA_BIG%",
         platform::windows_backend::kCommandTooLong},
        {"%VELMORA_EMPTY%", platform::windows_backend::kExpandsToNothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.substr(0, 120));
        const auto began = std::chrono::steady_clock::now();
        const auto result = platform.LaunchCommand(c.command, platform::kNormalFocus);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_NE(result.error.rfind("error ", 0), 0u) << "a number, not the system's text: " << result.error;
        EXPECT_EQ(result.error.find('%'), std::string::npos) << result.error;
        EXPECT_NE(result.error.find(c.names), std::string::npos) << result.error;
    }
}

TEST_F(Launch, ProcessCountMatchesTheFileNameInAnyCaseLiterallyAndReachesZero) {
    // A quote and blanks in the name: a query text built from it would break.
    const fs::path probe = blanks / "Velmora Count'Probe.exe";
    fs::copy_file(tool, probe);
    const std::string stop = stopFile("stop");
    for (const char* name : {"first", "second"}) {
        ASSERT_TRUE(
            platform.LaunchCommand("\"" + probe.string() + "\" " + marker(name) + " --until " + stop, 1).ok);
        ASSERT_TRUE(awaitMarker(name));
    }
    const struct {
        const char* name;
        int count;
    } queries[] = {{"Velmora Count'Probe.exe", 2}, {"VELMORA COUNT'PROBE.EXE", 2},
                   {"velmora count'probe.exe", 2}, {"Velmora Count'Probe", 0},
                   {"Count'Probe.exe", 0},         {"", 0},
                   {"x' OR Name<>'", 0},           {"%.exe", 0},
                   {"velmora count_probe.exe", 0}};
    for (const auto& q : queries) {
        const auto answer = platform.CountProcesses(q.name);
        ASSERT_TRUE(answer.ok) << answer.error;
        EXPECT_EQ(answer.count, q.count) << q.name;
    }
    writeFile(stop, "");
    EXPECT_TRUE(waitUntil([&] { return platform.CountProcesses("velmora count'probe.exe").count == 0; }));
}

TEST_F(Launch, AHeldWaitAnswersAsASnapshotDoes) {
    const std::string name = uniqueName("velmora-held") + ".exe";
    fs::copy_file(tool, blanks / name);
    platform::windows_backend::ProcessWatch watch;
    // Each step starts or stops a copy, then polls: what a snapshot counts,
    // and how many processes the watch holds after its poll.
    const struct {
        const char* copy;
        bool start;
        int running;
        std::size_t holding;
    } steps[] = {{"a", true, 1, 1}, {"b", true, 2, 1}, {"a", false, 1, 1}, {"b", false, 0, 0}};
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.start ? "start " : "stop ") + step.copy);
        const std::string stop = stopFile(std::string("stop-") + step.copy);
        if (step.start) {
            const std::string command = "\"" + (blanks / name).string() + "\" " + marker(step.copy);
            ASSERT_TRUE(platform.LaunchCommand(command + " --until " + stop, 1).ok);
            ASSERT_TRUE(awaitMarker(step.copy));
        } else {
            writeFile(stop, "");
        }
        EXPECT_TRUE(waitUntil([&] {
            return platform::windows_backend::countMatchingProcesses(toWide(name)).count == step.running;
        }));
        const auto answer = watch.count(name);
        ASSERT_TRUE(answer.ok) << answer.error;
        EXPECT_EQ(answer.count > 0, step.running > 0);
        EXPECT_EQ(watch.held(), step.holding);
    }
}

TEST_F(Launch, ProgramFolderAndExecutableNameOfARenamedCopyStartedByItsLongOrShortName) {
    const fs::path copy = blanks / "Renamed Copy.EXE";
    fs::copy_file(tool, copy);
    std::wstring shortName(MAX_PATH, L'\0');
    shortName.resize(GetShortPathNameW(copy.c_str(), shortName.data(), static_cast<DWORD>(shortName.size())));
    const struct {
        const char* name;
        std::string started;
    } cases[] = {{"long", copy.string()}, {"short", platform::toUtf8(shortName)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Short names are optional per volume: without one the row has nothing to try.
        if (c.started.empty() || (c.started == copy.string() && std::string(c.name) == "short")) {
            std::cout << "[ SKIPPED  ] " << c.name << ": this volume made no short name for " << copy << '\n';
            continue;
        }
        // Wine names a started program by its long path however it was
        // started; Windows keeps the name it was started by, so the section
        // hangs on this conversion.
        EXPECT_EQ(platform::toUtf8(platform::windows_backend::longPathName(toWide(c.started))),
                  copy.string());
        ASSERT_TRUE(platform.LaunchCommand("\"" + c.started + "\" " + marker(c.name), 1).ok);
        const auto written = awaitMarker(c.name);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->path, copy.string());
        EXPECT_EQ(written->folder, blanks.string());
        EXPECT_EQ(written->exe, "Renamed Copy");
    }
    const std::wstring gone = (blanks / "GONE~1.EXE").wstring();
    EXPECT_EQ(platform::windows_backend::longPathName(gone), gone) << "a name the system cannot tell stays";
}

TEST(LaunchPlan, ABatchFileGoesToTheInterpreterAndEverythingElseAsTyped) {
    const auto search = [](const std::wstring& name) -> std::optional<std::wstring> {
        for (const wchar_t* file :
             {L"C:\\Program Files\\Tool\\tool.exe", L"C:\\My Jobs\\nightly run.CMD", L"C:\\jobs\\go.bat"})
            if (name == file) return file;
        if (name == L"C:\\jobs\\tool") return L"C:\\jobs\\tool.exe";
        return std::nullopt;
    };
    const std::wstring cmd = L"C:\\Windows\\system32\\cmd.exe";
    const struct {
        std::wstring typed, application, line;
    } cases[] = {
        {L"C:\\Program Files\\Tool\\tool.exe -x", L"", L"C:\\Program Files\\Tool\\tool.exe -x"},
        {L"C:\\jobs\\tool C:\\jobs\\go.bat", L"", L"C:\\jobs\\tool C:\\jobs\\go.bat"},
        {L"C:\\My Jobs\\nightly run.CMD a & b", cmd,
         L"\"" + cmd + L"\" /s /c \"\"C:\\My Jobs\\nightly run.CMD\" a & b\""},
        {L"\"C:\\jobs\\go.bat\"", cmd, L"\"" + cmd + L"\" /s /c \"\"C:\\jobs\\go.bat\"\""},
        {L"C:\\missing.bat", L"", L"C:\\missing.bat"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        const auto plan = platform::windows_backend::planLaunch(c.typed, search, cmd);
        EXPECT_EQ(plan.application, c.application) << platform::toUtf8(c.typed);
        EXPECT_EQ(plan.commandLine, c.line) << platform::toUtf8(c.typed);
    }
}

TEST(LaunchPlan, ALongLineOfWordsIsSearchedOnlyUpToTheLongestFileName) {
    std::size_t asked = 0, longest = 0;
    const auto nothing = [&](const std::wstring& name) -> std::optional<std::wstring> {
        ++asked;
        longest = std::max(longest, name.size());
        return std::nullopt;
    };
    const std::wstring folder = L"C:\\jobs\\";
    std::wstring line = folder + L"x";
    while (line.size() < 32000) line += L" x";
    const auto plan = platform::windows_backend::planLaunch(line, nothing, L"cmd.exe");
    EXPECT_EQ(plan.commandLine, line);
    EXPECT_EQ(plan.program, folder + L"x") << "the first word names what could not start";
    // Every run of words up to a name of 255 characters, and none beyond.
    EXPECT_EQ(longest, folder.size() + 255);
    EXPECT_EQ(asked, 128u);
}

TEST(FileDialogFilter, EachPartEndsInANulAndTheWholeInTwo) {
    using platform::windows_backend::dialogFilter;
    const std::string typed = "Applications (*.exe)|*.exe|CMD Batch Files (*.bat)|*.bat|All files (*.*)|*.*";
    EXPECT_EQ(dialogFilter(typed),
              std::wstring(L"Applications (*.exe)\0*.exe\0CMD Batch Files (*.bat)\0*.bat\0"
                           L"All files (*.*)\0*.*\0\0",
                           78));
    EXPECT_EQ(dialogFilter("Texts|*.txt;*.log|Dangling"), std::wstring(L"Texts\0*.txt;*.log\0\0", 19));
    EXPECT_EQ(dialogFilter(""), L"");
}
