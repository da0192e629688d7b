// Inputs the fuzz targets (fuzz/) found to break a property, kept as cases.
#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "platform/posix/IniSettingsBackend.h"
#include "platform/posix/IniText.h"

namespace ini = platform::ini;
using namespace settingstest;

// An empty key was written as "=value", which reads back as a damaged line:
// the next start-up took the program's own file for a damaged one.
TEST(FuzzFindings, AnEmptyKeyIsRefusedAndTheFileStaysClean) {
    ini::Document document = ini::Document::parse("");
    EXPECT_FALSE(document.set("", ""));
    EXPECT_TRUE(document.set("TASK_19_TICKBOX_CAPTION", "MAIN-Top=@ByteArray(x)\nTASK_3_CMD=a, b ,\"c\""));
    const auto reread = ini::Document::parse(document.text());
    EXPECT_TRUE(reread.clean()) << reread.problems().front();
    EXPECT_EQ(reread.lookup("TASK_19_TICKBOX_CAPTION"), "MAIN-Top=@ByteArray(x)\nTASK_3_CMD=a, b ,\"c\"");

    TempFolder folder;
    platform::IniSettingsBackend backend(folder.path());
    ::testing::internal::CaptureStderr();
    backend.write("VELMORA", "velmora", "", "x");
    backend.write("VELMORA", "velmora", "MAIN-Left", "1");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("is empty"), std::string::npos) << said;
    platform::IniSettingsBackend fresh(folder.path());
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "MAIN-Left"), "1");
    EXPECT_TRUE(fresh.warnings().empty()) << fresh.warnings().front();
}

// A file whose last line ended in a lone backslash (a hand-edited
// "C:\Tools\" with no line break after it): the next key written after it was
// joined to that line, so it was lost and the old value changed.
TEST(FuzzFindings, ALoneBackslashAtTheEndDoesNotSwallowTheNextKey) {
    for (const std::string start :
         {"TASK_2_CMD=C:\\Tools\\", "[General]\\", "\\", "; b=c\"\nTASK_2_CMD=\\"}) {
        ini::Document document = ini::Document::parse(start);
        const auto before = document.lookup("TASK_2_CMD");
        ASSERT_TRUE(document.set("TASK_18_TICKBOX_CAPTION", "a"));
        const auto reread = ini::Document::parse(document.text());
        EXPECT_TRUE(reread.clean()) << start;
        EXPECT_EQ(reread.lookup("TASK_18_TICKBOX_CAPTION"), "a") << start;
        EXPECT_EQ(reread.lookup("TASK_2_CMD"), before) << start;
    }

    TempFolder folder;
    writeFile(folder.path() / "VELMORA" / "velmora.conf", "[General]\nTASK_1_CMD=C:\\Tools\\");
    const auto before = platform::IniSettingsBackend(folder.path()).read("VELMORA", "velmora", "TASK_1_CMD");
    platform::IniSettingsBackend(folder.path()).write("VELMORA", "velmora", "MAIN-Left", "1");
    platform::IniSettingsBackend fresh(folder.path());
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "MAIN-Left"), "1");
    EXPECT_EQ(fresh.read("VELMORA", "velmora", "TASK_1_CMD"), before);
}

// A line ending in a backslash and a CR before a comment: written back with
// LF after it, the CR and LF read as one escaped line break, so every write
// added a line and the next line's meaning could change.
TEST(FuzzFindings, ALineEndingInAnEscapedCarriageReturnWritesBackUnchanged) {
    const std::string start = "TASK_1_CMD=run\\\r; note\nTASK_2_CMD=two\n";
    ini::Document document = ini::Document::parse(start);
    ASSERT_TRUE(document.set("MAIN-Left", "1"));
    const std::string written = document.text();
    const auto reread = ini::Document::parse(written);
    EXPECT_EQ(reread.text(), written);
    EXPECT_EQ(reread.lookup("TASK_1_CMD"), document.lookup("TASK_1_CMD"));
    EXPECT_EQ(reread.lookup("TASK_2_CMD"), "two");
    EXPECT_EQ(reread.lookup("MAIN-Left"), "1");
}
