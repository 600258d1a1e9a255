// The waits between attempts to reconnect: doubled from the first up to the
// longest, each with at most a fifth more at random, and from the first
// again after a reset.
#include <gtest/gtest.h>

#include "ncp/ReconnectBackoff.h"

namespace {

using Wait = ReconnectBackoff::Wait;

void expectAround(Wait wait, Wait base) {
  EXPECT_GE(wait, base);
  EXPECT_LE(wait, base + base / 5);
}

TEST(ReconnectBackoff, WaitsDoubleUpToTheLongestAndStartAgainAfterAReset) {
  ReconnectBackoff backoff;
  for (const int seconds : {2, 4, 8, 16, 32, 60, 60}) expectAround(backoff.next(), std::chrono::seconds(seconds));
  // Far past the point where doubling the first wait would overflow.
  for (int i = 0; i < 100; ++i) expectAround(backoff.next(), ReconnectBackoff::kLongest);
  EXPECT_EQ(backoff.attempts(), 107);
  backoff.reset();
  expectAround(backoff.next(), ReconnectBackoff::kFirst);
}

}  // namespace
