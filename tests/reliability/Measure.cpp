#include "Measure.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace reltest {
namespace {

long statusField(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  }
  return -1;
}

std::string mib(long kib) {
  return std::to_string(kib / 1024) + "." + std::to_string((kib % 1024) * 10 / 1024) + " MiB";
}

}  // namespace

long residentKiB() { return statusField("VmRSS"); }
long peakResidentKiB() { return statusField("VmHWM"); }

bool resetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

bool sanitizedBuild() {
#ifdef KORV_RELIABILITY_SMALL
  return true;
#else
  return false;
#endif
}

int64_t heavySize(const char* name, int64_t fullSize, int64_t smallSize) {
  const std::string var = std::string("KORV_REL_") + name;
  if (const char* value = std::getenv(var.c_str())) return std::strtoll(value, nullptr, 10);
  return sanitizedBuild() ? smallSize : fullSize;
}

void figure(const std::string& name, const std::string& value) {
  std::cout << "[ FIGURE   ] " << name << ": " << value << std::endl;
  ::testing::Test::RecordProperty(name, value);
}

PeakMemory::PeakMemory() : m_reset(resetPeak()), m_before(residentKiB()) {}

long PeakMemory::growthKiB() const { return peakResidentKiB() - m_before; }

void PeakMemory::expectBounded(const std::string& what) const {
  const long growth = growthKiB();
  figure(what + " peak memory above idle", mib(growth) + (m_reset ? "" : " (peak not resettable)"));
  if (!sanitizedBuild() && m_reset) {
    EXPECT_LT(growth, kBoundKiB) << what;
  }
}

}  // namespace reltest
