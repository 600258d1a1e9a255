// The state events' text: every event's code, written and read back.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "ncp/NcpEvent.h"

namespace {

using ncp::NcpEvent;

struct EventRow {
  NcpEvent event;
  const char* code;
};

void PrintTo(const EventRow& row, std::ostream* os) { *os << row.code; }

class NcpEventText : public testing::TestWithParam<EventRow> {};

TEST_P(NcpEventText, IsTheCodeThenThePayloadAndReadsBack) {
  const EventRow row = GetParam();
  const std::string text = ncp::formatEvent(row.event, " \\SYS1.$PM01.L1");
  EXPECT_EQ(text, std::string(row.code) + " \\SYS1.$PM01.L1");
  EXPECT_EQ(ncp::parseEvent(text), row.event);
  EXPECT_EQ(ncp::eventPayload(text), " \\SYS1.$PM01.L1");
  EXPECT_EQ(ncp::formatEvent(row.event), row.code);
  EXPECT_EQ(ncp::parseEvent(row.code), row.event);
}

INSTANTIATE_TEST_SUITE_P(
    EveryEvent, NcpEventText,
    testing::Values(EventRow{NcpEvent::TaclRefused, "001"}, EventRow{NcpEvent::TaclLoggedOn, "002"},
                    EventRow{NcpEvent::SystemName, "003"}, EventRow{NcpEvent::PathmonListed, "004"},
                    EventRow{NcpEvent::ProcessListed, "005"}, EventRow{NcpEvent::NcpLoggedOn, "006"},
                    EventRow{NcpEvent::NcpRefused, "007"}, EventRow{NcpEvent::PathmonsListed, "008"},
                    EventRow{NcpEvent::StationListed, "009"}, EventRow{NcpEvent::StationStatus, "010"},
                    EventRow{NcpEvent::LineStatus, "011"}, EventRow{NcpEvent::PathmonChange, "012"},
                    EventRow{NcpEvent::ProcessStatus, "013"}, EventRow{NcpEvent::CommandRefused, "014"},
                    EventRow{NcpEvent::DebugText, "999"}),
    [](const auto& info) { return std::string(info.param.code); });

}  // namespace
