#pragma once
// The file names in a text/uri-list (what a file manager offers when files
// are dragged): one URI a line, '#' lines are comments. Only local file URIs
// give names: file:///path, or file://host/path when host is this machine
// or "localhost". Escapes (%20) are decoded; a name that would hold a NUL,
// or is not absolute, is left out, as is every other scheme.

#include <string>
#include <string_view>
#include <vector>

namespace iplug::igraphics::x11 {

/** The local file names `uriList` lists, in order. `hostname`: this machine's name. */
std::vector<std::string> FileNamesFromUriList(std::string_view uriList, std::string_view hostname);

} // namespace iplug::igraphics::x11
