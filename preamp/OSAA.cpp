#include "preamp/OSAA.h"

#include <algorithm>
#include <iterator>

namespace iplug {

void OSAA::clear()
{
  std::fill(std::begin(ring), std::end(ring), 0.0);
  head = 0;
}

} // namespace iplug
