#include "graphics/IBMeterControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace iplug::igraphics {

namespace {

std::vector<int> Unlinked(int n) { return std::vector<int>(static_cast<size_t>(std::max(n, 1)), kNoParameter); }

} // namespace

IBMeterControl::IBMeterControl(float x, float y, const IBitmap& bitmap, int nChannels, bool dbMode, double lowRangeDB,
                               double highRangeDB)
: IControl(IRECT(x, y, bitmap), Unlinked(nChannels))
, IBitmapBase(bitmap)
, mDBMode(dbMode)
, mLowRangeDB(lowRangeDB)
, mHighRangeDB(highRangeDB)
{
  mIgnoreMouse = true;
  AttachIControl(this);
}

double IBMeterControl::ValueForLevel(float level) const
{
  double v = level;
  if (mDBMode)
  {
    const double db = 20.0 / std::numbers::ln10 * std::log(std::fabs(static_cast<double>(level)));
    const double range = mHighRangeDB - mLowRangeDB;
    v = range != 0.0 ? (db - mLowRangeDB) / range : 0.0;
  }
  return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0);
}

void IBMeterControl::OnMsgFromDelegate(int msgTag, int dataSize, const void* data)
{
  if (msgTag != IMeterMessage::kMsgTag || !data || dataSize < IMeterMessage::kMinSize)
    return;
  const auto* bytes = static_cast<const unsigned char*>(data);
  int32_t header[3];
  std::memcpy(header, bytes, sizeof(header));
  const int nChans = header[1];
  const int firstChan = header[2];
  const int available = (dataSize - IMeterMessage::kHeaderSize) / static_cast<int>(sizeof(float));
  for (int i = 0; i < std::min(nChans, available); ++i)
  {
    const int valIdx = firstChan + i;
    if (valIdx < 0 || valIdx >= NVals())
      continue;
    float level;
    std::memcpy(&level, bytes + IMeterMessage::kHeaderSize + i * static_cast<int>(sizeof(float)), sizeof(level));
    SetValue(ValueForLevel(level), valIdx);
  }
  SetDirty(false);
}

} // namespace iplug::igraphics
