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
#include <string>
#include <vector>

#include "core/NestControl.h"
#include "geometry/ShapesClass.h"
#include "nesting/NestOutcome.h"
#include "nesting/model/MosaroUnit.h"
#include "nesting/optimise/Optimiser.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

struct TRunOptions {
  std::optional<uint64_t> Seed;  // the search's random seed; none: seeded from the clock
  int Threads = 0;               // threads of the search; 0: every core
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

// The most copies one shape can have.
constexpr int kMaxCopies = 10000;

// One drawing of the job: its file as the front end named it and its shapes' range.
struct TJobDrawing {
  std::string File;
  int FirstShape = 0;
  int ShapeCount = 0;
};

class TNestJob {
 public:
  TNestJob();

  // Takes the drawing (shapes in the order the reader found them; null for none) and builds one
  // nesting record per shape, with progress through Control (may be null); File names it. Every
  // shape starts with one copy. Refused, and the job left without a drawing, when the drawing
  // holds more than kMaxNestRecords shapes or the records cannot be built at all; partial when
  // some shapes could not be prepared (Lost says which; runs go on with the others).
  TNestOutcome Load(std::unique_ptr<TQarvShapes> Drawing, TNestControl* Control = nullptr,
                    std::string File = {});
  // Appends the shapes of another drawing, after those the job holds, with their colours.
  // Refused, and the job unchanged, when the job would hold more than kMaxNestRecords parts.
  TNestOutcome Add(std::unique_ptr<TQarvShapes> Drawing, std::string File,
                   TNestControl* Control = nullptr);

  // The drawings in the job's order, their shapes one after the other; runs never reorder them.
  const TQarvShapes& Drawing() const { return *FDrawing; }
  int ShapeCount() const { return FDrawing->ShapeCount(); }
  const std::vector<TJobDrawing>& Drawings() const { return FDrawings; }
  // The drawing (index into Drawings()) shape Shape came from; -1 for no shape.
  int DrawingOf(int Shape) const;

  // Copies of shape Shape (1 .. kMaxCopies; a container has one). Its per-shape codes are its
  // copies' too. Refused, and nothing changed, for a count outside 1 .. kMaxCopies, for more than
  // one copy of the container, or when the job would hold more than kMaxNestRecords parts.
  int Copies(int Shape) const;
  TNestOutcome SetCopies(int Shape, int Count);
  // Count copies of every shape but the container.
  TNestOutcome SetCopiesForAll(int Count);
  // Every copy of every shape: the records a run places.
  int PartCount() const { return static_cast<int>(FRecordShape.size()); }

  // The per-shape codes of shape Shape (processing, approximation, fix angle, container).
  int32_t UserAttr(int Shape) const;
  void SetUserAttr(int Shape, int32_t Attr);
  // What a coded item of the per-shape menu does: Code is the item's code (1, 16 .. 64,
  // 256 .. 1280 or 4096), Checked the item's new check state. Its group of four bits takes the
  // code (or 0 when unchecked); a shape made the container takes the mark from any other, and
  // keeps one copy.
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
  // shows a stored run. False and nothing changed when R belongs to another drawing or other
  // copies.
  bool Restore(const TOneNestingResult& R);

  // The record that stands for copy Copy of shape Shape.
  int RecordOf(int Shape, int Copy = 0) const;

 private:
  friend struct TNestJobProbe;

  bool ValidShape(int Shape) const;
  void Clear();
  int64_t Optimise(const TRunOptions& Options, std::chrono::steady_clock::time_point Start);
  void MoveContainerFirst();
  void LayOutCopies(const std::vector<int32_t>& Copies);
  void SyncCopies(int Shape);
  TNestOutcome CheckPartCount(int64_t Parts) const;

  std::unique_ptr<TQarvShapes> FDrawing;
  std::vector<TJobDrawing> FDrawings;
  TEngineState FEngine;
  // The records: one per shape first (in the shapes' order, but for a container moved to
  // record 0), then the further copies of each shape in the shapes' order.
  std::vector<int32_t> FRecordShape;  // per record: the shape it stands for
  std::vector<int32_t> FRecordCopy;   // per record: which copy of its shape
  std::vector<int32_t> FShapeRecord;  // per shape: the record of its first copy
  std::vector<int32_t> FCopyRecord;   // per shape: the record of its second copy, if any
  std::vector<int32_t> FCopies;       // per shape: its copies
  TOptimiseFault FOptimiseFault = TOptimiseFault::None;  // set by the test seam only
};

}  // namespace plavo
