#include "ncpctl/CtlApplication.h"

#include <cstdio>
#include <exception>

#include "ncpctl/ExitCode.h"
#include "ncpctl/NodeWriter.h"

bool CtlApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QCoreApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ncpctl: the run failed: %s\n", NodeWriter::printable(e.what()).c_str());
  } catch (...) {
    std::fputs("ncpctl: the run failed\n", stderr);
  }
  exit(static_cast<int>(ExitCode::Connection));
  return true;
}
