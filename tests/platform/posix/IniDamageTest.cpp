// Damaged section files: reading costs time in proportion to the size, the
// problems are placed on the right lines, and what is kept is written back
// byte for byte.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/posix/IniText.h"

namespace ini = platform::ini;

TEST(IniDamage, AFileOfManyBadLinesReadsInLinearTimeAndSaysWhereTheFirstOnesAre) {
    std::string text = "[General]\n";
    for (int n = 0; text.size() < 2 * 1024 * 1024; ++n)
        text += "no equals sign here " + std::to_string(n) + "\n; a comment\nTASK_1_CMD=run " +
                std::to_string(n) + "\n";
    const auto start = std::chrono::steady_clock::now();
    const auto document = ini::Document::parse(text);
    const auto took = std::chrono::steady_clock::now() - start;
    // Counting lines from the top for each bad one took minutes for this file.
    EXPECT_LT(took, std::chrono::seconds(10));
    ASSERT_FALSE(document.clean());
    EXPECT_LE(document.problems().size(), 8U);
    EXPECT_EQ(document.problems().front(), "line 2 is not key=value");
    EXPECT_EQ(document.problems().back(),
              "line " + std::to_string(2 + 3 * (document.problems().size() - 1)) + " is not key=value");
    EXPECT_EQ(document.lookup("TASK_1_CMD").value_or("").substr(0, 4), "run ");
}

TEST(IniDamage, RunsOfCommentsAndBadLinesAreWrittenBackAsTheyStood) {
    const std::string text =
        "; one\n; two\n\n; after a blank\nbad one\nbad two\n[General]\nA=1\n# hash\n# hash "
        "2\nB=2\r\nbad\r\n; last";
    auto document = ini::Document::parse(text);
    EXPECT_EQ(document.text(),
              "; one\n; two\n; after a blank\nbad one\nbad two\n\n[General]\nA=1\n# hash\n# hash "
              "2\nB=2\nbad\n; last\n");
    document.dropMalformed();
    ASSERT_TRUE(document.set("C", "3"));
    ASSERT_TRUE(document.set("A", "4"));
    EXPECT_EQ(document.text(),
              "; one\n; two\n; after a blank\n\n[General]\nA=4\n# hash\n# hash 2\nB=2\nC=3\n; last\n");
    EXPECT_EQ(ini::Document::parse(document.text()).lookup("C"), "3");
}

TEST(IniKeyEscapes, ALoneSurrogateReadsAsOneReplacementCharacter) {
    const std::string replacement = "\xEF\xBF\xBD";
    struct Case {
        const char* stored;
        std::string key;
    };
    for (const Case& c :
         {Case{"%UD800", replacement}, Case{"%UD800x", replacement + "x"},
          Case{"a%UDC00b", "a" + replacement + "b"}, Case{"%UD800%UD800", replacement + replacement},
          Case{"%UD800%41", replacement + "A"}, Case{"%UD83D%UDE00", "\xF0\x9F\x98\x80"}}) {
        EXPECT_EQ(ini::unescapeKey(c.stored), c.key) << c.stored;
        EXPECT_EQ(ini::Document::parse(std::string(c.stored) + "=v\n").lookup(c.key), "v") << c.stored;
    }
}
