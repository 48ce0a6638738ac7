#include "tools/corvane/ParamListing.h"

#include "tools/corvane/Messages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvane::host {
namespace {

std::string Number(double v)
{
  if (!std::isfinite(v))
    return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

std::string UnitLabel(const ParamDesc& p)
{
  switch (static_cast<ParamUnit>(p.unit))
  {
    case ParamUnit::Generic: return "generic";
    case ParamUnit::Indexed: return "indexed";
    case ParamUnit::Boolean: return "boolean";
    default: break;
  }
  const std::string text = UnitText(p);
  return text.empty() ? "unit " + std::to_string(p.unit) : text;
}

std::string Pad(std::string text, size_t width)
{
  if (text.size() < width)
    text.append(width - text.size(), ' ');
  return text;
}

} // namespace

std::string JsonString(const std::string& text)
{
  std::string out = "\"";
  const auto escape = [&](unsigned code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\u%04x", code);
    out += hex;
  };
  for (size_t i = 0; i < text.size();)
  {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t length = Utf8SequenceLength(text, i);
    switch (c)
    {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F)
          escape(c);
        else if (length == 0)
          escape(0xFFFD); // not UTF-8: JSON text must be
        else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F)
          escape(static_cast<unsigned char>(text[i + 1])); // a C1 control
        else
          out.append(text, i, length);
    }
    i += length == 0 ? 1 : length;
  }
  return out + "\"";
}

std::string FormatParamTable(const std::vector<ParamListingEntry>& entries)
{
  std::vector<std::vector<std::string>> rows = {{"#", "Name", "Range", "Default", "Unit", "Values"}};
  for (const auto& e : entries)
  {
    const ParamDesc& p = e.param;
    std::string values;
    for (size_t i = 0; i < p.valueStrings.size(); ++i)
      values += (i ? ", #" : "#") + Number(p.minValue + static_cast<double>(i)) + "=" + Printable(p.valueStrings[i]);
    std::string def = Number(p.defaultValue);
    if (!e.defaultText.empty() && e.defaultText != def)
      def += " (" + Printable(e.defaultText) + ")";
    // Names and texts come from the unit: escaped before the columns are measured.
    rows.push_back({std::to_string(p.id), Printable(p.name), Number(p.minValue) + " .. " + Number(p.maxValue), def,
                    Printable(UnitLabel(p)), values});
  }
  std::vector<size_t> widths(rows[0].size(), 0);
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], row[c].size());
  std::string out;
  for (const auto& row : rows)
  {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c)
      line += c + 1 < row.size() ? Pad(row[c], widths[c] + 2) : row[c];
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    out += line + "\n";
  }
  return out;
}

std::string FormatParamJson(const std::vector<ParamListingEntry>& entries)
{
  std::string out = "[\n";
  for (size_t i = 0; i < entries.size(); ++i)
  {
    const ParamDesc& p = entries[i].param;
    out += "  {\"index\": " + std::to_string(p.id) + ", \"name\": " + JsonString(p.name) +
           ", \"min\": " + Number(p.minValue) + ", \"max\": " + Number(p.maxValue) +
           ", \"default\": " + Number(p.defaultValue) + ", \"defaultText\": " + JsonString(entries[i].defaultText) +
           ", \"unit\": " + JsonString(UnitLabel(p)) + ", \"values\": [";
    for (size_t v = 0; v < p.valueStrings.size(); ++v)
      out += (v ? ", " : "") + JsonString(p.valueStrings[v]);
    out += std::string("]}") + (i + 1 < entries.size() ? "," : "") + "\n";
  }
  return out + "]\n";
}

} // namespace corvane::host
