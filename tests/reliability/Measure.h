// Figures for the reliability tests: the process's resident memory and its
// peak (from /proc/self/status), and the sizes of the heavy cases, which the
// sanitizer build runs smaller (KORV_RELIABILITY_SMALL) and which the
// environment may set by hand (KORV_REL_<NAME>=bytes) to take the figures at
// full size.
#pragma once

#include <cstdint>
#include <string>

namespace reltest {

// Resident set size and its peak, in KiB; -1 when unknown.
long residentKiB();
long peakResidentKiB();
// Resets the peak to the current resident size (Linux: /proc/self/clear_refs);
// false when the kernel does not allow it.
bool resetPeak();

// fullSize in the default build, smallSize under the sanitizers, or the value
// of the environment variable KORV_REL_<name> when set.
int64_t heavySize(const char* name, int64_t fullSize, int64_t smallSize);
bool sanitizedBuild();

// One line on standard output and a test property, for the report.
void figure(const std::string& name, const std::string& value);

// Peak resident growth, from the figure when constructed to the peak since.
class PeakMemory {
 public:
  static constexpr long kBoundKiB = 64 * 1024;

  PeakMemory();
  long growthKiB() const;
  // Reports the growth as a figure and expects it under kBoundKiB. Under the
  // sanitizers freed memory stays in quarantine: no bound there.
  void expectBounded(const std::string& what) const;

 private:
  bool m_reset;
  long m_before;
};

}  // namespace reltest
