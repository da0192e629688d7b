// A section file of arbitrary bytes: read, changed and written back, it must
// read back as what was written, and keep every value that could be read.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Check.h"
#include "platform/posix/IniText.h"
#include "settings/Keys.h"

namespace ini = platform::ini;

namespace {

// The keys worth looking up: the program's own and a few odd ones.
const std::vector<std::string>& probeKeys() {
    static const std::vector<std::string> keys = [] {
        // A sample of the program's keys: the main window's and the first slots'.
        std::vector<std::string> all;
        for (const auto& info : settings::keys::all())
            if (all.size() < 24) all.push_back(info.key);
        for (const char* odd : {"a", "A", "General", "x y", "%41", "a/b", "a\\b", "=", ";", "\xc3\xa9"})
            all.emplace_back(odd);
        return all;
    }();
    return keys;
}

std::map<std::string, std::optional<std::string>> lookAll(const ini::Document& document,
                                                          const std::vector<std::string>& extra) {
    std::map<std::string, std::optional<std::string>> seen;
    for (const auto& key : probeKeys()) seen[key] = document.lookup(key);
    for (const auto& key : extra) seen[key] = document.lookup(key);
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Up to three saves first, then the file.
    std::vector<std::pair<std::string, std::string>> saves;
    const int count = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < count; ++i) {
        std::string key =
            input.ConsumeBool()
                ? probeKeys()[input.ConsumeIntegralInRange<std::size_t>(0, probeKeys().size() - 1)]
                : input.ConsumeRandomLengthString(24);
        saves.emplace_back(std::move(key), input.ConsumeRandomLengthString(64));
    }
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    ini::Document document = ini::Document::parse(bytes);
    if (!document.clean()) document.dropMalformed();  // as the store does once the file is kept aside
    std::vector<std::string> savedKeys;
    for (const auto& [key, value] : saves) savedKeys.push_back(key);
    auto expected = lookAll(document, savedKeys);

    for (const auto& [key, value] : saves) {
        if (!document.set(key, value)) {
            FUZZ_CHECK(!ini::escapeKey(key), "only a key that cannot be written is refused");
            continue;
        }
        expected[key] = value;
        FUZZ_CHECK(document.lookup(key) == value, "a saved value reads back at once");
    }

    const std::string written = document.text();
    const ini::Document reread = ini::Document::parse(written);
    FUZZ_CHECK(reread.clean(), "what is written reads back cleanly");
    FUZZ_CHECK(lookAll(reread, savedKeys) == expected, "what is written reads back as it was");
    FUZZ_CHECK(reread.text() == written, "writing what was read back changes nothing");
    return 0;
}
