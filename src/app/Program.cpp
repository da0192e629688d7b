#include "app/Program.h"

namespace app {

namespace {

// Lateness a timer may have and still keep its phase.
constexpr form::Millis kTimerJitterMs = 15;

}  // namespace

Program::Program(Parts parts)
    : store_(parts.settings, parts.executableName),
      scheduler_(parts.clock, kTimerJitterMs),
      form_(scheduler_, store_, parts.executableName, parts.platform),
      engine_(form_, parts.platform, std::move(parts.passLog)),
      aboutButton_(form_, parts.windows),
      settingsWindows_(form_, parts.windows, parts.platform) {
    form_.onNotice = std::move(parts.notice);
}

}  // namespace app
