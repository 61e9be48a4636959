#include "nesting/NestJob.h"

#include <numeric>
#include <string>
#include <utility>

#include "nesting/prepare/NestRecords.h"
#include "nesting/result/NestResult.h"
#include "nesting/NestRun.h"
#include "nesting/optimise/Optimiser.h"

namespace plavo {

namespace {

// The four-bit group a per-shape code belongs to; the last group that applies wins, as the menu
// tests them from the lowest group up.
int32_t CodeGroupMask(int32_t Code) {
  int32_t mask = 0;
  if (Code & 0xF) mask = 0xF;
  if (Code & kUserApproxMask) mask = kUserApproxMask;
  if (Code & kUserAngleMask) mask = kUserAngleMask;
  if (Code & kUserContainerMask) mask = kUserContainerMask;
  return mask;
}

}  // namespace

TNestJob::TNestJob() : FDrawing(std::make_unique<TQarvShapes>()) {}

TNestOutcome TNestJob::Load(std::unique_ptr<TQarvShapes> Drawing, TNestControl* Control) {
  FDrawing = Drawing != nullptr ? std::move(Drawing) : std::make_unique<TQarvShapes>();
  const int n = FDrawing->ShapeCount();
  if (n > kMaxNestRecords) {
    Clear();
    return Refusal(TFailureSource::Drawing,
                   "the drawing holds " + std::to_string(n) + " shapes; at most " +
                       std::to_string(kMaxNestRecords) + " can be nested at once");
  }
  FEngine.Control = Control;
  BuildNestRecords(FEngine, *FDrawing);
  FEngine.Control = nullptr;
  const TNestOutcome outcome = OutcomeOf(FEngine.Failure);
  ClearFailure(FEngine);
  if (outcome.Source == TFailureSource::Engine) {
    // Not one shape but the whole drawing failed: nothing of it can be nested.
    Clear();
    return Refusal(outcome.Source, outcome.Reason);
  }
  const size_t records = FEngine.NestRecords.Shape.size();
  FRecordShape.resize(records);
  std::iota(FRecordShape.begin(), FRecordShape.end(), 0);
  FShapeRecord = FRecordShape;
  return outcome;
}

// No drawing, no records.
void TNestJob::Clear() {
  FDrawing = std::make_unique<TQarvShapes>();
  ClearEngineState(FEngine);
  FRecordShape.clear();
  FShapeRecord.clear();
}

bool TNestJob::ValidShape(int Shape) const {
  return Shape >= 0 && static_cast<size_t>(Shape) < FShapeRecord.size();
}

int32_t TNestJob::UserAttr(int Shape) const {
  if (!ValidShape(Shape)) return 0;
  return FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape))].UserAttr;
}

void TNestJob::SetUserAttr(int Shape, int32_t Attr) {
  if (!ValidShape(Shape)) return;
  FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape))].UserAttr = Attr & 0xFFFF;
}

void TNestJob::ApplyUserCode(int Shape, int32_t Code, bool Checked) {
  if (!ValidShape(Shape)) return;
  const int32_t keep = 0xFFFF & ~CodeGroupMask(Code);
  int32_t& attr = FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape))].UserAttr;
  attr = (attr & keep) | (Checked ? Code : 0);
  if ((attr & kUserContainerMask) != kUserContainer) return;
  for (TNestOneRec& r : FEngine.NestRecords.Shape) {
    if (&r.UserAttr != &attr) r.UserAttr &= 0xFFF;
  }
}

void TNestJob::SetAngleCodeForAll(int32_t Code) {
  for (TNestOneRec& r : FEngine.NestRecords.Shape) {
    r.UserAttr = (r.UserAttr & (0xFFFF & ~kUserAngleMask)) | (Code & kUserAngleMask);
  }
}

int TNestJob::Container() const {
  // The run takes the last marked record; report the shape it stands for.
  int container = -1;
  for (size_t i = 0; i < FEngine.NestRecords.Shape.size(); ++i) {
    if (FEngine.NestRecords.Shape[i].UserAttr & kUserContainer) container = FRecordShape[i];
  }
  return container;
}

TRunOutcome TNestJob::Run(const TNestSettings& Settings, const TRunOptions& Options) {
  TRunOutcome out;
  if (FEngine.NestRecords.Shape.empty()) {
    static_cast<TNestOutcome&>(out) =
        Refusal(TFailureSource::Drawing, "the drawing holds no shape to nest");
    return out;
  }
  FEngine.Threads = Options.Threads;
  FEngine.RandomSeeded = Options.Seed.has_value();
  FEngine.RandomSeed = Options.Seed.value_or(0);
  FEngine.Control = Options.Control;
  const TQarvOneShape* first = FDrawing->ShapeCount() > 0 ? FDrawing->GetShape(0) : nullptr;
  const auto start = std::chrono::steady_clock::now();
  RunNesting(FEngine, Settings, *FDrawing);
  if (!FEngine.ErrorFlag() && (Options.OptimiseSeconds > 0.0 || Options.Evaluations > 0)) {
    out.Evaluations = Optimise(Options, start);
  }
  FEngine.Control = nullptr;
  FollowContainerExchange(first);
  static_cast<TNestOutcome&>(out) = OutcomeOf(FEngine.Failure);
  ClearFailure(FEngine);
  out.Result = CaptureResult(FEngine, FRecordShape);
  out.Stopped = Options.Control != nullptr && Options.Control->StopRequested();
  return out;
}

int64_t TNestJob::Optimise(const TRunOptions& Options,
                           std::chrono::steady_clock::time_point Start) {
  TOptimiseOptions o;
  o.Seconds = Options.OptimiseSeconds;
  o.Start = Start;
  o.Evaluations = Options.Evaluations;
  o.Seed = Options.Seed.value_or(static_cast<uint64_t>(Start.time_since_epoch().count()));
  o.Threads = Options.Threads;
  o.Fault = FOptimiseFault;
  return OptimiseLayout(FEngine, o).Evaluations;
}

// A run moves the container into record 0 and its shape into shape 0. The record stays there,
// as later runs expect it; the drawing goes back to the order it was read, and the maps follow.
void TNestJob::FollowContainerExchange(const TQarvOneShape* FirstBefore) {
  if (FDrawing->ShapeCount() == 0 || FDrawing->GetShape(0) == FirstBefore) return;
  for (int k = 1; k < FDrawing->ShapeCount(); ++k) {
    if (FDrawing->GetShape(k) != FirstBefore) continue;
    FDrawing->ExchangeShapes(0, k);
    std::swap(FRecordShape[0], FRecordShape[static_cast<size_t>(k)]);
    FShapeRecord[static_cast<size_t>(FRecordShape[0])] = 0;
    FShapeRecord[static_cast<size_t>(FRecordShape[static_cast<size_t>(k)])] = k;
    return;
  }
}

bool TNestJob::Restore(const TOneNestingResult& R) {
  const size_t n = FRecordShape.size();
  if (R.ShapeIndex.size() != n || R.Place.size() != n || R.OptimalAngles.size() != n) return false;
  // R's records may stand in another order than today's (a container chosen since): put each
  // record's values where its shape's record is now.
  TOneNestingResult mapped = R;
  for (size_t i = 0; i < n; ++i) {
    const int32_t s = R.ShapeIndex[i];
    if (s < 0 || static_cast<size_t>(s) >= n) return false;
    const auto k = static_cast<size_t>(FShapeRecord[static_cast<size_t>(s)]);
    mapped.Place[k] = R.Place[i];
    mapped.OptimalAngles[k] = R.OptimalAngles[i];
  }
  return RestoreResult(FEngine, mapped);
}

}  // namespace plavo
