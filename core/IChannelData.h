#pragma once
// Processing record of one input or output channel.

#include "core/IPlugConstants.h"
#include "core/WDL_String.h"
#include "core/WDL_TypedBuf.h"

namespace iplug {
template <class TIN = float, class TOUT = double>
struct IChannelData
{
  bool mConnected = false;
  /** This channel's slot in the processor's pointer array. */
  TOUT** mData = nullptr;
  /** Host buffer that receives this output channel after processing. */
  TIN* mIncomingData = nullptr;
  /** Block-size samples used when the host's buffer cannot be used directly. */
  WDL_TypedBuf<TOUT> mScratchBuf;
  WDL_String mLabel;
};
} // namespace iplug
