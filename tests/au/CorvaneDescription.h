#pragma once
// The description hosts find the Corvane component by, from the product's identity.

#include <AudioUnit/AudioUnit.h>

#include "core/MakeFourCC.h"
#include "preamp/CorvaneIdentity.h"

namespace corvane_test {
inline AudioComponentDescription CorvaneDescription()
{
  return {static_cast<OSType>(iplug::MakeFourCC(corvane::kAUType)),
          static_cast<OSType>(iplug::MakeFourCC(corvane::kAUSubtype)),
          static_cast<OSType>(iplug::MakeFourCC(corvane::kAUManufacturer)), 0, 0};
}

/** The name the tests register an in-process Corvane under. */
inline CFStringRef InProcessCorvaneName() { return CFSTR("Veltrano: Corvane (in process)"); }
} // namespace corvane_test
