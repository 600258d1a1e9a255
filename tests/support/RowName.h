// What a failing parameterised test prints for its row: the row's name, or
// the command line of a row of arguments, instead of the row's bytes.
// GoogleTest looks for PrintTo in the namespace of the row's type, so a test
// file brings it there with "using korvtest::PrintTo;".
#pragma once

#include <QStringList>
#include <ostream>
#include <string>

namespace korvtest {

template <typename Row>
requires requires(const Row& row, std::ostream& os) { os << row.name; }
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

inline void PrintTo(const QStringList& args, std::ostream* os) { *os << '"' << args.join(' ').toStdString() << '"'; }

}  // namespace korvtest
