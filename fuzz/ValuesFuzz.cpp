// Settings value conversions: any stored text, and any single-precision
// number the program might write.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "Check.h"
#include "settings/Values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Whatever reads as a place writes back in a form that reads as the same number.
    if (const auto twips = settings::parseGeometry(text)) {
        FUZZ_CHECK(std::isfinite(*twips), "a geometry read as a finite number");
        const std::string written = settings::formatGeometry(*twips);
        FUZZ_CHECK(written.find_first_of("eE") == std::string::npos, "geometry written without an exponent");
        const auto again = settings::parseGeometry(written);
        FUZZ_CHECK(again && *again == *twips, "a read geometry writes back to the same number");
    }
    // A tick reads as 0, 1 or 2 and writes back as itself.
    if (const auto tick = settings::parseTick(text)) {
        FUZZ_CHECK(*tick >= 0 && *tick <= 2, "a tick reads as 0, 1 or 2");
        FUZZ_CHECK(settings::parseTick(settings::formatTick(*tick)) == tick, "a tick writes back as itself");
    }
    // The same bytes as a number: every finite one survives a write and a read.
    if (size >= sizeof(float)) {
        float value = 0;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            const std::string written = settings::formatGeometry(value);
            const auto again = settings::parseGeometry(written);
            FUZZ_CHECK(again && *again == value, "every finite geometry written reads back the same");
        }
    }
    return 0;
}
