// The threshold ranges of the monitoring plugins: where each form alerts,
// at and beside its ends, and the texts that are no range.
#include <gtest/gtest.h>

#include "ncpctl/PluginRange.h"

namespace {

struct RangeRow {
  const char* text;
  double value;
  bool alerts;
};

void PrintTo(const RangeRow& row, std::ostream* out) { *out << row.text << " at " << row.value; }

}  // namespace

class NcpctlPluginRange : public ::testing::TestWithParam<RangeRow> {};

TEST_P(NcpctlPluginRange, AlertsOutsideTheRangeOrInsideItWithAt) {
  const auto range = PluginRange::parse(GetParam().text);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->alerts(GetParam().value), GetParam().alerts);
}

INSTANTIATE_TEST_SUITE_P(Rows, NcpctlPluginRange,
                         ::testing::Values(RangeRow{"10", 0, false}, RangeRow{"10", 10, false},
                                           RangeRow{"10", 11, true}, RangeRow{"10", -1, true}, RangeRow{"10:", 9, true},
                                           RangeRow{"10:", 1e9, false}, RangeRow{"~:10", -1e9, false},
                                           RangeRow{"~:10", 10.5, true}, RangeRow{"10:20", 9.5, true},
                                           RangeRow{"10:20", 20, false}, RangeRow{"@10:20", 10, true},
                                           RangeRow{"@10:20", 20, true}, RangeRow{"@10:20", 21, false},
                                           RangeRow{"-5:-1.5", -2, false}));

TEST(NcpctlPluginRanges, TextsThatAreNoRangeAreRefused) {
  for (const char* text : {"", "@", "x", "~", "1:x", "20:10", "1e999", "+1", "1:2:3", "nan", "inf"}) {
    EXPECT_FALSE(PluginRange::parse(text)) << text;
  }
  std::string error;
  EXPECT_FALSE(parseStatusRanges("stopped=1,idle=2", &error));
  EXPECT_NE(error.find("idle=2"), std::string::npos) << error;
  const auto ranges = parseStatusRanges("Stopped=1,abnormal=@0:2", &error);
  ASSERT_TRUE(ranges);
  EXPECT_EQ(ranges->at(nsStopped).text, "1");
  EXPECT_EQ(ranges->at(nsAbnormal).text, "@0:2");
}
