// One nesting job: a drawing, its nesting records and the engine state, and the operations every
// front end (the window, the command line, the tests, the benchmarks) needs. The job owns its
// engine state privately, so the drawing and the records never disagree. Load and Run return
// their outcome as a value (complete, partial or refused); a run's result can be kept, compared,
// checked, drawn and written without keeping an engine for each.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/NestControl.h"
#include "geometry/ShapesClass.h"
#include "nesting/NestOutcome.h"
#include "nesting/model/MosaroUnit.h"
#include "nesting/optimise/Optimiser.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

struct TRunOptions {
  std::optional<uint64_t> Seed;       // the search's random seed; none: seeded from the clock
  int Threads = 0;                    // threads of the search; 0: every core
  // Progress, messages and Stop; may be null. The run honours its requests as they stand: the
  // host clears them (ClearRequests) before it starts a run.
  TNestControl* Control = nullptr;
  // Optimise the layout after the run (see Optimiser.h): for this many seconds of wall time
  // counted from the start of the run, and/or this many evaluated layouts. 0 and 0: off.
  double OptimiseSeconds = 0.0;
  int64_t Evaluations = 0;
};

// The test seam: tests and benchmarks that must look into the engine state define it
// (tests/nesting/NestJobProbe.h); nothing else does.
struct TNestJobProbe;

class TNestJob {
 public:
  TNestJob();

  // Takes the drawing (shapes in the order the reader found them; null for none) and builds one
  // nesting record per shape, with progress through Control (may be null). Refused, and the job
  // left without a drawing, when the drawing holds more than kMaxNestRecords shapes or the
  // records cannot be built at all; partial when some shapes could not be prepared (Lost says
  // which; runs go on with the others, as the window does).
  TNestOutcome Load(std::unique_ptr<TQarvShapes> Drawing, TNestControl* Control = nullptr);

  // The drawing in the order it was read; runs never reorder it.
  const TQarvShapes& Drawing() const { return *FDrawing; }
  int ShapeCount() const { return FDrawing->ShapeCount(); }

  // The per-shape codes of shape Shape (processing, approximation, fix angle, container).
  int32_t UserAttr(int Shape) const;
  void SetUserAttr(int Shape, int32_t Attr);
  // What a coded item of the per-shape menu does: Code is the item's code (1, 16 .. 64,
  // 256 .. 1280 or 4096), Checked the item's new check state. Its group of four bits takes the
  // code (or 0 when unchecked); a shape made the container takes the mark from any other.
  void ApplyUserCode(int Shape, int32_t Code, bool Checked);
  // "No to all": fix-angle code Code on every shape.
  void SetAngleCodeForAll(int32_t Code);
  // The shape marked as container, or -1.
  int Container() const;

  // Runs the nesting with Settings. Refused when the job holds no shape; partial when the run
  // failed on the way (Result holds what was placed until then) or the optimiser failed (Result
  // holds the layout it started from); complete otherwise, also when the control stopped it.
  TRunOutcome Run(const TNestSettings& Settings, const TRunOptions& Options);

  // Puts a result of this job back into the records and sheets, as the window does when it
  // shows a stored run. False and nothing changed when R belongs to another drawing.
  bool Restore(const TOneNestingResult& R);

  // The record that stands for shape Shape.
  int RecordOf(int Shape) const { return FShapeRecord[static_cast<size_t>(Shape)]; }

 private:
  friend struct TNestJobProbe;

  bool ValidShape(int Shape) const;
  void Clear();
  int64_t Optimise(const TRunOptions& Options, std::chrono::steady_clock::time_point Start);
  void FollowContainerExchange(const TQarvOneShape* FirstBefore);

  std::unique_ptr<TQarvShapes> FDrawing;
  TEngineState FEngine;
  std::vector<int32_t> FRecordShape;  // per record: the shape it stands for
  std::vector<int32_t> FShapeRecord;  // per shape: the record that stands for it
  TOptimiseFault FOptimiseFault = TOptimiseFault::None;  // set by the test seam only
};

}  // namespace plavo
