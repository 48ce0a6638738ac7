// FXP programs and FXB banks from arbitrary bytes, for plug-ins that keep
// their state as values and as opaque chunks.
#include <cstdint>
#include <cstdlib>

#include "../core/TestPlugin.h"

using namespace iplug;
using namespace coretest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  IByteChunk in;
  in.WriteBytes(data, static_cast<int>(size));

  for (bool chunks : {false, true})
  {
    ThreeParams<EditorStatePlugin> program(2, chunks);
    program.LoadPresetFromFXPChunk(in);
    ThreeParams<EditorStatePlugin> bank(3, chunks);
    bank.LoadBankFromFXBChunk(in);
    for (int i = 0; i < bank.NParams(); ++i)
    {
      const IParam* p = bank.GetParam(i);
      if (!(p->GetValue() >= p->GetMin() && p->GetValue() <= p->GetMax()))
        std::abort();
    }
    // Whatever was loaded saves again.
    IByteChunk out;
    if (!bank.SaveBankAsFXBChunk(out) || !bank.LoadBankFromFXBChunk(out))
      std::abort();
  }
  return 0;
}
