#include "nesting/NestOutcome.h"

#include <utility>

namespace plavo {

TNestOutcome OutcomeOf(const TNestFailure& Failure) {
  TNestOutcome o;
  if (Failure.Source == TFailureSource::None) return o;
  o.Kind = TOutcomeKind::Partial;
  o.Source = Failure.Source;
  o.Reason = Failure.Message;
  o.Lost = Failure.Lost;
  return o;
}

TNestOutcome Refusal(TFailureSource Source, std::string Reason) {
  TNestOutcome o;
  o.Kind = TOutcomeKind::Refused;
  o.Source = Source;
  o.Reason = std::move(Reason);
  return o;
}

}  // namespace plavo
