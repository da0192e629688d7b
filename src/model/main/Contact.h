#pragma once

// Where people reach the maker. A distributor changes these here and nowhere
// else; the About, donations and settings windows all show them from here.
namespace model::contact {

// Shown when the creator's name is double-clicked (About, donations and the
// settings window's creator label).
inline constexpr const char* kCreatorEmail = "brannic@example.org";

// The maker's web address (donations window).
inline constexpr const char* kMakerWebsite = "www.tarnholt.example.org";

// The fan site named on the About window's link line.
inline constexpr const char* kFanSite = "www.knightrider-fans.example.org";

}  // namespace model::contact
