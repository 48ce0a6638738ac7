#pragma once
// Configuration record that a plug-in class fills in and hands to its bases.
// Texts are copied by the bases; the record need not outlive construction.

#include <cstdint>

namespace iplug {
struct Config
{
  int paramCount = 0;
  int presetCount = 0;
  const char* channelIO = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* makerName = "";
  int versionCode = 0; // major * 65536 + minor * 256 + bugfix
  int uniqueId = 0;    // four-character plug-in code
  int makerId = 0;     // four-character maker code
  int latency = 0;     // samples
  bool midiIn = false;
  bool midiOut = false;
  bool mpe = false;
  bool stateChunks = false;
  int pluginKind = 0; // EIPlugPluginType
  bool hasEditor = false;
  int editorWidth = 0;
  int editorHeight = 0;
  int editorMinWidth = 0;
  int editorMaxWidth = 0;
  int editorMinHeight = 0;
  int editorMaxHeight = 0;
  bool hostResize = false;
  const char* bundleId = "";
};
} // namespace iplug
