// Host text (Latin-1) may carry bytes that would act on a terminal or a
// widget rather than show: the C0 controls, DEL and the C1 controls. Every
// front end shows them escaped ("\x1b"), so that what the host said is seen,
// not obeyed, and nothing of it is lost.
#pragma once

#include <string>

namespace ncp {

constexpr bool isControlByte(unsigned char c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// The four characters that show a control byte: "\x1b".
inline std::string escapedControlByte(unsigned char c) {
  static const char kHex[] = "0123456789abcdef";
  return {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
}

}  // namespace ncp
