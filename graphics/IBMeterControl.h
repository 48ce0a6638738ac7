#pragma once
// A level meter drawn from a filmstrip. The processor sends channel levels
// through the delegate's message path as an IMeterMessage; channel 0 chooses
// the frame.

#include <cstdint>

#include "graphics/IBitmapBase.h"
#include "graphics/IControl.h"

namespace iplug::igraphics {

/** Layout of a meter update (message tag 0): a header, then one float level per channel. */
struct IMeterMessage
{
  static constexpr int kMsgTag = 0;
  static constexpr int kHeaderSize = 3 * static_cast<int>(sizeof(int32_t)); // control tag, channels, first channel
  /** Shortest message taken: the header and two channel levels. */
  static constexpr int kMinSize = kHeaderSize + 2 * static_cast<int>(sizeof(float));
};

class IBMeterControl : public IControl, public IBitmapBase
{
public:
  /** `nChannels` values; in dB mode a level maps lowRangeDB..highRangeDB onto 0..1, else it is used as it is. */
  IBMeterControl(float x, float y, const IBitmap& bitmap, int nChannels = 1, bool dbMode = true,
                 double lowRangeDB = -60.0, double highRangeDB = 12.0);

  void Draw(IGraphics& g) override { DrawBitmap(g); }
  void OnRescale() override { RescaleBitmap(); }
  void OnMsgFromDelegate(int msgTag, int dataSize, const void* data) override;

  /** The normalised meter value of one level. */
  double ValueForLevel(float level) const;

private:
  bool mDBMode;
  double mLowRangeDB;
  double mHighRangeDB;
};

} // namespace iplug::igraphics
