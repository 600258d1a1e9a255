// ConnectionBudget: how many connections to one host may be open at once, so
// that the console never opens more than the operator allows. Every
// connection to the host takes one before it opens and gives it back when it
// is gone. Shared by everything that connects to that host; single-threaded.
#pragma once

struct ConnectionBudget {
  static constexpr int kDefaultLimit = 8;
  // The connections one PATHMON uses by default, the operator's among them:
  // the three long listings of the load at once beside the operator's.
  static constexpr int kDefaultPerPathmon = 4;
  int limit = kDefaultLimit;
  int used = 0;

  bool take() {
    if (used >= limit) return false;
    ++used;
    return true;
  }
  void give() {
    if (used > 0) --used;
  }
};
