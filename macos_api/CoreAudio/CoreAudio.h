// Core Audio: the data types used by Audio Units (no device access).
#pragma once

#include <CoreAudio/CoreAudioTypes.h>
