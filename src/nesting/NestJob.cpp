#include "nesting/NestJob.h"

#include <string>
#include <utility>

#include "nesting/prepare/NestRecords.h"
#include "nesting/result/NestResult.h"
#include "nesting/result/SettleLayout.h"
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

TNestOutcome TNestJob::Load(std::unique_ptr<TQarvShapes> Drawing, TNestControl* Control,
                            std::string File) {
  Clear();
  const TNestOutcome outcome = Add(std::move(Drawing), std::move(File), Control);
  if (outcome.Refused()) Clear();
  return outcome;
}

TNestOutcome TNestJob::CheckPartCount(int64_t Parts) const {
  if (Parts <= kMaxNestRecords) return TNestOutcome{};
  return Refusal(TFailureSource::Drawing, "the job would hold " + std::to_string(Parts) +
                                              " parts; at most " + std::to_string(kMaxNestRecords) +
                                              " can be nested at once");
}

TNestOutcome TNestJob::Add(std::unique_ptr<TQarvShapes> Drawing, std::string File,
                           TNestControl* Control) {
  if (Drawing == nullptr) Drawing = std::make_unique<TQarvShapes>();
  const int n = Drawing->ShapeCount();
  if (n > kMaxNestRecords) {
    return Refusal(TFailureSource::Drawing,
                   "the drawing holds " + std::to_string(n) + " shapes; at most " +
                       std::to_string(kMaxNestRecords) + " can be nested at once");
  }
  if (TNestOutcome parts = CheckPartCount(int64_t{PartCount()} + n); parts.Refused()) {
    return parts;
  }
  // The new drawing's records are built on their own and put after the shapes' first copies.
  TEngineState built;
  built.Control = Control;
  BuildNestRecords(built, *Drawing);
  TNestOutcome outcome = OutcomeOf(built.Failure);
  if (outcome.Source == TFailureSource::Engine) {
    // Not one shape but the whole drawing failed: nothing of it can be nested.
    return Refusal(outcome.Source, outcome.Reason);
  }
  const int first = ShapeCount();
  for (TShapeLoss& loss : outcome.Lost) loss.Shape += first;
  std::vector<int32_t> copies = FCopies;
  copies.resize(static_cast<size_t>(first + n), 1);
  const auto shapes = static_cast<std::ptrdiff_t>(first);
  FEngine.NestRecords.Shape.erase(FEngine.NestRecords.Shape.begin() + shapes,
                                  FEngine.NestRecords.Shape.end());
  for (TNestOneRec& r : built.NestRecords.Shape) FEngine.NestRecords.Shape.push_back(std::move(r));
  FRecordShape.resize(static_cast<size_t>(first));
  for (int k = first; k < first + n; ++k) FRecordShape.push_back(k);
  if (first == 0) {
    FDrawing = std::move(Drawing);
    FEngine.DrawingFrame = built.DrawingFrame;
  } else {
    // The sheets stand beside all the drawings.
    FDrawing->AppendShapes(std::move(*Drawing));
    const TRectDbl& b = FDrawing->BoundBox();
    FEngine.DrawingFrame = TDrawingFrame{b.Left, b.Right, b.Right - b.Left, b.Top - b.Bottom};
  }
  FDrawings.push_back(TJobDrawing{std::move(File), first, n});
  LayOutCopies(copies);
  return outcome;
}

// No drawing, no records.
void TNestJob::Clear() {
  FDrawing = std::make_unique<TQarvShapes>();
  FDrawings.clear();
  ClearEngineState(FEngine);
  FRecordShape.clear();
  FRecordCopy.clear();
  FShapeRecord.clear();
  FCopyRecord.clear();
  FCopies.clear();
}

int TNestJob::DrawingOf(int Shape) const {
  for (size_t d = 0; d < FDrawings.size(); ++d) {
    const TJobDrawing& drawing = FDrawings[d];
    if (Shape >= drawing.FirstShape && Shape < drawing.FirstShape + drawing.ShapeCount) {
      return static_cast<int>(d);
    }
  }
  return -1;
}

// The first copies stay where they are; the further copies of each shape follow them, made
// from the first copy. A further copy keeps no outlines of its own: the run gives it the first
// copy's analysis (TNestOneRec::CopyGroup).
void TNestJob::LayOutCopies(const std::vector<int32_t>& Copies) {
  const size_t shapes = Copies.size();
  std::vector<TNestOneRec>& records = FEngine.NestRecords.Shape;
  records.resize(shapes);
  FRecordShape.resize(shapes);
  FShapeRecord.assign(shapes, 0);
  for (size_t r = 0; r < shapes; ++r) FShapeRecord[static_cast<size_t>(FRecordShape[r])] = r;
  FRecordCopy.assign(shapes, 0);
  FCopyRecord.assign(shapes, -1);
  FCopies = Copies;
  size_t parts = 0;
  for (int32_t c : Copies) parts += static_cast<size_t>(c);
  records.reserve(parts);
  for (size_t s = 0; s < shapes; ++s) {
    TNestOneRec& first = records[static_cast<size_t>(FShapeRecord[s])];
    first.CopyGroup = Copies[s] > 1 ? static_cast<int32_t>(s) : -1;
    if (Copies[s] > 1) FCopyRecord[s] = static_cast<int32_t>(records.size());
    TNestOneRec copy;
    for (int c = 1; c < Copies[s]; ++c) {
      if (c == 1) {
        copy = first;
        copy.SbpBez.clear();
        copy.SbpRec.clear();
        copy.SbpCom.clear();
      }
      records.push_back(copy);
      FRecordShape.push_back(static_cast<int32_t>(s));
      FRecordCopy.push_back(c);
    }
  }
  FEngine.NestRecords.Count = static_cast<uint16_t>(records.size());
}

void TNestJob::SyncCopies(int Shape) {
  const int n = Copies(Shape);
  const int32_t attr = UserAttr(Shape);
  for (int c = 1; c < n; ++c) {
    FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape, c))].UserAttr = attr;
  }
}

bool TNestJob::ValidShape(int Shape) const {
  return Shape >= 0 && static_cast<size_t>(Shape) < FShapeRecord.size();
}

int TNestJob::RecordOf(int Shape, int Copy) const {
  const auto s = static_cast<size_t>(Shape);
  return Copy == 0 ? FShapeRecord[s] : FCopyRecord[s] + Copy - 1;
}

int TNestJob::Copies(int Shape) const {
  return ValidShape(Shape) ? FCopies[static_cast<size_t>(Shape)] : 0;
}

TNestOutcome TNestJob::SetCopies(int Shape, int Count) {
  if (!ValidShape(Shape)) return Refusal(TFailureSource::Drawing, "no such shape");
  std::vector<int32_t> copies = FCopies;
  copies[static_cast<size_t>(Shape)] = Count;
  if (Count < 1 || Count > kMaxCopies) {
    return Refusal(TFailureSource::Drawing,
                   "copies must lie in 1 .. " + std::to_string(kMaxCopies));
  }
  if (Count > 1 && (UserAttr(Shape) & kUserContainer) != 0) {
    return Refusal(TFailureSource::Drawing, "the container has no copies");
  }
  int64_t parts = 0;
  for (int32_t c : copies) parts += c;
  if (TNestOutcome check = CheckPartCount(parts); check.Refused()) return check;
  if (copies != FCopies) LayOutCopies(copies);
  return TNestOutcome{};
}

TNestOutcome TNestJob::SetCopiesForAll(int Count) {
  if (Count < 1 || Count > kMaxCopies) {
    return Refusal(TFailureSource::Drawing,
                   "copies must lie in 1 .. " + std::to_string(kMaxCopies));
  }
  std::vector<int32_t> copies(FCopies.size(), Count);
  const int container = Container();
  if (container >= 0) copies[static_cast<size_t>(container)] = 1;
  int64_t parts = 0;
  for (int32_t c : copies) parts += c;
  if (TNestOutcome check = CheckPartCount(parts); check.Refused()) return check;
  if (copies != FCopies) LayOutCopies(copies);
  return TNestOutcome{};
}

int32_t TNestJob::UserAttr(int Shape) const {
  if (!ValidShape(Shape)) return 0;
  return FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape))].UserAttr;
}

void TNestJob::SetUserAttr(int Shape, int32_t Attr) {
  if (!ValidShape(Shape)) return;
  if ((Attr & kUserContainerMask) == kUserContainer) {
    ApplyUserCode(Shape, kUserContainer, true);  // one container, with one copy
  }
  FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape))].UserAttr = Attr & 0xFFFF;
  SyncCopies(Shape);
}

void TNestJob::ApplyUserCode(int Shape, int32_t Code, bool Checked) {
  if (!ValidShape(Shape)) return;
  const int32_t keep = 0xFFFF & ~CodeGroupMask(Code);
  int32_t& attr = FEngine.NestRecords.Shape[static_cast<size_t>(RecordOf(Shape))].UserAttr;
  attr = (attr & keep) | (Checked ? Code : 0);
  if ((attr & kUserContainerMask) == kUserContainer) {
    for (TNestOneRec& r : FEngine.NestRecords.Shape) {
      if (&r.UserAttr != &attr) r.UserAttr &= 0xFFF;
    }
    SetCopies(Shape, 1);
  }
  SyncCopies(Shape);
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
  MoveContainerFirst();
  // The run finds its container in record 0 and leaves the drawing as it is.
  TQarvShapes untouched;
  const auto start = std::chrono::steady_clock::now();
  RunNesting(FEngine, Settings, untouched);
  if (!FEngine.ErrorFlag() && (Options.OptimiseSeconds > 0.0 || Options.Evaluations > 0)) {
    out.Evaluations = Optimise(Options, start);
  }
  FEngine.Control = nullptr;
  static_cast<TNestOutcome&>(out) = OutcomeOf(FEngine.Failure);
  ClearFailure(FEngine);
  out.Result = CaptureResult(FEngine, FRecordShape);
  out.Result.CopyIndex = FRecordCopy;
  SettleLayout(Drawing(), out.Result, FEngine.Exact, Options.Control);
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

// A run nests into the last record marked as container, moved into record 0 (a container has
// one copy, so it is one of the first copies). The record stays there, as later runs expect it,
// and the maps follow.
void TNestJob::MoveContainerFirst() {
  int k = -1;
  for (size_t i = 0; i < FEngine.NestRecords.Shape.size(); ++i) {
    if (FEngine.NestRecords.Shape[i].UserAttr & kUserContainer) k = static_cast<int>(i);
  }
  if (k <= 0) return;
  const auto r = static_cast<size_t>(k);
  std::swap(FEngine.NestRecords.Shape[0], FEngine.NestRecords.Shape[r]);
  std::swap(FRecordShape[0], FRecordShape[r]);
  std::swap(FRecordCopy[0], FRecordCopy[r]);
  FShapeRecord[static_cast<size_t>(FRecordShape[0])] = 0;
  FShapeRecord[static_cast<size_t>(FRecordShape[r])] = k;
}

bool TNestJob::Restore(const TOneNestingResult& R) {
  const size_t n = FRecordShape.size();
  if (R.ShapeIndex.size() != n || R.Place.size() != n || R.OptimalAngles.size() != n) return false;
  // R's records may stand in another order than today's (a container chosen since): put each
  // record's values where its copy's record is now.
  TOneNestingResult mapped = R;
  for (size_t i = 0; i < n; ++i) {
    const int32_t s = R.ShapeIndex[i];
    const int copy = CopyIndexOf(R, i);
    if (s < 0 || static_cast<size_t>(s) >= FCopies.size() || copy < 0 ||
        copy >= FCopies[static_cast<size_t>(s)]) {
      return false;
    }
    const auto k = static_cast<size_t>(RecordOf(s, copy));
    mapped.Place[k] = R.Place[i];
    mapped.OptimalAngles[k] = R.OptimalAngles[i];
  }
  return RestoreResult(FEngine, mapped);
}

}  // namespace plavo
