#pragma once
// Legal channel layouts: a layout is a list of input buses and a list of
// output buses, each bus with its channel count (kWildcardChannels for a
// bus that accepts any number of channels).

#include "core/IPlugConstants.h"
#include "core/WDL_PtrList.h"

namespace iplug {
struct IBusInfo
{
  ERoute mDirection = kInput;
  int mNChans = 0;

  IBusInfo(ERoute direction, int nChans) : mDirection(direction), mNChans(nChans) {}
  ERoute GetDirection() const { return mDirection; }
  int NChans() const { return mNChans; }
};

struct IOConfig
{
  WDL_PtrList_OwningDelete<IBusInfo> mBusInfo[2]; // indexed by ERoute

  void AddBusInfo(ERoute direction, int nChans) { mBusInfo[Index(direction)].Add(new IBusInfo(direction, nChans)); }

  /** Bus of a direction, or null when out of range. */
  const IBusInfo* GetBusInfo(ERoute direction, int index) const { return mBusInfo[Index(direction)].Get(index); }

  /** Channels on a bus, 0 when the bus does not exist. */
  int NChansOnBusSAFE(ERoute direction, int index) const
  {
    const IBusInfo* bus = GetBusInfo(direction, index);
    return bus ? bus->NChans() : 0;
  }

  int NBuses(ERoute direction) const { return mBusInfo[Index(direction)].GetSize(); }

  /** Sum over the direction's buses; a wildcard counts as kWildcardChannels. */
  int GetTotalNChannels(ERoute direction) const
  {
    int total = 0;
    for (const IBusInfo* bus : mBusInfo[Index(direction)])
      total += bus->NChans();
    return total;
  }

  bool ContainsWildcard(ERoute direction) const
  {
    for (const IBusInfo* bus : mBusInfo[Index(direction)])
      if (bus->NChans() < 0)
        return true;
    return false;
  }

private:
  static int Index(ERoute direction) { return direction == kOutput ? 1 : 0; }
};
} // namespace iplug
