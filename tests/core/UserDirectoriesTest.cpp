#include <gtest/gtest.h>

#include "core/UserDirectories.h"

using iplug::UserDirectories;

TEST(UserDirectories, ReadsUserDirsEntriesAsTheShellWould)
{
  const std::string text = "# comment\n"
                           "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                           "XDG_MUSIC_DIR=\"/mnt/audio\"\n"
                           "  XDG_MUSIC_DIR=\"$HOME/Musik\"\n" // the last definition wins
                           "XDG_MUSIC_DIRX=\"/wrong\"\n"
                           "XDG_VIDEOS_DIR=Videos\n"; // unquoted: ignored
  EXPECT_EQ(UserDirectories::ParseUserDirsEntry(text, "XDG_MUSIC_DIR", "/home/a"), "/home/a/Musik");
  EXPECT_EQ(UserDirectories::ParseUserDirsEntry(text, "XDG_DESKTOP_DIR", "/home/a"), "/home/a/Schreibtisch");
  EXPECT_EQ(UserDirectories::ParseUserDirsEntry(text, "XDG_VIDEOS_DIR", "/home/a"), "");
  EXPECT_EQ(UserDirectories::ParseUserDirsEntry(text, "XDG_PICTURES_DIR", "/home/a"), "");
  EXPECT_EQ(UserDirectories::ParseUserDirsEntry("XDG_MUSIC_DIR=\"unterminated\n", "XDG_MUSIC_DIR", "/h"), "");
}
