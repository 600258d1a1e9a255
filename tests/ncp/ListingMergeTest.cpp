// ListingMerge: answers of listings that ran at once come out in the order
// one connection gives them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ncp/ListingMerge.h"

namespace {

struct Merged {
  std::vector<std::string> out;
  int done = 0;
  ListingMerge merge;
  Merged(size_t listings, size_t limit)
      : merge(
            listings, limit, [this](const std::string& e) { out.push_back(e); }, [this] { ++done; }) {}
};

}  // namespace

TEST(ListingMerge, LaterListingsWaitUntilEveryEarlierOneHasEnded) {
  Merged m(3, 100);
  m.merge.add(1, "b1");
  m.merge.add(0, "a1");
  m.merge.add(2, "c1");
  m.merge.end(2);
  m.merge.add(1, "b2");
  EXPECT_EQ(m.out, (std::vector<std::string>{"a1"}));
  m.merge.end(0);
  m.merge.handOn(SIZE_MAX);
  m.merge.add(1, "b3");
  EXPECT_EQ(m.done, 0);
  m.merge.end(1);
  m.merge.handOn(SIZE_MAX);
  EXPECT_EQ(m.out, (std::vector<std::string>{"a1", "b1", "b2", "b3", "c1"}));
  EXPECT_EQ(m.done, 1);
  EXPECT_TRUE(m.merge.finished());
}

TEST(ListingMerge, TheBacklogGoesOnAShareAtATimeAheadOfTheListingsLaterEvents) {
  Merged m(3, 100);
  for (const char* e : {"b1", "b2", "b3"}) m.merge.add(1, e);
  m.merge.add(2, "c1");
  m.merge.end(2);
  m.merge.end(0);
  EXPECT_TRUE(m.out.empty());
  m.merge.handOn(2);
  EXPECT_EQ(m.out, (std::vector<std::string>{"b1", "b2"}));
  m.merge.add(1, "b4");
  m.merge.end(1);
  EXPECT_EQ(m.out.size(), 2u);
  m.merge.handOn(2);
  EXPECT_EQ(m.out, (std::vector<std::string>{"b1", "b2", "b3", "b4"}));
  EXPECT_EQ(m.done, 0) << "c1 still waits";
  EXPECT_TRUE(m.merge.backlog());
  m.merge.handOn(2);
  EXPECT_EQ(m.out.back(), "c1");
  EXPECT_EQ(m.done, 1);
}

TEST(ListingMerge, RefusesTheWaitingEventBeyondTheLimit) {
  Merged m(2, 2);
  EXPECT_TRUE(m.merge.add(1, "b1"));
  EXPECT_TRUE(m.merge.add(1, "b2"));
  EXPECT_FALSE(m.merge.add(1, "b3"));
  // The head is not held, so it is never refused.
  EXPECT_TRUE(m.merge.add(0, "a1"));
  m.merge.end(0);
  m.merge.handOn(SIZE_MAX);
  EXPECT_EQ(m.out, (std::vector<std::string>{"a1", "b1", "b2"}));
}
