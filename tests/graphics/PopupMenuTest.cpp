#include <gtest/gtest.h>

#include "graphics/IPopupMenu.h"

using namespace iplug::igraphics;

TEST(IPopupMenu, AlphabeticalInsertionIgnoresCase)
{
  IPopupMenu menu;
  for (const char* t : {"beta", "Alpha", "gamma", "alpha2", "Delta"})
    menu.AddItem(t, IPopupMenu::kAlphabetical);
  std::vector<std::string> texts;
  for (int i = 0; i < menu.NItems(); ++i)
    texts.push_back(menu.GetItemText(i));
  EXPECT_EQ(texts, (std::vector<std::string>{"Alpha", "alpha2", "beta", "Delta", "gamma"}));
}

TEST(IPopupMenu, InsertPositions)
{
  IPopupMenu menu("", 0, false, {"a", "b"});
  menu.AddItem("first", -7); // below -2 counts as 0
  menu.AddItem("last", 99);  // past the end appends
  menu.AddItem("mid", 2);
  std::vector<std::string> texts;
  for (int i = 0; i < menu.NItems(); ++i)
    texts.push_back(menu.GetItemText(i));
  EXPECT_EQ(texts, (std::vector<std::string>{"first", "a", "mid", "b", "last"}));
}

TEST(IPopupMenu, PrefixNumbering)
{
  struct
  {
    int prefix;
    int index;
    const char* expected;
  } cases[] = {
    {0, 0, "x0"}, {1, 0, "1: x0"}, {2, 0, "01: x0"}, {2, 11, "12: x11"}, {3, 4, "005: x4"},
  };
  for (const auto& c : cases)
  {
    IPopupMenu menu("", c.prefix);
    for (int i = 0; i < 12; ++i)
    {
      WDL_String text;
      text.SetFormatted(8, "x%d", i);
      menu.AddItem(text.Get());
    }
    WDL_String text;
    menu.GetItemDisplayText(c.index, text);
    EXPECT_STREQ(text.Get(), c.expected);
  }
}

TEST(IPopupMenu, ChecksAndSeparators)
{
  IPopupMenu menu("", 0, false, {"a", "b", "c"});
  menu.CheckItem(0, true);
  menu.CheckItemAlone(2);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_TRUE(menu.IsItemChecked(2));
  IPopupMenu::Item* sep = menu.AddSeparator();
  sep->SetChecked(true);
  EXPECT_FALSE(menu.ShowsCheckMark(menu.NItems() - 1));
  EXPECT_TRUE(menu.ShowsCheckMark(2));
}

TEST(IPopupMenu, RemoveEmptySubmenusKeepsTheRest)
{
  IPopupMenu menu;
  menu.AddItem("plain");
  menu.AddItem("empty", new IPopupMenu());
  menu.AddItem("full", new IPopupMenu("", 0, false, {"x"}));
  menu.AddItem("empty2", new IPopupMenu());
  menu.RemoveEmptySubmenus();
  ASSERT_EQ(menu.NItems(), 2);
  EXPECT_STREQ(menu.GetItemText(0), "plain");
  EXPECT_STREQ(menu.GetItemText(1), "full");
}

TEST(IPopupMenu, SubmenusInheritThePopupFunction)
{
  IPopupMenu* chosen = nullptr;
  IPopupMenu menu("root", {"a"}, [&](IPopupMenu* m) { chosen = m; });
  IPopupMenu* sub = new IPopupMenu("", 0, false, {"s1", "s2"});
  menu.AddItem("sub", sub);
  sub->SetChosenItemIdx(1);
  sub->ExecFunction();
  EXPECT_EQ(chosen, sub);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_STREQ(chosen->GetChosenItem()->GetText(), "s2");
}
