#pragma once
// What the host knows about one parameter of the loaded unit, gathered from
// its parameter list, parameter info and value strings.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::host {

// Audio Unit parameter unit codes the host interprets when reading values.
enum class ParamUnit : uint32_t
{
  Generic = 0,
  Indexed = 1,
  Boolean = 2,
  Percent = 3,
  Seconds = 4,
  Hertz = 8,
  Decibels = 13,
  Milliseconds = 24,
  Custom = 26,
};

struct ParamDesc
{
  uint32_t id = 0;
  std::string name;
  double minValue = 0.0;
  double maxValue = 1.0;
  double defaultValue = 0.0;
  uint32_t unit = 0;                     // ParamUnit value, or another Audio Unit unit code
  std::string unitName;                  // label of a custom unit, e.g. "dB"
  std::vector<std::string> valueStrings; // text of the values min, min + 1, ...
  uint32_t flags = 0;

  bool IsStepped() const
  {
    return !valueStrings.empty() || unit == static_cast<uint32_t>(ParamUnit::Indexed) ||
           unit == static_cast<uint32_t>(ParamUnit::Boolean);
  }
};

/** Short unit text for display ("dB", "Hz", "indexed", ...), "" for none. */
std::string UnitText(const ParamDesc& param);

} // namespace corvane::host
