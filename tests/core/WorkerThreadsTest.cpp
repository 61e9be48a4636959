// Work on several threads: what a thread the system cannot start would have done is done by the
// others, and a failure on one thread reaches the caller once all have finished.
#include "core/WorkerThreads.h"

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plavo {

TEST(WorkerThreads, TasksOfThreadsThatCannotStartAreTakenByTheOthers) {
  for (int helpers : {0, 1}) {
    TThreadStartLimit limit(helpers);
    std::vector<std::atomic<int>> runs(50);
    std::vector<int> slot(runs.size(), -1);
    DealOnThreads(4, runs.size(), [&](int k, size_t n) {
      ++runs[n];
      slot[n] = k;
    });
    for (size_t n = 0; n < runs.size(); ++n) {
      EXPECT_EQ(runs[n], 1) << "task " << n << ", " << helpers << " helpers";
      EXPECT_LE(slot[n], helpers) << "task " << n << " ran on a thread that did not start";
    }
  }
  std::atomic<int> started{0};
  {
    TThreadStartLimit limit(1);
    RunOnThreads(4, [&](int k) { started |= 1 << k; });
  }
  EXPECT_EQ(started, 0b11);
  started = 0;
  RunOnThreads(3, [&](int k) { started |= 1 << k; });
  EXPECT_EQ(started, 0b111) << "the limit ends with its scope";
}

TEST(WorkerThreads, AFailureReachesTheCallerAfterTheOthersFinish) {
  std::vector<int> finished(4, 0);
  try {
    RunOnThreads(4, [&](int k) {
      if (k % 2 == 1) throw std::runtime_error("slot " + std::to_string(k));
      finished[static_cast<size_t>(k)] = 1;
    });
    ADD_FAILURE() << "the failures were lost";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "slot 1") << "the lowest failing slot's";
  }
  EXPECT_EQ(finished, (std::vector<int>{1, 0, 1, 0}));

  // After a failing task no further task starts.
  std::vector<size_t> ran;
  const auto task = [&ran](int, size_t n) {
    if (n == 3) throw std::runtime_error("task 3");
    ran.push_back(n);
  };
  EXPECT_THROW(DealOnThreads(1, 10, task), std::runtime_error);
  EXPECT_EQ(ran, (std::vector<size_t>{0, 1, 2}));
}

}  // namespace plavo
