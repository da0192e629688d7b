// The INI backend against QSettings: what one writes the other reads back
// exactly, and a read sees what another process saved a moment ago.
#include <cctype>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSettings>
#include <QString>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"

using platform::IniSettingsBackend;
using namespace settingstest;

namespace {

std::string longMixedText() {
    const std::string pieces[] = {"a", " ", ",", ";", "=", "\"", "\\", "\t", "\n", "@",
                                  "#", "ü", "€", "%", "[", "]",  "x",  "7",  "😀",  "'"};
    std::string text;
    for (std::size_t i = 0; text.size() < 10000; ++i) text += pieces[(i * 7 + i / 3) % 20];
    return text.substr(0, 10000) + "end";  // whole characters: the pieces never split here
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string qsettingsRead(const fs::path& file, const std::string& key) {
    QSettings settings(QString::fromStdString(file.string()), QSettings::IniFormat);
    return settings.value(fromUtf8(key)).toString().toStdString();
}

// QSettings writes from a separate process, so no in-process cache is shared.
void qsettingsWriteElsewhere(const fs::path& file, const std::string& key, const std::string& value) {
    const int status = inOtherProcess([&] {
        {
            QSettings settings(QString::fromStdString(file.string()), QSettings::IniFormat);
            settings.setValue(fromUtf8(key), fromUtf8(value));
            settings.sync();
            if (settings.status() != QSettings::NoError) return 1;
        }
        return 0;
    });
    ASSERT_EQ(status, 0);
}

class FreeTextRoundTrip : public ::testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(FreeTextRoundTrip, ReadsBackExactlyThroughTheBackend) {
    TempFolder folder;
    IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "TASK_1_CMD", GetParam());
    IniSettingsBackend fresh(folder.path());
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_1_CMD"), GetParam());
    EXPECT_TRUE(fresh.warnings().empty());
}

TEST_P(FreeTextRoundTrip, QSettingsReadsWhatTheBackendWrote) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path());
    backend.write("VELMORA", "velmora", "TASK_1_CMD", GetParam());
    EXPECT_EQ(qsettingsRead(*backend.filePath("VELMORA", "velmora"), "TASK_1_CMD"), GetParam());
}

TEST_P(FreeTextRoundTrip, BackendReadsWhatQSettingsWrote) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path());
    qsettingsWriteElsewhere(*backend.filePath("VELMORA", "velmora"), "TASK_1_CMD", GetParam());
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_1_CMD"), GetParam());
    EXPECT_TRUE(backend.warnings().empty());
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardTexts, FreeTextRoundTrip,
    ::testing::Values(std::string(), std::string("  leading blanks"), std::string("trailing blanks  "),
                      std::string(" "), std::string("\"C:\\Program Files\\tool.exe\" /q"),
                      std::string("ends with backslash\\"), std::string("= ; , #"), std::string("a,b"),
                      std::string(";starts with semicolon"), std::string("#starts with hash"),
                      std::string("[looks like a section]"), std::string("@leading at"), std::string("@@"),
                      std::string("@Invalid()"), std::string("@ByteArray(abc)"), std::string("tab\there"),
                      std::string("\tleading tab"), std::string("grüße €5 😀"), std::string("line\nbreak"),
                      std::string("crlf\r\nend"), std::string("percent %25 %U0041"),
                      std::string("\x01"
                                  "abc"),
                      std::string("nul\0inside", 11), std::string("a\\nb literally"), longMixedText()),
    [](const auto& info) {  // its place and the text's first letters and digits
        std::string name = std::to_string(info.index);
        for (char c : info.param.substr(0, 16)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(IniKeys, AreStoredCaseSensitivelyAsGiven) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path());
    backend.write("VELMORA", "velmora", "AlwaysOnTopTimer_TICKBOX", "1");
    backend.write("VELMORA", "velmora", "alwaysontoptimer_tickbox", "0");
    backend.write("VELMORA", "velmora", "MAIN-Left", "1815");
    EXPECT_EQ(backend.read("VELMORA", "velmora", "AlwaysOnTopTimer_TICKBOX"), "1");
    EXPECT_EQ(backend.read("VELMORA", "velmora", "alwaysontoptimer_tickbox"), "0");
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "ALWAYSONTOPTIMER_TICKBOX").has_value());
    const auto text = readFile(folder.path() / "VELMORA" / "velmora.conf");
    EXPECT_NE(text.find("\nAlwaysOnTopTimer_TICKBOX=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nMAIN-Left=1815\n"), std::string::npos) << text;
}

TEST(IniSections, EachExecutableNameHasItsOwnFile) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path());
    backend.write("VELMORA", "velmora", "TASK_1_CMD", "one");
    EXPECT_FALSE(backend.read("VELMORA", "velmora-1.2", "TASK_1_CMD").has_value());
    backend.write("VELMORA", "velmora-1.2", "TASK_1_CMD", "two");
    EXPECT_EQ(backend.read("VELMORA", "velmora", "TASK_1_CMD"), "one");
    EXPECT_TRUE(fs::exists(folder.path() / "VELMORA" / "velmora-1.2.conf"));
}

TEST(IniSections, ReadingCreatesNothing) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path() / "config");
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "MAIN-Left").has_value());
    EXPECT_FALSE(fs::exists(folder.path() / "config"));
    EXPECT_TRUE(backend.warnings().empty());
}

TEST(IniSections, WritingKeepsOtherContentOfTheFile) {
    TempFolder folder;
    const auto file = folder.path() / "VELMORA" / "velmora.conf";
    writeFile(file, "; written by hand\n[General]\nMAIN-Left=1815\n\n[Extra]\nnote=keep me\n");
    IniSettingsBackend backend(folder.path());
    backend.write("VELMORA", "velmora", "TASK_1_CMD", "run");
    backend.write("VELMORA", "velmora", "MAIN-Left", "20");
    EXPECT_EQ(qsettingsRead(file, "Extra/note"), "keep me");
    EXPECT_EQ(qsettingsRead(file, "TASK_1_CMD"), "run");
    EXPECT_EQ(qsettingsRead(file, "MAIN-Left"), "20");
    EXPECT_NE(readFile(file).find("; written by hand"), std::string::npos);
    EXPECT_FALSE(backend.read("VELMORA", "velmora", "note").has_value());
}

TEST(IniFreshness, EveryReadSeesWhatAnotherProcessWroteMeanwhile) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path());
    const auto file = *backend.filePath("VELMORA", "velmora");
    backend.write("VELMORA", "velmora", "AUTOSTART_TICKBOX", "0");
    ASSERT_EQ(backend.read("VELMORA", "velmora", "AUTOSTART_TICKBOX"), "0");

    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    qsettingsWriteElsewhere(file, "AUTOSTART_TICKBOX", "1");
    // Same size and, as if within one clock tick, the same modification time:
    // nothing but the content tells the two versions apart.
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    ASSERT_EQ(after.st_size, before.st_size);

    EXPECT_EQ(backend.read("VELMORA", "velmora", "AUTOSTART_TICKBOX"), "1");
}

TEST(IniFreshness, AWriteKeepsWhatAnotherProcessSavedToOtherKeys) {
    TempFolder folder;
    IniSettingsBackend backend(folder.path());
    const auto file = *backend.filePath("VELMORA", "velmora");
    backend.write("VELMORA", "velmora", "TASK_1_CMD", "mine");
    qsettingsWriteElsewhere(file, "TASK_2_CMD", "theirs");
    backend.write("VELMORA", "velmora", "TASK_3_CMD", "mine too");
    IniSettingsBackend fresh(folder.path());
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_1_CMD"), "mine");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_2_CMD"), "theirs");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_3_CMD"), "mine too");
}
