#include "core/UserDirectories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace iplug {
namespace {

std::string Environment(const char* name)
{
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ConfigHome()
{
  std::string config = Environment("XDG_CONFIG_HOME");
  return config.empty() || config[0] != '/' ? UserDirectories::Home() + "/.config" : config;
}

std::string UserDir(const char* key, const char* fallback)
{
  std::ifstream file(ConfigHome() + "/user-dirs.dirs");
  std::stringstream text;
  text << file.rdbuf();
  const std::string home = UserDirectories::Home();
  std::string value = UserDirectories::ParseUserDirsEntry(text.str(), key, home);
  // A value equal to the home folder means "disabled": use the fallback.
  if (value.empty() || value == home || value == home + "/")
    value = home + "/" + fallback;
  return value;
}

} // namespace

std::string UserDirectories::Home()
{
  std::string home = Environment("HOME");
  if (!home.empty())
    return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
    return entry->pw_dir;
  return "/";
}

std::string UserDirectories::Music() { return UserDir("XDG_MUSIC_DIR", "Music"); }

std::string UserDirectories::Desktop() { return UserDir("XDG_DESKTOP_DIR", "Desktop"); }

std::string UserDirectories::Data()
{
  std::string data = Environment("XDG_DATA_HOME");
  return data.empty() || data[0] != '/' ? Home() + "/.local/share" : data;
}

std::string UserDirectories::SystemData() { return "/usr/local/share"; }

std::string UserDirectories::ParseUserDirsEntry(const std::string& text, const std::string& key,
                                                const std::string& home)
{
  std::istringstream lines(text);
  std::string line;
  std::string result;
  while (std::getline(lines, line))
  {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#' || line.compare(start, key.size(), key) != 0)
      continue;
    size_t pos = start + key.size();
    if (pos >= line.size() || line[pos] != '=')
      continue;
    ++pos;
    // Values are "$HOME/Path" or "/absolute/path", in double quotes.
    if (pos >= line.size() || line[pos] != '"')
      continue;
    const size_t close = line.find('"', pos + 1);
    if (close == std::string::npos)
      continue;
    std::string value = line.substr(pos + 1, close - pos - 1);
    if (value.rfind("$HOME", 0) == 0)
      value = home + value.substr(5);
    else if (value.empty() || value[0] != '/')
      value = home + "/" + value;
    result = value; // the last definition wins, as when the shell sources the file
  }
  return result;
}

} // namespace iplug
