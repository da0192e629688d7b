#pragma once

namespace engine {

// What the countdowns need to know about the slots of the current pass.
struct RunRecord {
    // A slot failed (launch or process query) since the autostart countdown
    // last started a pass.
    bool anyFailed = false;
};

}  // namespace engine
