#pragma once

namespace model {

// Who made the program and how to reach him; the settings and About windows
// show the address when their creator line is clicked.
inline constexpr const char* kCreatorEmail = "brannic@example.org";

}  // namespace model
