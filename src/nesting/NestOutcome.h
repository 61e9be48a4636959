// What a job's Load and Run come to, as values: complete, partial (with what was lost) or
// refused (with the reason). A failure is never reported as success, and a partial outcome
// still carries what was done.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nesting/model/MosaroUnit.h"

namespace plavo {

enum class TOutcomeKind : uint8_t {
  Complete,  // everything asked was done
  Partial,   // something failed on the way; what was done is kept
  Refused,   // nothing was done: the drawing or the job cannot be taken
};

struct TNestOutcome {
  TOutcomeKind Kind = TOutcomeKind::Complete;
  TFailureSource Source = TFailureSource::None;  // where the failure came from
  // Refused: why. Partial: the first failure, what and where. Empty when complete.
  std::string Reason;
  // Load, partial: the shapes that could not be prepared; a run goes on without them.
  std::vector<TShapeLoss> Lost;

  bool Complete() const { return Kind == TOutcomeKind::Complete; }
  bool Partial() const { return Kind == TOutcomeKind::Partial; }
  bool Refused() const { return Kind == TOutcomeKind::Refused; }
};

struct TRunOutcome : TNestOutcome {
  // What was placed: all of it when complete; until the failure when partial (after an
  // optimiser failure, the layout the optimiser started from); nothing when refused.
  TOneNestingResult Result;
  int64_t Evaluations = 0;  // layouts the optimiser evaluated; 0 when it did not optimise
  bool Stopped = false;     // the control asked for a stop while the run worked
};

// The outcome a failure of the engine state comes to: complete without one, partial with it.
TNestOutcome OutcomeOf(const TNestFailure& Failure);
TNestOutcome Refusal(TFailureSource Source, std::string Reason);

}  // namespace plavo
