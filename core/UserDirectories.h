#pragma once
// The user's folders as this platform's desktop conventions (XDG) name them.

#include <string>

namespace iplug {

struct UserDirectories
{
  /** $HOME, or the password database's home folder. */
  static std::string Home();
  /** XDG_MUSIC_DIR from user-dirs.dirs, else ~/Music. */
  static std::string Music();
  /** XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop. */
  static std::string Desktop();
  /** $XDG_DATA_HOME, else ~/.local/share: per-user application data. */
  static std::string Data();
  /** /usr/local/share: application data for every user. */
  static std::string SystemData();

  /** The value of `key` in a user-dirs.dirs text, with $HOME expanded; "" if absent.
   *  Relative values are taken relative to `home`, as the format defines. */
  static std::string ParseUserDirsEntry(const std::string& text, const std::string& key, const std::string& home);
};

} // namespace iplug
