#include "platform/x11/DesktopDialogs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace iplug::igraphics::x11 {

namespace {

struct Buttons
{
  const char* ok;     // exit status 0
  const char* cancel; // exit status 1 without output
  const char* extra;  // exit status 1 with this label on standard output
  EMsgBoxResult okResult;
  EMsgBoxResult cancelResult;
  EMsgBoxResult extraResult;
};

Buttons ButtonsFor(EMsgBoxType type)
{
  using R = EMsgBoxResult;
  switch (type)
  {
    case EMsgBoxType::OKCancel: return {"OK", "Cancel", nullptr, R::OK, R::Cancel, R::NoResult};
    case EMsgBoxType::AbortRetryIgnore: return {"Retry", "Abort", "Ignore", R::Retry, R::Abort, R::Ignore};
    case EMsgBoxType::YesNoCancel: return {"Yes", "No", "Cancel", R::Yes, R::No, R::Cancel};
    case EMsgBoxType::YesNo: return {"Yes", "No", nullptr, R::Yes, R::No, R::NoResult};
    case EMsgBoxType::RetryCancel: return {"Retry", "Cancel", nullptr, R::Retry, R::Cancel, R::NoResult};
    case EMsgBoxType::OK: break;
  }
  return {"OK", nullptr, nullptr, R::OK, R::OK, R::NoResult};
}

std::string Text(const char* s) { return s ? s : ""; }

} // namespace

Command MessageBoxCommand(const char* text, const char* title, EMsgBoxType type)
{
  const Buttons b = ButtonsFor(type);
  // No markup: the text is shown as given, angle brackets and ampersands included.
  Command cmd{"zenity",
              b.cancel ? "--question" : "--info",
              "--no-markup",
              "--title=" + Text(title),
              "--text=" + Text(text),
              std::string("--ok-label=") + b.ok};
  if (b.cancel)
    cmd.push_back(std::string("--cancel-label=") + b.cancel);
  if (b.extra)
    cmd.push_back(std::string("--extra-button=") + b.extra);
  return cmd;
}

EMsgBoxResult MessageBoxResult(EMsgBoxType type, int exitCode, const std::string& output)
{
  const Buttons b = ButtonsFor(type);
  if (exitCode == 0)
    return b.okResult;
  if (exitCode != 1)
    return EMsgBoxResult::NoResult;
  const std::string line = output.substr(0, output.find('\n'));
  if (b.extra && line == b.extra)
    return b.extraResult;
  return b.cancelResult;
}

Command FileDialogCommand(const char* initialPath, EFileAction action, const char* extensions)
{
  Command cmd{"zenity", "--file-selection"};
  if (action == EFileAction::Save)
  {
    cmd.push_back("--save");
    cmd.push_back("--confirm-overwrite");
  }
  if (initialPath && *initialPath)
    cmd.push_back("--filename=" + Text(initialPath));
  std::string patterns;
  for (const char* p = extensions; p && *p;)
  {
    while (*p == ' ' || *p == ';' || *p == ',')
      ++p;
    const char* end = p;
    while (*end && *end != ' ' && *end != ';' && *end != ',')
      ++end;
    if (end > p)
      patterns += (patterns.empty() ? "*." : " *.") + std::string(p, end);
    p = end;
  }
  if (!patterns.empty())
    cmd.push_back("--file-filter=" + patterns);
  return cmd;
}

Command DirectoryDialogCommand(const char* initialDir)
{
  Command cmd{"zenity", "--file-selection", "--directory"};
  if (initialDir && *initialDir)
  {
    std::string dir = initialDir;
    if (dir.back() != '/')
      dir += '/';
    cmd.push_back("--filename=" + dir);
  }
  return cmd;
}

Command ColorDialogCommand(const IColor& start, const char* title)
{
  char rgb[48];
  std::snprintf(rgb, sizeof(rgb), "rgb(%d,%d,%d)", start.R, start.G, start.B);
  return {"zenity", "--color-selection", "--title=" + Text(title), std::string("--color=") + rgb};
}

Command OpenCommand(const char* urlOrPath) { return {"xdg-open", Text(urlOrPath)}; }

std::string ChosenPath(int exitCode, const std::string& output)
{
  if (exitCode != 0)
    return {};
  return output.substr(0, output.find('\n'));
}

bool ParseColor(const std::string& text, IColor& color)
{
  const std::string s = text.substr(0, text.find('\n'));
  int r = 0, g = 0, b = 0;
  double a = 1.0;
  char tail = 0;
  bool ok = false;
  if (s.size() == 7 && s[0] == '#')
  {
    ok = std::all_of(s.begin() + 1, s.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    if (ok)
    {
      const long v = std::strtol(s.c_str() + 1, nullptr, 16);
      r = static_cast<int>((v >> 16) & 0xff);
      g = static_cast<int>((v >> 8) & 0xff);
      b = static_cast<int>(v & 0xff);
    }
  }
  else if (s.rfind("rgba(", 0) == 0)
    ok = std::sscanf(s.c_str(), "rgba(%d,%d,%d,%lf)%c", &r, &g, &b, &a, &tail) == 4 && a >= 0.0 && a <= 1.0;
  else if (s.rfind("rgb(", 0) == 0)
    ok = std::sscanf(s.c_str(), "rgb(%d,%d,%d)%c", &r, &g, &b, &tail) == 3;
  if (!ok || std::min({r, g, b}) < 0 || std::max({r, g, b}) > 255)
    return false;
  color = IColor(static_cast<int>(std::lround(a * 255.0)), r, g, b);
  return true;
}

} // namespace iplug::igraphics::x11
