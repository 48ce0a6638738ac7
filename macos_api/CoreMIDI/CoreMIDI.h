// Core MIDI: the packet-list part this layer provides.
#pragma once

#include <CoreMIDI/MIDIServices.h>
