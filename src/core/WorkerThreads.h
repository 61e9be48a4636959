// Runs one piece of work on several threads: Work(k) for k = 0 .. Threads - 1, k = 0 on the
// calling thread, each writing only its own slot. When the system cannot start a thread, fewer
// run and the others take what is left. After all have returned, the first failure (lowest k)
// is thrown again on the calling thread.
#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace plavo {

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
    for (int k = 1; k < Threads; ++k) {
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

}  // namespace plavo
