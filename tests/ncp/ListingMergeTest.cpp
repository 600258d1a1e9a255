// ListingMerge: answers of listings that ran at once come out in the order
// one connection gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ncp/ListingMerge.h"

TEST(ListingMerge, LaterListingsWaitUntilEveryEarlierOneHasEnded) {
  std::vector<std::string> out;
  int done = 0;
  ListingMerge merge(
      3, 100, [&](const std::string& e) { out.push_back(e); }, [&] { ++done; });
  merge.add(1, "b1");
  merge.add(0, "a1");
  merge.add(2, "c1");
  merge.end(2);
  merge.add(1, "b2");
  EXPECT_EQ(out, (std::vector<std::string>{"a1"}));
  merge.end(0);
  merge.add(1, "b3");
  EXPECT_EQ(done, 0);
  merge.end(1);
  EXPECT_EQ(out, (std::vector<std::string>{"a1", "b1", "b2", "b3", "c1"}));
  EXPECT_EQ(done, 1);
  EXPECT_TRUE(merge.finished());
}

TEST(ListingMerge, RefusesTheWaitingEventBeyondTheLimit) {
  std::vector<std::string> out;
  ListingMerge merge(
      2, 2, [&](const std::string& e) { out.push_back(e); }, [] {});
  EXPECT_TRUE(merge.add(1, "b1"));
  EXPECT_TRUE(merge.add(1, "b2"));
  EXPECT_FALSE(merge.add(1, "b3"));
  // The head is not held, so it is never refused.
  EXPECT_TRUE(merge.add(0, "a1"));
  merge.end(0);
  EXPECT_EQ(out, (std::vector<std::string>{"a1", "b1", "b2"}));
}
