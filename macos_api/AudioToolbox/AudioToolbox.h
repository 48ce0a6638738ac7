// Audio Toolbox: Audio Units and their listener utilities.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <AudioToolbox/AudioUnitUtilities.h>
