// Runs work on several threads, each writing only its own slot. RunOnThreads starts the threads;
// DealOnThreads hands a count of tasks out over them, so that threads the system cannot start
// leave nothing undone: the others take what is left.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace plavo {

// A seam for tests: while one lives, RunOnThreads called on the thread that made it starts at
// most Helpers helper threads and then fails to start one, as a system out of threads does.
class TThreadStartLimit {
 public:
  explicit TThreadStartLimit(int Helpers) : FOuter(Limit()) { Limit() = Helpers; }
  ~TThreadStartLimit() { Limit() = FOuter; }
  TThreadStartLimit(const TThreadStartLimit&) = delete;
  TThreadStartLimit& operator=(const TThreadStartLimit&) = delete;

  // The helpers RunOnThreads may start on this thread; negative: as many as the system gives.
  static int& Limit() {
    thread_local int limit = -1;
    return limit;
  }

 private:
  int FOuter;
};

// Work(k) for k = 0 .. Threads - 1, k = 0 on the calling thread. When the system cannot start a
// thread, those after it do not run either: Work must not count on every k, but take its tasks
// from a common counter (DealOnThreads). After all have returned, the first failure (lowest k)
// is thrown again on the calling thread.
template <typename TWork>
void RunOnThreads(int Threads, TWork&& Work) {
  std::vector<std::exception_ptr> errors(static_cast<size_t>(Threads > 0 ? Threads : 1));
  auto guarded = [&](int k) {
    try {
      Work(k);
    } catch (...) {
      errors[static_cast<size_t>(k)] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> helpers;
    const int limit = TThreadStartLimit::Limit();
    for (int k = 1; k < Threads; ++k) {
      if (limit >= 0 && k > limit) break;
      try {
        helpers.emplace_back(guarded, k);
      } catch (const std::system_error&) {
        break;
      }
    }
    guarded(0);
  }
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

// Task(k, n) once for every n = 0 .. Count - 1, on up to Threads threads: each takes the next
// n from a common counter, k being its slot (for scratch state of its own). Which thread runs a
// task does not change what the task gets, so results kept per n are the same on any number of
// threads. After a task fails no further task starts; the failure is thrown as RunOnThreads
// does.
template <typename TTask>
void DealOnThreads(int Threads, size_t Count, TTask&& Task) {
  std::atomic<size_t> next{0};
  const int threads =
      static_cast<int>(std::min<size_t>(static_cast<size_t>(std::max(Threads, 1)), Count));
  RunOnThreads(threads, [&](int k) {
    try {
      for (size_t n = next++; n < Count; n = next++) Task(k, n);
    } catch (...) {
      next = Count;
      throw;
    }
  });
}

}  // namespace plavo
