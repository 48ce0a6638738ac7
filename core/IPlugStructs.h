#pragma once
// Small value types that travel between host, processor and editor.

#include <cstdint>
#include <cstring>

#include "core/IPlugConstants.h"

namespace iplug {
/** (parameter index, real value) pair carried to the editor. */
struct ParamTuple
{
  int32_t idx = kNoParameter;
  double value = 0.0;
};

/** One short MIDI message with its offset into the current block. */
struct IMidiMsg
{
  int32_t mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, uint8_t status, uint8_t data1, uint8_t data2)
  : mOffset(offset)
  , mStatus(status)
  , mData1(data1)
  , mData2(data2)
  {}
};

/** A SysEx message viewed in place; the bytes are not owned. */
struct ISysEx
{
  int32_t mOffset = 0;
  const uint8_t* mData = nullptr;
  int32_t mSize = 0;

  ISysEx() = default;
  ISysEx(int offset, const uint8_t* data, int size) : mOffset(offset), mData(data), mSize(size) {}
};

/** Fixed-size copy of a SysEx message, so it can travel through a queue. */
struct SysExData
{
  int32_t mOffset = 0;
  int32_t mSize = 0;
  uint8_t mData[kSysExDataSize] = {};

  SysExData() = default;
  /** Copies at most kSysExDataSize bytes; a null source gives zero bytes. */
  SysExData(int offset, int size, const void* data) : mOffset(offset)
  {
    mSize = size < 0 ? 0 : (size > kSysExDataSize ? kSysExDataSize : size);
    if (data)
      std::memcpy(mData, data, static_cast<size_t>(mSize));
  }
};

/** A key press delivered to the editor. */
struct IKeyPress
{
  int32_t VK = 0;    // virtual key code
  char utf8[5] = {}; // typed character, UTF-8, NUL-terminated
  bool S = false;    // shift
  bool C = false;    // control
  bool A = false;    // alt / option

  IKeyPress() = default;
  IKeyPress(const char* text, int vk, bool shift = false, bool ctrl = false, bool alt = false)
  : VK(vk)
  , S(shift)
  , C(ctrl)
  , A(alt)
  {
    if (text)
      std::strncpy(utf8, text, sizeof(utf8) - 1);
  }
};

/** Transport state reported by the host before each block; -1 means unknown. */
struct ITimeInfo
{
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int32_t mNumerator = 4;
  int32_t mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

using HostTimeInfo = ITimeInfo;
} // namespace iplug
