#pragma once
// The LV2 port symbol of a parameter name: the name in lower case, every
// character that may not appear in a symbol turned into '_' ("Mic Pre" ->
// mic_pre). Header-only, so programs that only read or write LV2 data (the
// command-line host) name ports exactly as the adapter does.

#include <string>
#include <string_view>

namespace iplug {
inline std::string LV2Symbol(std::string_view name)
{
  std::string symbol;
  for (char c : name)
  {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    symbol += letter ? static_cast<char>(c | 0x20) : digit ? c : '_';
  }
  // A symbol must not be empty nor start with a digit.
  if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9'))
    symbol = std::string(1, '_') + symbol;
  return symbol;
}
} // namespace iplug
