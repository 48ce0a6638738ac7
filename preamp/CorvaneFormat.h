#pragma once
// Corvane is built once per plug-in format. Each format's build defines
// which adapter the plug-in class derives from; this is the one place where
// the formats differ.
//
//   Audio Unit (default)   Corvane : IPlugAU
//   CORVANE_FORMAT_LV2     Corvane : IPlugLV2

#if defined(CORVANE_FORMAT_LV2)
#include "lv2/IPlugLV2.h"
namespace iplug {
using CorvaneFormat = IPlugLV2;
}
#else
#include "au/IPlugAU.h"
namespace iplug {
using CorvaneFormat = IPlugAU;
}
#endif
