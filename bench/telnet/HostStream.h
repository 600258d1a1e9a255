// HostStream: byte streams shaped like what a NonStop host sends during an
// NCP session, for the telnet benchmarks.
#pragma once

#include <cstddef>
#include <string>

// About `size` bytes of NCP listing lines ending in CR LF, with the telnet
// commands NOP, GA and AYT between lines and the odd escaped 255 (IAC IAC)
// inside a line, as a host's output looks on the wire.
std::string hostStreamWithCommands(size_t size);
// The same listing lines with no telnet command at all.
std::string plainHostStream(size_t size);
