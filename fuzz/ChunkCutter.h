// Cuts a fuzzer input into chunks: the first byte of each chunk's header says
// how long the chunk is (1 to 256 bytes), so the fuzzer explores every way a
// host stream can arrive split across reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class ChunkCutter {
 public:
  ChunkCutter(const uint8_t* data, size_t size) : m_data(reinterpret_cast<const char*>(data)), m_size(size) {}

  // The next chunk, or false at the end of the input.
  bool next(std::string_view& chunk) {
    if (m_pos >= m_size) return false;
    size_t want = static_cast<uint8_t>(m_data[m_pos++]) + 1;
    size_t len = want < m_size - m_pos ? want : m_size - m_pos;
    chunk = std::string_view(m_data + m_pos, len);
    m_pos += len;
    return true;
  }

 private:
  const char* m_data;
  size_t m_size;
  size_t m_pos = 0;
};
