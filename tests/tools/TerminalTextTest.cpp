// Outside text on its way to the terminal: control characters of every kind
// are escaped in plain text and in JSON, and what is printable stays as it is.

#include "tools/corvane/Messages.h"
#include "tools/corvane/ParamListing.h"

#include <gtest/gtest.h>

using namespace corvane::host;

TEST(TerminalText, ControlCharactersAreEscapedAndTheRestKept)
{
  const struct
  {
    std::string text, printable, json;
  } cases[] = {
    {"Warm vocal \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\x9B", "Warm vocal \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\x9B",
     "\"Warm vocal \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\x9B\""},
    {"a\x1B[31mred", "a\\x1B[31mred", "\"a\\u001b[31mred\""},
    {"line\nnext\ttab\r", "line\\nnext\\ttab\\r", "\"line\\nnext\\ttab\\r\""},
    {"del\x7F", "del\\x7F", "\"del\\u007f\""},
    // C1 controls in UTF-8: U+009B is a CSI on many terminals.
    {"c1\xC2\x9B"
     "2J",
     "c1\\xC2\\x9B2J", "\"c1\\u009b2J\""},
    {"nbsp\xC2\xA0", "nbsp\xC2\xA0", "\"nbsp\xC2\xA0\""},
    // Bytes that are not UTF-8: a lone C1 byte, an overlong form, a cut sequence.
    {"\x9B", "\\x9B", "\"\\ufffd\""},
    {"\xC0\x9B", "\\xC0\\x9B", "\"\\ufffd\\ufffd\""},
    {"\xE0\x80\x9B", "\\xE0\\x80\\x9B", "\"\\ufffd\\ufffd\\ufffd\""},
    {"cut\xE2\x82", "cut\\xE2\\x82", "\"cut\\ufffd\\ufffd\""},
    {"surrogate\xED\xA0\x80", "surrogate\\xED\\xA0\\x80", "\"surrogate\\ufffd\\ufffd\\ufffd\""},
  };
  for (const auto& c : cases)
  {
    EXPECT_EQ(Printable(c.text), c.printable) << c.printable;
    EXPECT_EQ(JsonString(c.text), c.json) << c.printable;
  }
}

TEST(TerminalText, ParameterTableEscapesTheUnitsTextsAndStaysAligned)
{
  ParamDesc odd{0, "Evil\x1B[2J", 0, 1, 0, static_cast<uint32_t>(ParamUnit::Indexed), "", {"off\x1B", "on"}, 0};
  ParamDesc plain{1, "Gain", 0, 1, 0, static_cast<uint32_t>(ParamUnit::Indexed), "", {"a", "b"}, 0};
  const std::string table = FormatParamTable({{odd, "off\x1B"}, {plain, "a"}});
  EXPECT_EQ(table.find('\x1B'), std::string::npos) << table;
  EXPECT_NE(table.find("Evil\\x1B[2J"), std::string::npos) << table;
  // The column after the names starts at one place on every row.
  const size_t first = table.find('\n') + 1, second = table.find('\n', first) + 1;
  EXPECT_EQ(table.find("0 .. 1", first) - first, table.find("0 .. 1", second) - second) << table;
}
