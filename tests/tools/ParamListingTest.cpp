#include "tools/corvane/ParamListing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane::host;
using ::testing::HasSubstr;

namespace {

std::vector<ParamListingEntry> Entries()
{
  ParamDesc hpf{2,  "Highpass Filter",
                0,  4,
                0,  static_cast<uint32_t>(ParamUnit::Indexed),
                "", {"OFF", "45Hz", "70Hz", "160Hz", "360Hz"},
                0};
  ParamDesc out{1, "Output", -24, 24, 0, static_cast<uint32_t>(ParamUnit::Custom), "dB", {}, 0};
  ParamDesc odd{9, "Say \"hi\"\\\n", 0, 1, 0.5, 0, "", {}, 0};
  return {{hpf, "OFF"}, {out, "0.0"}, {odd, ""}};
}

} // namespace

TEST(ParamListing, JsonEscapesNamesAndKeepsTheSameFacts)
{
  const std::string json = FormatParamJson(Entries());
  EXPECT_THAT(json, HasSubstr("{\"index\": 2, \"name\": \"Highpass Filter\", \"min\": 0, \"max\": 4, \"default\": 0, "
                              "\"defaultText\": \"OFF\", \"unit\": \"indexed\", \"values\": [\"OFF\", \"45Hz\", "
                              "\"70Hz\", \"160Hz\", \"360Hz\"]},"));
  EXPECT_THAT(json, HasSubstr("\"unit\": \"dB\""));
  EXPECT_THAT(json, HasSubstr("\"name\": \"Say \\\"hi\\\"\\\\\\n\""));
  EXPECT_EQ(JsonString(std::string("a\x01z")), "\"a\\u0001z\"");
  EXPECT_EQ(json.substr(json.size() - 5), "]}\n]\n") << "no trailing comma after the last entry";
}
