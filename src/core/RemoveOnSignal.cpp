#include "core/RemoveOnSignal.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace plavo {

namespace {

constexpr int kSlots = 64;
constexpr int kFree = 0, kFilling = 1, kReady = 2;

struct TSlot {
  std::atomic<int> State{kFree};
  char Path[PATH_MAX];
};

std::array<TSlot, kSlots> gSlots;
constexpr std::array<int, 2> kSignals = {SIGINT, SIGTERM};
std::array<struct sigaction, kSignals.size()> gPrevious;

void RemoveRegistered() {
  for (TSlot& slot : gSlots) {
    if (slot.State.load() == kReady) ::unlink(slot.Path);
  }
}

// Removes the files, then lets the signal do what it did before: a handler of the program's own
// is called, the default action is taken by raising the signal again once the handler returns.
void OnSignal(int Signal, siginfo_t* Info, void* Context) {
  const int saved = errno;
  RemoveRegistered();
  for (size_t k = 0; k < kSignals.size(); ++k) {
    if (kSignals[k] != Signal) continue;
    const struct sigaction& previous = gPrevious[k];
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_DFL) {
      ::sigaction(Signal, &previous, nullptr);
      ::raise(Signal);
    } else if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
      previous.sa_sigaction(Signal, Info, Context);
    } else if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_IGN) {
      previous.sa_handler(Signal);
    }
  }
  errno = saved;
}

// Once per program; a signal the program ignores stays ignored.
void InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (size_t k = 0; k < kSignals.size(); ++k) {
      if (::sigaction(kSignals[k], nullptr, &gPrevious[k]) != 0) continue;
      if ((gPrevious[k].sa_flags & SA_SIGINFO) == 0 && gPrevious[k].sa_handler == SIG_IGN) continue;
      struct sigaction action {};
      action.sa_sigaction = OnSignal;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESTART | SA_SIGINFO;
      ::sigaction(kSignals[k], &action, nullptr);
    }
  });
}

}  // namespace

TRemoveOnSignal::TRemoveOnSignal(const std::string& FileName) {
  if (FileName.size() >= PATH_MAX) return;
  InstallHandlers();
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!gSlots[i].State.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(gSlots[i].Path, FileName.c_str(), FileName.size() + 1);
    gSlots[i].State.store(kReady);
    FSlot = i;
    return;
  }
}

TRemoveOnSignal::~TRemoveOnSignal() {
  if (FSlot >= 0) gSlots[static_cast<size_t>(FSlot)].State.store(kFree);
}

}  // namespace plavo
