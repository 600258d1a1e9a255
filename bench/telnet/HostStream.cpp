#include "HostStream.h"

#include <cstdio>

namespace {

constexpr char IAC = '\xFF', NOP = '\xF1', GA = '\xF9', AYT = '\xF6';

std::string listingLine(unsigned n) {
  static const char* const kStatus[] = {"STARTED", "STOPPED", "STARTING", "ABNORMAL"};
  char line[128];
  std::snprintf(line, sizeof line, "STATION   $XP%02u.ST%05u     %-9s  LINE L%04u   ACQ %06u  DEV POS%04u\r\n", n % 7,
                n, kStatus[n % 4], n % 1000, n * 37 % 999999, n % 4096);
  return line;
}

std::string build(size_t size, bool withCommands) {
  std::string out;
  out.reserve(size + 128);
  for (unsigned n = 0; out.size() < size; ++n) {
    std::string line = listingLine(n);
    if (withCommands) {
      if (n % 41 == 0) line.insert(20, std::string{IAC, IAC});  // a 255 in the data
      if (n % 5 == 0) out += std::string{IAC, NOP};
      if (n % 9 == 0) out += std::string{IAC, GA};
      if (n % 97 == 0) out += std::string{IAC, AYT};
    }
    out += line;
  }
  out.resize(size);
  // A cut command at the very end would leave the parser mid-sequence.
  while (!out.empty() && out.back() == IAC) out.pop_back();
  return out;
}

}  // namespace

std::string hostStreamWithCommands(size_t size) { return build(size, true); }
std::string plainHostStream(size_t size) { return build(size, false); }
