// NcpEvent: the state events the NCP session raises on OnNCPState, and their
// text: the event's three-digit code followed by its payload (the host line
// it is about, or nothing). The code of each event is fixed; owners that log
// or record the events see the same text whatever the names here.
//
// Only the session writes these texts (formatEvent) and only the state-event
// handler reads them (parseEvent, eventPayload); the front ends learn of an
// event through the handler's hooks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ncp {

enum class NcpEvent : uint16_t {
  TaclRefused = 1,      // the TACL logon is complete, not authorized
  TaclLoggedOn = 2,     // the TACL logon is complete and authorized
  SystemName = 3,       // the "#mysystem" line (host system name)
  PathmonListed = 4,    // one PATHMON line
  ProcessListed = 5,    // one line of the process listing during the load
  NcpLoggedOn = 6,      // NCP accepted the logon; the prompt line
  NcpRefused = 7,       // NCP refused the logon; the prompt line
  PathmonsListed = 8,   // the PATHMON listing has ended
  StationListed = 9,    // one INFO STATION line
  StationStatus = 10,   // one STATUS STATION line
  LineStatus = 11,      // one STATUS LINE line
  PathmonChange = 12,   // an NCP logon on another PATHMON leaves NCPCOM first
  ProcessStatus = 13,   // one STATUS PROCESS line after the load
  CommandRefused = 14,  // the host's error line to a START, STOP or DELIVER
  DebugText = 999,      // a text for the debug transcript, code included
};

inline constexpr std::array kNcpEvents{NcpEvent::TaclRefused,   NcpEvent::TaclLoggedOn,   NcpEvent::SystemName,
                                       NcpEvent::PathmonListed, NcpEvent::ProcessListed,  NcpEvent::NcpLoggedOn,
                                       NcpEvent::NcpRefused,    NcpEvent::PathmonsListed, NcpEvent::StationListed,
                                       NcpEvent::StationStatus, NcpEvent::LineStatus,     NcpEvent::PathmonChange,
                                       NcpEvent::ProcessStatus, NcpEvent::CommandRefused, NcpEvent::DebugText};

// The event text: the code's three digits, then payload as it is.
std::string formatEvent(NcpEvent event, std::string_view payload = {});
// The event a text starts with; none when its first three characters are no
// digits or no event's code.
std::optional<NcpEvent> parseEvent(std::string_view text);
// What follows the code.
std::string_view eventPayload(std::string_view text);

}  // namespace ncp
