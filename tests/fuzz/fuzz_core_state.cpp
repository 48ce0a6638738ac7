// Saved state and preset banks from arbitrary bytes: loading may fail but
// leaves every parameter inside its range.
#include <cstdint>
#include <cstdlib>

#include "../core/TestPlugin.h"

using namespace iplug;
using namespace coretest;

namespace {
template <class P>
void CheckRanges(const P& plugin)
{
  for (int i = 0; i < plugin.NParams(); ++i)
  {
    const IParam* p = plugin.GetParam(i);
    const double v = p->GetValue();
    if (!(v >= p->GetMin() && v <= p->GetMax()))
      std::abort();
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  IByteChunk chunk;
  chunk.WriteBytes(data, static_cast<int>(size));

  ThreeParams<EditorStatePlugin> state(3);
  const int end = state.UnserializeState(chunk, 0);
  if (end > chunk.Size())
    std::abort();
  CheckRanges(state);

  ThreeParams<EditorStatePlugin> bank(4);
  const int bankEnd = bank.UnserializePresets(chunk, 0);
  if (bankEnd > chunk.Size())
    std::abort();
  CheckRanges(bank);
  for (int i = 0; i < bank.NPresets(); ++i)
    bank.RestorePreset(i);
  CheckRanges(bank);
  return 0;
}
