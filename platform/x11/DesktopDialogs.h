#pragma once
// The desktop's own dialogs and opener, run as helper programs: message
// boxes, file, folder and colour prompts through zenity, URLs and folders
// through xdg-open. These functions build the command lines and read the
// answers; DesktopServices runs them.

#include <string>
#include <vector>

#include "graphics/IColor.h"
#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics::x11 {

using Command = std::vector<std::string>;

Command MessageBoxCommand(const char* text, const char* title, EMsgBoxType type);
/** The button behind zenity's exit status and output for a box of `type`; NoResult when
    the dialog failed (status other than 0 and 1). */
EMsgBoxResult MessageBoxResult(EMsgBoxType type, int exitCode, const std::string& output);

/** `extensions`: blank-separated, e.g. "wav aif" (may be null or empty: any file). */
Command FileDialogCommand(const char* initialPath, EFileAction action, const char* extensions);
Command DirectoryDialogCommand(const char* initialDir);
Command ColorDialogCommand(const IColor& start, const char* title);
Command OpenCommand(const char* urlOrPath);

/** The chosen path from a file or folder dialog's output: its first line, or empty. */
std::string ChosenPath(int exitCode, const std::string& output);
/** Reads "rgb(r,g,b)", "rgba(r,g,b,a)" (a from 0 to 1) or "#rrggbb"; false for anything else. */
bool ParseColor(const std::string& text, IColor& color);

} // namespace iplug::igraphics::x11
