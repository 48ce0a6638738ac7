#include "lv2/LV2Ports.h"

#include "core/IParam.h"
#include "lv2/LV2Symbol.h"

namespace iplug {
void LV2ParamSymbol(const IParam& param, WDL_String& symbol) { symbol.Set(LV2Symbol(param.GetName()).c_str()); }

void LV2AudioSymbol(bool input, int channel, int nChannels, WDL_String& symbol)
{
  const char* side = input ? "in" : "out";
  if (nChannels == 1)
    symbol.Set(side);
  else
    symbol.SetFormatted(16, "%s_%d", side, channel + 1);
}
} // namespace iplug
