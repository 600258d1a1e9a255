// The host-output parsing rules on arbitrary lines and event texts: every
// line test, field rule, the name split, the status words and the NCPCOM
// partial-line classification. Checks that results stay within the input.
#include <cstdlib>
#include <string>
#include <string_view>

#include "ncp/NcpParsing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  (void)ncp::isSystemLine(text);
  (void)ncp::isPathmonLine(text);
  (void)ncp::isObjectLine(text);
  (void)ncp::isStationLine(text);
  (void)ncp::StatusFromText(text);
  (void)ncp::classifyNcpPartialLine(text);

  if (ncp::hostName(text).size() > 14) std::abort();
  if (ncp::pathmonName(text).size() > 9) std::abort();
  if (ncp::stationLineName(text).size() > 16) std::abort();
  if (ncp::stationProcessName(text).size() > 16) std::abort();
  (void)ncp::objectStatus(text);

  auto name = ncp::objectName(text);
  if (name && name->size() > 35) std::abort();
  size_t total = 0;
  for (const auto& part : ncp::splitName(text)) total += part.size();
  if (total > size) std::abort();
  return 0;
}
