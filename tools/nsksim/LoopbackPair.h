// Two connected loopback TCP sockets: a session that arrives another way (an
// SSH channel, standard input and output) is bridged onto a socket, so that
// ClientSession serves it as it serves a telnet client.
#pragma once

namespace loopback {

// Blocking descriptors, close-on-exec; false when the system refuses.
bool makePair(int* sessionSide, int* bridgeSide);

// Writes all of data to a blocking descriptor; false once it fails.
bool writeAll(int fd, const char* data, long size);

}  // namespace loopback
