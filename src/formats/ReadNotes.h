// What a reader reports besides its shapes: the work a drawing may cost it, and what it left
// out or could not read that the user should know about, with the warnings that say so.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/EngineHost.h"
#include "core/ReadProblem.h"

namespace plavo {

// How many segments a drawing of FileBytes bytes may expand to. Blocks inserted in arrays (DXF),
// elements used again and again (SVG) and splines sampled finely (DXF) multiply a few bytes into
// any number of outlines; every segment costs the reader and the shape model some hundred bytes
// and microseconds, so a small hostile file must not make the program work for minutes and take
// gigabytes. A quarter of the file size is more segments than any format can state directly (a
// DXF vertex takes at least ten bytes, an SVG or Illustrator segment at least two), and the base
// is ample for real part libraries.
inline size_t SegmentBudget(size_t FileBytes) {
  constexpr size_t kBaseSegments = 250'000;
  return kBaseSegments + FileBytes / 4;
}

// The budget of one drawing, charged while the reader expands it, so a drawing beyond it is
// refused before the work is done rather than after.
class TSegmentBudget {
 public:
  explicit TSegmentBudget(size_t FileBytes) : FLimit(SegmentBudget(FileBytes)) {}

  // Charges Work; false from the charge that passes the limit on.
  bool Spend(size_t Work) {
    FSpent += Work;
    if (FSpent > FLimit) FExhausted = true;
    return !FExhausted;
  }
  bool Exhausted() const { return FExhausted; }
  size_t Limit() const { return FLimit; }
  size_t Left() const { return FExhausted ? 0 : FLimit - FSpent; }

 private:
  size_t FLimit;
  size_t FSpent = 0;
  bool FExhausted = false;
};

struct TReadNotes {
  int SkippedTexts = 0;      // text has no outline to nest until it is converted to paths
  int NotCut = 0;            // centre and construction lines, lines on layers that do not plot
  int OpenChains = 0;        // open outlines in no part, nested as parts of their own
  bool OverBudget = false;   // the drawing expands to more than its segment budget
  size_t Budget = 0;         // that budget, for the message
  bool Truncated = false;    // the file ends before the drawing does
  bool SelfInsert = false;   // a block inserts itself (DXF): drawn once, the rest read
  bool DeepGroups = false;   // groups nested too deep (SVG): left out, the rest read
  bool DeepInserts = false;  // block inserts nested too deep (DXF): left out, the rest read
  bool HugeArrays = false;   // array inserts of too many cells (DXF): left out, the rest read
  // Shapes left out because a coordinate lies beyond the integer units, numbered from 1 in
  // the order the drawing holds them.
  std::vector<size_t> OutOfRange;
};

std::string SkippedTextWarning(int Count);
std::string NotCutWarning(int Count);
std::string OpenChainWarning(int Count);
std::string OutOfRangeWarning(const std::vector<size_t>& Shapes);
extern const char* const kTruncatedWarning;
extern const char* const kSelfInsertWarning;
extern const char* const kDeepGroupsWarning;
extern const char* const kDeepInsertsWarning;
extern const char* const kHugeArraysWarning;
extern const char* const kOverBudgetProblem;

// Shows a warning through Messages for every note that has one.
void ShowReadWarnings(const TReadNotes& Notes, TMessageSink& Messages);
// Why a reader with these notes refused its drawing: over its budget, or no drawing at all.
TReadProblem RefusalOf(const TReadNotes& Notes);

}  // namespace plavo
