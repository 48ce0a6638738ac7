#pragma once
// Typed access to the arguments of a Component Manager parameter block.
// Each argument occupies one `long` slot, in the order of the Audio Unit call;
// a value narrower than a slot sits at the start of its slot.

#include <cstring>
#include <type_traits>

#include <CoreServices/CoreServices.h>

namespace iplug {
class AUComponentParams
{
public:
  explicit AUComponentParams(const ComponentParameters* params) : mParams(params) {}

  /** Argument `index` (0 = first argument of the call); zero when the block is shorter. */
  template <typename T>
  T Get(int index) const
  {
    static_assert(sizeof(T) <= sizeof(long) && std::is_trivially_copyable_v<T>);
    T value{};
    if (index < 0 || static_cast<size_t>(index) >= NSlots())
      return value;
    std::memcpy(&value, &mParams->params[index], sizeof(T));
    return value;
  }

private:
  /** Slots the block declares through its byte size. */
  size_t NSlots() const { return mParams->paramSize / sizeof(long); }

  const ComponentParameters* mParams;
};
} // namespace iplug
