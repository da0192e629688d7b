// Splitting a command line into program and arguments: nothing is added or
// expanded, and what it yields can be written back to the same words.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Check.h"
#include "platform/posix/CommandLine.h"
#include "platform/posix/Spawn.h"

using namespace platform::posix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> words = splitCommandLine(text);

    std::size_t kept = 0;
    std::string requoted;
    for (const auto& word : words) {
        FUZZ_CHECK(word.find('"') == std::string::npos, "quotes group words and are removed");
        kept += word.size();
        requoted += (requoted.empty() ? "\"" : " \"") + word + "\"";
    }
    FUZZ_CHECK(kept <= text.size(), "nothing is added to the words (no expansion)");
    FUZZ_CHECK(splitCommandLine(requoted) == words, "the words written back quoted split the same");

    const std::string_view trimmed = trimBlanks(text);
    FUZZ_CHECK(trimmed.empty() || text.find(trimmed) != std::string_view::npos, "trimming only cuts");

    // Nothing on the search path exists, so only a path in the text can be found.
    const LaunchPlan plan = planLaunch(text, "/nonexistent-velmora-fuzz");
    if (plan.error.empty()) {
        FUZZ_CHECK(!plan.argv.empty() && !plan.path.empty(), "a plan without error names a program");
    } else {
        FUZZ_CHECK(plan.path.empty(), "a plan with an error starts nothing");
    }
    return 0;
}
