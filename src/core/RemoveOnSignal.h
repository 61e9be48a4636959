// Temporary files that must not outlive an interrupted program: while one is registered, SIGINT
// and SIGTERM remove it before the program ends as the signal says. SIGKILL cannot be caught;
// what it leaves behind, the next atomic write of the same file cleans up (AtomicFile.cpp).
#pragma once

#include <string>

namespace plavo {

// Registers FileName for as long as the object lives. Registration is best effort: when more
// files are open at once than the fixed table holds (it must be usable inside a signal handler,
// so it cannot grow), the extra ones are not removed on a signal.
class TRemoveOnSignal {
 public:
  explicit TRemoveOnSignal(const std::string& FileName);
  ~TRemoveOnSignal();
  TRemoveOnSignal(const TRemoveOnSignal&) = delete;
  TRemoveOnSignal& operator=(const TRemoveOnSignal&) = delete;

 private:
  int FSlot = -1;
};

}  // namespace plavo
