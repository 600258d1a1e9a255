// A termination signal reaches the program as an ordinary close.
#include <gtest/gtest.h>

#include <csignal>

#include "support/EventLoop.h"
#include "ui/CloseOnSignal.h"

namespace {

TEST(CloseOnSignal, TerminationSignalIsDeliveredThroughTheEventLoop) {
  for (int signal : {SIGTERM, SIGINT}) {
    int closes = 0;
    CloseOnSignal closeOnSignal([&] { ++closes; });
    ASSERT_EQ(std::raise(signal), 0);
    EXPECT_TRUE(korvtest::waitUntil([&] { return closes == 1; })) << "signal " << signal;
  }
}

}  // namespace
