// Builds the network the simulator serves: the built-in demo network, one read
// from a text file, or a generated one of N stations for benchmarks.
//
// File format (one statement a line, words separated by blanks, "#" starts a
// comment, keywords and names case-insensitive, names stored in upper case):
//   system KORVDEMO
//   pathmon $PM01
//   process TCPIP1 STARTED
//   line LTCP01 STARTED TCPIP1            (line, status, owning process)
//   station ATM001 STARTED TCPIP1 LTCP01  (station, status, process, line)
// Objects belong to the last "pathmon"; a station's process and line, and a
// line's process, must be declared before it.
#pragma once

#include <QString>

#include "Network.h"

namespace NetworkBuilder {

Network demo();
// Reads the file; on failure returns false with a message naming the line.
bool fromFile(const QString& path, Network* network, QString* error);
Network generated(int stations);

}  // namespace NetworkBuilder
