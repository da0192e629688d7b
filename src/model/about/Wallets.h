#pragma once

// Donation wallet addresses, one per currency row of the donations window.
// These are placeholders: a distributor puts real addresses here. They are
// written as one word each so that a double-click selects the whole entry, as
// it does a real address.
namespace model::wallets {

inline constexpr const char* kBTC = "set_your_BTC_address_here";
inline constexpr const char* kNMC = "set_your_NMC_address_here";
inline constexpr const char* kLTC = "set_your_LTC_address_here";
inline constexpr const char* kDASH = "set_your_DASH_address_here";
inline constexpr const char* kVTC = "set_your_VTC_address_here";

}  // namespace model::wallets
