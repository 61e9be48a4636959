// The job's test seam: TNestJob owns its engine state privately and names this struct its
// friend, so only tests (and benchmarks) that include this header look into the state, or make
// the optimiser fail where a test needs it to.
#pragma once

#include "nesting/NestJob.h"

namespace plavo {

struct TNestJobProbe {
  static TEngineState& Engine(TNestJob& Job) { return Job.FEngine; }
  static const TEngineState& Engine(const TNestJob& Job) { return Job.FEngine; }
  // The optimiser of the job's later runs fails at Fault (TOptimiseFault::None: it does not).
  static void InjectOptimiserFault(TNestJob& Job, TOptimiseFault Fault) {
    Job.FOptimiseFault = Fault;
  }
};

}  // namespace plavo
