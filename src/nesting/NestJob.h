// One nesting job: a drawing, its nesting records and the engine state, and the operations every
// front end (the window, the command line, the tests, the benchmarks) needs. A run returns its
// outcome as a value, so any number of runs can be kept, compared, checked, drawn and written
// without keeping an engine for each.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "geometry/ShapesClass.h"
#include "core/EngineHost.h"
#include "nesting/model/MosaroUnit.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

struct TRunOptions {
  std::optional<uint64_t> Seed;       // the search's random seed; none: seeded from the clock
  int Threads = 0;                    // threads of the search; 0: every core
  TProgressSink* Progress = nullptr;  // may be null
  // Optimise the layout after the run (see Optimiser.h): for this many seconds of wall time
  // counted from the start of the run, and/or this many evaluated layouts. 0 and 0: off.
  double OptimiseSeconds = 0.0;
  int64_t Evaluations = 0;
};

class TNestJob {
 public:
  TNestJob();

  // Takes the drawing (shapes in the order the reader found them; null for none) and builds one
  // nesting record per shape. False when some shape could not be prepared: LoadFailure() says
  // which, and the job goes on with the records that could be built, as the window does.
  bool Load(std::unique_ptr<TQarvShapes> Drawing, TProgressSink* Progress = nullptr);

  // The drawing in the order it was read; runs never reorder it.
  const TQarvShapes& Drawing() const { return *FDrawing; }
  int ShapeCount() const { return FDrawing->ShapeCount(); }
  const TNestFailure& LoadFailure() const { return FLoadFailure; }

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

  // Runs the nesting with Settings and returns its outcome. A failure still returns what was
  // placed until then; Failed() and Failure() say what went wrong.
  TOneNestingResult Run(const TNestSettings& Settings, const TRunOptions& Options);
  bool Failed() const { return FEngine.ErrorFlag; }
  // Layouts the optimiser evaluated in the last run; 0 when it did not optimise.
  int64_t Evaluations() const { return FEvaluations; }
  const TNestFailure& Failure() const { return FEngine.Failure; }

  // Safe from any thread while a run works: place no further shape; or lower the search for the
  // best result to one trial order per batch ("Skip searching.").
  void RequestStop();
  void RequestSkipSearch();

  // Puts a result of this job back into the records and sheets, as the window does when it
  // shows a stored run. False and nothing changed when R belongs to another drawing.
  bool Restore(const TOneNestingResult& R);

  // The engine state, for display and for the reader, which clears it when it reads a file.
  const TEngineState& Engine() const { return FEngine; }
  TEngineState& Engine() { return FEngine; }
  // The record that stands for shape Shape.
  int RecordOf(int Shape) const { return FShapeRecord[static_cast<size_t>(Shape)]; }

 private:
  bool ValidShape(int Shape) const;
  int64_t Optimise(const TRunOptions& Options, std::chrono::steady_clock::time_point Start);
  void FollowContainerExchange(const TQarvOneShape* FirstBefore);

  std::unique_ptr<TQarvShapes> FDrawing;
  TEngineState FEngine;
  std::vector<int32_t> FRecordShape;  // per record: the shape it stands for
  std::vector<int32_t> FShapeRecord;  // per shape: the record that stands for it
  TNestFailure FLoadFailure;
  int64_t FEvaluations = 0;
};

}  // namespace plavo
