// Positional reads over arbitrary bytes: every read either succeeds inside
// the chunk or returns -1, and a chain never advances past the end.
#include <cstdint>
#include <cstdlib>

#include "core/IByteChunk.h"

using namespace iplug;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  IByteChunk chunk;
  chunk.WriteBytes(data, static_cast<int>(size));

  // Strings, values and flags in a loop, as a state reader would.
  int pos = 0;
  for (int step = 0; pos >= 0 && step < 64; ++step)
  {
    WDL_String text;
    bool flag = false;
    double d = 0;
    const int before = pos;
    switch (step % 3)
    {
      case 0: pos = chunk.ReadString(text, pos); break;
      case 1: pos = chunk.ReadValue(flag, pos); break;
      default: pos = chunk.ReadValue(d, pos); break;
    }
    if (pos >= 0 && (pos < before || pos > chunk.Size()))
      std::abort();
  }
  // Reads from every start position, including past the end.
  for (int start = -1; start <= chunk.Size() + 1 && start < 64; ++start)
  {
    WDL_String text;
    const int end = chunk.ReadString(text, start);
    if (end >= 0 && (end > chunk.Size() || text.GetLength() > chunk.Size()))
      std::abort();
  }
  return 0;
}
