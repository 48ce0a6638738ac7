#include "lv2/LV2Ports.h"

#include <cctype>
#include <string>

#include "core/IParam.h"

namespace iplug
{
void LV2ParamSymbol(const IParam& param, WDL_String& symbol)
{
  std::string s;
  for (const char* c = param.GetName(); *c; ++c)
  {
    const unsigned char ch = static_cast<unsigned char>(*c);
    s += std::isalnum(ch) && ch < 0x80 ? static_cast<char>(std::tolower(ch)) : '_';
  }
  // A symbol must not be empty nor start with a digit.
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0])))
    s = std::string(1, '_') + s;
  symbol.Set(s.c_str());
}

void LV2AudioSymbol(bool input, int channel, int nChannels, WDL_String& symbol)
{
  const char* side = input ? "in" : "out";
  if (nChannels == 1)
    symbol.Set(side);
  else
    symbol.SetFormatted(16, "%s_%d", side, channel + 1);
}
} // namespace iplug
