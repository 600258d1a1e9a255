// EnumOrder: a compile-time check for a table that is read by an
// enumeration's value (kTable[static_cast<size_t>(value)]): its rows must list
// the values in the enumeration's order, each row naming its own value.
#pragma once

#include <cstddef>

template <typename Row, std::size_t N, typename Enum>
constexpr bool inEnumOrder(const Row (&rows)[N], Enum Row::*key) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(rows[i].*key) != i) return false;
  }
  return true;
}
