#pragma once
// XSETTINGS blocks as a settings manager writes them, for tests.

#include <cstdint>
#include <string>
#include <vector>

namespace iplug::igraphics::x11::test {

struct Setting
{
  int type; // 0 integer, 1 string, 2 colour
  std::string name;
  std::string text;
  int32_t integer = 0;
};

inline std::vector<uint8_t> XSettingsBlock(const std::vector<Setting>& settings, bool bigEndian = false)
{
  std::vector<uint8_t> out;
  const auto card = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      out.push_back(static_cast<uint8_t>(v >> (8 * (bigEndian ? bytes - 1 - i : i))));
  };
  const auto text = [&](const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.resize(out.size() + (4 - s.size() % 4) % 4, 0);
  };
  out = {static_cast<uint8_t>(bigEndian ? 1 : 0), 0, 0, 0};
  card(7, 4); // serial
  card(static_cast<uint32_t>(settings.size()), 4);
  for (const Setting& s : settings)
  {
    out.push_back(static_cast<uint8_t>(s.type));
    out.push_back(0);
    card(static_cast<uint32_t>(s.name.size()), 2);
    text(s.name);
    card(3, 4); // last change
    if (s.type == 0)
      card(static_cast<uint32_t>(s.integer), 4);
    else if (s.type == 1)
    {
      card(static_cast<uint32_t>(s.text.size()), 4);
      text(s.text);
    }
    else
      for (int c = 0; c < 4; ++c)
        card(0x1000u * static_cast<uint32_t>(c + 1), 2);
  }
  return out;
}

} // namespace iplug::igraphics::x11::test
