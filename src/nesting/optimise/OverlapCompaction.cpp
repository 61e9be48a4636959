// Compaction by overlap minimisation, after the strip-packing searches that shrink the strip and
// then repair the layout (Egeblad et al., 2007; Imamichi et al., 2009), on the engine's cells.
//
// A layout placed shape after shape leaves each shape where it first fitted; a lower layout
// often needs several shapes to move at once, which no order of placement reaches. So the
// compaction lets shapes overlap for a while: it asks for a top one step below the lowest layout
// found, pushes every shape above it down, and then moves overlapping shapes, one at a time, to
// the place (any allowed trial angle, anywhere below the top) where they overlap the others
// least: a few random places over the sheet and near the shape, each followed by a descent in
// halving steps. The overlap of two shapes counts the cells of the upper one (by its bottom)
// that lie in the lower one's drawing, widened by the distance as the sheet holds it: the check
// tests only that way, and counting both ways keeps shapes up to a cell further apart than it
// asks (on the benchmark, 79.2 % against 78.5 % at 2 s, 80.3 % against 79.8 % at 10 s). A
// pair's cost is the square root of that count (plus a small floor) times the geometric mean of
// the shapes' sizes (after Gardeyn and Wauters, 2025), so that a sliver of overlap costs nearly
// as much as a wide one and the search does not settle for many slivers. Guided local search
// (Voudouris and Tsang, 1999) weighs the pairs: after every round of moves the pairs that still
// overlap get heavier and the others fade back, so the moves leave the local minima of the plain
// overlap.
//
// When no shape overlaps, the layout is checked on the outlines as cut: every shape within the
// sheet and off its own cells, and every pair the distance apart, measured exactly (ShapeGap.h);
// one that passes is the new lowest layout and the next step is asked for. The cells are
// conservative, so the check passes every layout free of overlaps that drawing it again for the
// position search's fit test passes, at a fraction of the cost: on the benchmark over three
// seeds, 80.9 % against 80.5 % at 10 s (79.5 % at 2 s either way). A step whose moves stall is
// tried again at half the size, going on from the layout where it stalled rather than from the
// lowest one, so that the moves of failed steps add up (the search walks on through layouts that
// overlap, as in Gardeyn and Wauters' exploration) instead of starting afresh each time: on the
// benchmark at 10 s, 79.9 % against 79.5 % over four seeds.
#include "nesting/optimise/OverlapCompaction.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "nesting/optimise/CellOverlap.h"
#include "nesting/result/ShapeGap.h"
#include "nesting/place/PlacementDriver.h"
#include "nesting/model/RandomBelow.h"
#include "nesting/place/Rasterise.h"
#include "nesting/place/SearchTrials.h"
#include "core/WorkerThreads.h"

namespace plavo {

namespace {

using TClock = std::chrono::steady_clock;

// Places tried per trial angle for a moved shape: at random over the sheet, and within half the
// shape's size of its own place. The best starts a descent (more starts cost more than they
// find: 76.3 % with three, 76.5 % with one on the benchmark at 2 s).
constexpr int kSamplesPerAngle = 16;
constexpr int kNearSamplesPerAngle = 16;
constexpr size_t kDescentStarts = 1;
// The first step below the lowest layout, in thousandths of its top; halved after a failed
// step, down to one cell.
constexpr int kShrinkPermille = 8;
// A step ends as failed after kStrikes strikes, a strike being kIdleRounds rounds of moves in a
// row that do not lower the least overlap of the step by kLeastGain; after a strike the moves go
// on from the layout with the least overlap (as the separator of Gardeyn and Wauters, 2025).
// Steps that go somewhere then run as long as they need, and hopeless ones end early. On the
// benchmark, against a fixed 400 moves per shape: 78.6 % against 78.0-78.3 % at 2 s, 79.6 %
// against 79.2 % at 10 s; 100 or 400 idle rounds do about as well as 200.
constexpr int kIdleRounds = 200;
constexpr int kStrikes = 3;
constexpr double kLeastGain = 0.02;
// Guided local search: an overlapping pair's weight grows by a factor from 1.2 (the least
// overlap) to 2 (the most); the other pairs' weights fade by this factor, down to 1.
constexpr double kWeightGrowth = 1.2;
constexpr double kWeightGrowthRange = 0.8;
constexpr double kWeightFade = 0.95;
// The floor under a pair's count, as a share of the larger shape's diagonal, squared: on the
// benchmark at 2 s, 78.1 % with 0.01, 78.3 % with 0.03, 77.8 % with 0.05, 76.9 % with 0.1 (the
// plain count of cells: 77.8 %).
constexpr double kFloorShare = 0.03;
// Searches run side by side at most.
constexpr int kMaxSearches = 8;
// With a count of moves instead of a time, the number of searches is fixed, so that the
// outcome does not depend on the number of threads.
constexpr int kCountedSearches = 2;

// A trial angle's outline as cut, ready for the exact measure; copies share it.
struct TExactOutline {
  TCheckShape Shape;
  TGapOutline Gap;  // refers to Shape
  double Pad = 0.0;
};

// One trial angle of a shape: its cells and its widened drawing in one local frame, whose
// cell (0, 0) lies at (x + OffX, y + OffY) for a shape placed at (x, y), its outline as cut
// (centred on (x, y)), and the places the position search allows it (YMin up; the top is the
// step's).
struct TAnglePose {
  TBooleanMatrix Shape;
  TBooleanMatrix Drawn;
  std::shared_ptr<const TExactOutline> Outline;  // null without rings
  TNestRectInt Rect;
  int OffX = 0;
  int OffY = 0;
  int XMin = 0;
  int XMax = 0;
  int YMin = 0;
};

struct TPart {
  int Record = 0;
  std::vector<TAnglePose> Poses;  // per trial angle
  double Size = 1.0;              // the fourth root of its cell count
  double Diagonal = 0.0;          // of its frame at the first angle
};

struct TPlace {
  int X = 0;
  int Y = 0;
  int Angle = 0;
};
using TLayoutPlaces = std::vector<TPlace>;  // per part

struct TSearchResult {
  TLayoutPlaces Places;
  int Top = 0;
  int64_t Moves = 0;
  int StartTop = 0;
};

// The lowest layout any of the searches has found, while they run against the clock: each step
// is a race, and a search that is overtaken goes on from the winner's layout. (With a count of
// moves the searches stay apart, so that the outcome does not depend on the threads.)
class TSharedBest {
 public:
  explicit TSharedBest(int Top) : FTop(Top) {}
  int Top() const { return FTop.load(std::memory_order_relaxed); }
  // Offers a layout; kept when it is lower than the one held.
  void Offer(const TLayoutPlaces& L, int Top) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (Top >= FTop.load(std::memory_order_relaxed)) return;
    FPlaces = L;
    FTop.store(Top, std::memory_order_relaxed);
  }
  // The layout held, when it is lower than Top.
  bool TakeIfBelow(int Top, TLayoutPlaces& L, int& LTop) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (FTop.load(std::memory_order_relaxed) >= Top || FPlaces.empty()) return false;
    L = FPlaces;
    LTop = FTop.load(std::memory_order_relaxed);
    return true;
  }

 private:
  std::mutex FMutex;
  std::atomic<int> FTop;
  TLayoutPlaces FPlaces;
};

// A place for a moved shape and its cost there.
struct TTry {
  double Cost = 0.0;
  TPlace At;
};

// Lower cost first; then the lower, then the left place.
bool Better(const TTry& A, const TTry& B) {
  if (A.Cost != B.Cost) return A.Cost < B.Cost;
  if (A.At.Y != B.At.Y) return A.At.Y < B.At.Y;
  return A.At.X < B.At.X;
}

class TCompactor {
 public:
  TCompactor(TEngineState& E, const TCompactOptions& Options, uint64_t Seed,
             TSharedBest* Shared = nullptr)
      : FE(E), FOptions(Options), FRandom(Seed), FShared(Shared) {
    for (int r = 0; r < static_cast<int>(E.NestRecords.Shape.size()); ++r) {
      if (TakesPart(E, r)) FParts.push_back(MakePart(r));
    }
    for (const TPart& part : FParts) {
      const TNestPlacedShape& place = E.NestRecords.Shape[static_cast<size_t>(part.Record)].Place;
      FBest.push_back(TPlace{place.x, place.y, place.AngC});
      FStartPlaces.push_back(place);
      int lowest = std::numeric_limits<int>::max();
      for (const TAnglePose& pose : part.Poses)
        lowest = std::min(lowest, pose.YMin + pose.Rect.Top);
      FLowestTop = std::max(FLowestTop, lowest);
    }
    FBestTop = TopOf(FBest);
    FStartTop = FBestTop;
    FStartSheets = FE.Blocks;
    StartSheets(FE);
    FBase = FE.Blocks.Item[0].m;
    FBaseFree = FBase == TBooleanMatrix(FBase.Width(), FBase.Height());
    FE.Blocks = FStartSheets;
  }

  // Shrinks while the budget lasts; the lowest layout found (the start one when none is lower).
  // Reports after every step and at the end when Report is set.
  TSearchResult Search(bool Report) {
    int permille = kShrinkPermille;
    while (!Finished()) {
      if (FShared != nullptr && FShared->TakeIfBelow(FBestTop, FBest, FBestTop)) FStalled.clear();
      const int step = std::max(1, FBestTop * permille / 1000);
      if (FBestTop - step < FLowestTop) break;  // the tallest shape already fills the height
      const TStep done = Shrink(FBestTop - step);
      if (done == TStep::Stuck) break;
      switch (done) {
        case TStep::Found:
          permille = std::min(permille * 2, kShrinkPermille);
          if (FShared != nullptr) FShared->Offer(FBest, FBestTop);
          break;
        case TStep::Failed:
          // Smaller steps; after one cell, the first size again.
          permille = step == 1 ? kShrinkPermille : std::max(1, permille / 2);
          break;
        case TStep::Overtaken:
        case TStep::Stuck:
          break;
      }
      if (Report) ReportProgress(FE, ProgressFraction());
    }
    if (Report) ReportProgress(FE, ProgressFraction());
    FE.Blocks = FStartSheets;  // the copy's sheets are of no further use; keep them small
    return TSearchResult{FBest, FBestTop, FMoves, FStartTop};
  }

  // Draws L, a search's result on a copy of this state, into the engine state and true; the
  // start layout put back and false when L does not pass the check here.
  bool Apply(const TLayoutPlaces& L) {
    try {
      if (L.size() == FParts.size() && Sound(L)) {
        Draw(L);
        return true;
      }
    } catch (...) {
      RestoreStart();
      throw;
    }
    RestoreStart();
    return false;
  }

 private:
  TPart MakePart(int r) {
    TNestOneRec& rec = FE.NestRecords.Shape[static_cast<size_t>(r)];
    const TNestPlacedShape kept = rec.Place;
    const TeNestParameters& p = FE.NestParams;
    const int margin = FrameMargin(FE);
    TPart part;
    part.Record = r;
    try {
      for (int j = 0; j < AngleTotal(rec); ++j) {
        const TNestAngleOneRect& angle = rec.AnglesSRR.Item[static_cast<size_t>(j)];
        RotateNestShape(rec, angle.Value);
        rec.Place.AngC = j;
        rec.Place.a = angle.Value;
        TAnglePose pose;
        pose.Shape = ShapeCells(FE, r);
        pose.Drawn = DrawnCells(FE, r);
        pose.Outline = OutlineOf(angle.Cut.get());
        pose.Rect = angle.Rect;
        pose.OffX = angle.Rect.Left - margin;
        pose.OffY = angle.Rect.Bottom - margin;
        pose.XMin = 1 + std::abs(angle.Rect.Left);
        pose.XMax = p.Media_W - 1 - angle.Rect.Right;
        pose.YMin = 1 + std::abs(angle.Rect.Bottom);
        part.Poses.push_back(std::move(pose));
      }
    } catch (...) {
      rec.Place = kept;
      RotateNestShape(rec, kept.a);
      throw;
    }
    rec.Place = kept;
    RotateNestShape(rec, kept.a);
    const TAnglePose& first = part.Poses.front();
    part.Diagonal =
        std::hypot(first.Rect.Right - first.Rect.Left, first.Rect.Top - first.Rect.Bottom);
    const TBooleanMatrix& cells = first.Shape;
    part.Size = std::pow(static_cast<double>(SharedCells(cells, 0, 0, cells, 0, 0)), 0.25);
    return part;
  }

  // The outline of a trial angle for the exact measure, made once per outline as cut.
  std::shared_ptr<const TExactOutline> OutlineOf(const TCutAngle* Cut) {
    if (Cut == nullptr || Cut->Rings.empty()) return nullptr;
    auto& kept = FOutlines[Cut];
    if (kept) return kept;
    auto made = std::make_shared<TExactOutline>();
    for (const TCutRing& ring : Cut->Rings) {
      TCheckRing r;
      r.Closed = ring.Closed;
      r.Hole = ring.Hole;
      for (const TBezierNode& n : ring.Points) r.Points.push_back({n.x, n.y});
      made->Shape.Rings.push_back(std::move(r));
    }
    made->Gap = PrepareGapOutline(made->Shape);
    made->Pad = Cut->Pad;
    kept = made;
    return kept;
  }

  void RestoreStart() {
    FE.Blocks = FStartSheets;
    for (size_t p = 0; p < FParts.size(); ++p) {
      TNestOneRec& rec = FE.NestRecords.Shape[static_cast<size_t>(FParts[p].Record)];
      rec.Place = FStartPlaces[p];
      RotateNestShape(rec, rec.Place.a);
    }
  }

  // Where the budget stands, for the progress (TCompactOptions).
  double ProgressFraction() const {
    const TClock::duration whole = FOptions.Deadline - FOptions.Start;
    if (FOptions.Deadline == TClock::time_point{} || whole <= TClock::duration::zero()) {
      return FOptions.ProgressFrom;
    }
    const double spent = std::chrono::duration<double>(TClock::now() - FOptions.Start) /
                         std::chrono::duration<double>(whole);
    return std::clamp(spent, FOptions.ProgressFrom, 1.0);
  }

  bool Finished() const {
    if (StopRequested(FE)) return true;
    const bool timed = FOptions.Deadline != TClock::time_point{};
    if (FOptions.Moves > 0 && FMoves >= FOptions.Moves) return true;
    if (timed && TClock::now() >= FOptions.Deadline) return true;
    return FOptions.Moves <= 0 && !timed;  // no budget at all
  }

  const TAnglePose& Pose(size_t p, const TPlace& At) const {
    return FParts[p].Poses[static_cast<size_t>(At.Angle)];
  }

  int TopOf(const TLayoutPlaces& L) const {
    int top = 0;
    for (size_t p = 0; p < L.size(); ++p) top = std::max(top, L[p].Y + Pose(p, L[p]).Rect.Top);
    return top;
  }

  // Pairs are indexed [p][q]; q == the part count stands for the start sheet's own cells.
  size_t Index(size_t p, size_t q) const { return p * (FParts.size() + 1) + q; }

  // True when the check places part p at P before part q at Q: the lower bottom first, the
  // lower index among equals.
  bool Before(size_t p, const TPlace& P, size_t q, const TPlace& Q) const {
    const int bp = P.Y + Pose(p, P).Rect.Bottom;
    const int bq = Q.Y + Pose(q, Q).Rect.Bottom;
    return bp < bq || (bp == bq && p < q);
  }

  // The cells of p in q's drawing, counted only when the check places q first: it tests each
  // shape against the drawings of those placed before it, and counting the other way as well
  // would keep shapes up to a cell further apart than the check asks.
  int64_t PairOverlap(size_t p, size_t q) const {
    const TAnglePose& a = Pose(p, FNow[p]);
    const int ax = FNow[p].X + a.OffX;
    const int ay = FNow[p].Y + a.OffY;
    if (q == FParts.size()) return FBaseFree ? 0 : SharedCells(a.Shape, ax, ay, FBase, 0, 0);
    if (!Before(q, FNow[q], p, FNow[p])) return 0;
    const TAnglePose& b = Pose(q, FNow[q]);
    return SharedCells(a.Shape, ax, ay, b.Drawn, FNow[q].X + b.OffX, FNow[q].Y + b.OffY);
  }

  void UpdatePairs(size_t m) {
    const size_t n = FParts.size();
    for (size_t q = 0; q <= n; ++q) {
      if (q == m) continue;
      FPair[Index(m, q)] = PairOverlap(m, q);
      if (q < n) FPair[Index(q, m)] = PairOverlap(q, m);
    }
  }

  bool Overlaps(size_t p) const {
    const size_t n = FParts.size();
    for (size_t q = 0; q <= n; ++q) {
      if (q == p) continue;
      if (FPair[Index(p, q)] > 0 || (q < n && FPair[Index(q, p)] > 0)) return true;
    }
    return false;
  }

  enum class TStep { Found, Failed, Overtaken, Stuck };

  // Asks for a layout with every top at or below Top, moving on from the lowest layout or from
  // where the last step stalled; Found when one was found and kept, Overtaken when another
  // search has found one first.
  TStep Shrink(int Top) {
    const size_t n = FParts.size();
    FTop = Top;
    FNow = FStalled.empty() ? FBest : FStalled;
    FStalled.clear();
    for (size_t p = 0; p < n; ++p) {
      const TAnglePose& pose = Pose(p, FNow[p]);
      FNow[p].Y = std::max(pose.YMin, std::min(FNow[p].Y, Top - pose.Rect.Top));
    }
    FPair.assign(n * (n + 1), 0);
    for (size_t p = 0; p < n; ++p) UpdatePairs(p);
    FWeight.assign(FPair.size(), 1.0);
    TLeastOverlap least{FNow};
    while (!Finished()) {
      std::vector<size_t> overlapping;
      for (size_t p = 0; p < n; ++p) {
        if (Overlaps(p)) overlapping.push_back(p);
      }
      if (overlapping.empty()) {
        // Free of overlaps yet as high as before: a shape stands at its lowest place at its
        // angle, and only an overlap would move it, so no step lowers this layout.
        if (TopOf(FNow) >= FBestTop) return TStep::Stuck;
        if (!Sound(FNow)) return TStep::Failed;
        FBest = FNow;
        FBestTop = TopOf(FBest);
        return TStep::Found;
      }
      // A round: every overlapping shape moves once, in random order; then the weights.
      for (size_t i = overlapping.size(); i > 1; --i) {
        std::swap(overlapping[i - 1], overlapping[Below(i)]);
      }
      for (size_t m : overlapping) {
        if (!Overlaps(m)) continue;
        MoveShape(m);
        ++FMoves;
      }
      if (!Progressed(least, RaiseWeights())) {
        FStalled = std::move(least.Places);
        return TStep::Failed;
      }
      if (FShared != nullptr && FShared->Top() <= Top) return TStep::Overtaken;
    }
    return TStep::Failed;
  }

  // The least overlap of a step so far, its layout, and how long the moves have not lowered it.
  struct TLeastOverlap {
    TLayoutPlaces Places;
    double Total = std::numeric_limits<double>::max();
    int IdleRounds = 0;
    int Strikes = 0;
  };

  // Books a round that left Total overlap; false when the step has had its strikes. A strike
  // puts the layout of the least overlap back.
  bool Progressed(TLeastOverlap& Least, double Total) {
    if (Total < Least.Total * (1.0 - kLeastGain)) {
      Least.Total = Total;
      Least.Places = FNow;
      Least.IdleRounds = 0;
      return true;
    }
    if (++Least.IdleRounds < kIdleRounds) return true;
    if (++Least.Strikes >= kStrikes) return false;
    Least.IdleRounds = 0;
    FNow = Least.Places;
    for (size_t p = 0; p < FParts.size(); ++p) UpdatePairs(p);
    return true;
  }

  // The part that stands for q in pair (p, q): the sheet's own cells count against p itself.
  size_t Partner(size_t p, size_t q) const { return q == FParts.size() ? p : q; }

  static double Floor(const TPart& a, const TPart& b) {
    return std::max(a.Diagonal, b.Diagonal) * kFloorShare;
  }

  // The cost of Cells of pair (p, q), unweighted.
  double Quantity(size_t p, size_t q, int64_t Cells) const {
    if (Cells <= 0) return 0.0;
    const TPart& a = FParts[p];
    const TPart& b = FParts[Partner(p, q)];
    const double floor = Floor(a, b);
    return std::sqrt(static_cast<double>(Cells) + floor * floor) * a.Size * b.Size;
  }

  // The cells pair (p, q) may still count, at weight W, before its cost exceeds Room.
  int64_t CellsWithin(size_t p, size_t q, double W, double Room) const {
    const TPart& a = FParts[p];
    const TPart& b = FParts[Partner(p, q)];
    const double floor = Floor(a, b);
    const double root = std::max(0.0, Room / (W * a.Size * b.Size));
    return static_cast<int64_t>(std::clamp(root * root - floor * floor, 0.0, 1e15)) + 1;
  }

  // Raises the weights after a round; the unweighted overlap of the layout.
  double RaiseWeights() {
    const size_t pairs = FParts.size() + 1;
    std::vector<double> cost(FPair.size());
    double most = 0.0;
    for (size_t k = 0; k < FPair.size(); ++k) {
      cost[k] = Quantity(k / pairs, k % pairs, FPair[k]);
      most = std::max(most, cost[k]);
    }
    if (most == 0.0) return 0.0;
    double total = 0.0;
    for (size_t k = 0; k < FPair.size(); ++k) {
      total += cost[k];
      if (FPair[k] > 0) {
        FWeight[k] *= kWeightGrowth + kWeightGrowthRange * cost[k] / most;
      } else {
        FWeight[k] = std::max(1.0, FWeight[k] * kWeightFade);
      }
    }
    return total;
  }

  // The weighed overlap of shape m at At with every other shape and the sheet's own cells;
  // counting may stop once it exceeds Limit.
  double Cost(size_t m, const TPlace& At, double Limit) const {
    const TAnglePose& a = Pose(m, At);
    const int ax = At.X + a.OffX;
    const int ay = At.Y + a.OffY;
    const size_t n = FParts.size();
    double cost = 0.0;
    // Pair (p, q) at weight W: its cost, counting only the cells that keep it within Limit.
    const auto add = [&](size_t p, size_t q, double W, const TBooleanMatrix& A, int AX, int AY,
                         const TBooleanMatrix& B, int BX, int BY) {
      const int64_t cells = SharedCells(A, AX, AY, B, BX, BY, CellsWithin(p, q, W, Limit - cost));
      cost += W * Quantity(p, q, cells);
    };
    if (!FBaseFree) add(m, n, FWeight[Index(m, n)], a.Shape, ax, ay, FBase, 0, 0);
    for (size_t q = 0; q < n && cost <= Limit; ++q) {
      if (q == m) continue;
      const TAnglePose& b = Pose(q, FNow[q]);
      const int bx = FNow[q].X + b.OffX;
      const int by = FNow[q].Y + b.OffY;
      // Both drawings share their frame's size: apart frames share no cell.
      if (bx >= ax + a.Drawn.Width() || ax >= bx + b.Drawn.Width() || by >= ay + a.Drawn.Height() ||
          ay >= by + b.Drawn.Height()) {
        continue;
      }
      if (Before(q, FNow[q], m, At)) {
        add(m, q, FWeight[Index(m, q)], a.Shape, ax, ay, b.Drawn, bx, by);
      } else {
        add(q, m, FWeight[Index(q, m)], b.Shape, bx, by, a.Drawn, ax, ay);
      }
    }
    return cost;
  }

  bool Allowed(size_t m, const TPlace& At) const {
    const TAnglePose& a = Pose(m, At);
    return At.X >= a.XMin && At.X <= a.XMax && At.Y >= a.YMin && At.Y + a.Rect.Top <= FTop;
  }

  int Between(int Lo, int Hi) {
    return Lo + static_cast<int>(Below(static_cast<uint64_t>(int64_t{Hi} - Lo + 1)));
  }

  // Offers a place to the few best tries kept, sorted best first.
  void Offer(std::vector<TTry>& Kept, size_t m, const TPlace& At) const {
    const double worst =
        Kept.size() < kDescentStarts ? std::numeric_limits<double>::max() : Kept.back().Cost;
    const TTry t{Cost(m, At, worst), At};
    if (Kept.size() == kDescentStarts && !Better(t, Kept.back())) return;
    Kept.insert(std::upper_bound(Kept.begin(), Kept.end(), t, Better), t);
    if (Kept.size() > kDescentStarts) Kept.pop_back();
  }

  void MoveShape(size_t m) {
    std::vector<TTry> kept;
    Offer(kept, m, FNow[m]);
    for (int j = 0; j < static_cast<int>(FParts[m].Poses.size()); ++j) {
      const TAnglePose& pose = FParts[m].Poses[static_cast<size_t>(j)];
      const int yMax = FTop - pose.Rect.Top;
      if (pose.XMin > pose.XMax || pose.YMin > yMax) continue;
      for (int s = 0; s < kSamplesPerAngle; ++s) {
        Offer(kept, m, TPlace{Between(pose.XMin, pose.XMax), Between(pose.YMin, yMax), j});
      }
      const int rx = std::max(1, (pose.Rect.Right - pose.Rect.Left) / 2);
      const int ry = std::max(1, (pose.Rect.Top - pose.Rect.Bottom) / 2);
      for (int s = 0; s < kNearSamplesPerAngle; ++s) {
        const int x = std::clamp(Between(FNow[m].X - rx, FNow[m].X + rx), pose.XMin, pose.XMax);
        const int y = std::clamp(Between(FNow[m].Y - ry, FNow[m].Y + ry), pose.YMin, yMax);
        Offer(kept, m, TPlace{x, y, j});
      }
    }
    TTry best = kept.front();
    for (const TTry& t : kept) {
      const TTry d = Descend(m, t);
      if (Better(d, best)) best = d;
    }
    FNow[m] = best.At;
    UpdatePairs(m);
  }

  // Steps from From to a neighbouring place (eight directions) while that is better, with steps
  // halving from a sixty-fourth of the sheet's width down to one cell.
  TTry Descend(size_t m, TTry From) const {
    static constexpr int kDirections[8][2] = {{0, -1},  {-1, 0}, {1, 0},  {0, 1},
                                              {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int step = std::max(1, FE.NestParams.Media_W / 64); step >= 1; step /= 2) {
      for (bool moved = true; moved;) {
        moved = false;
        for (const auto& d : kDirections) {
          const TPlace next{From.At.X + d[0] * step, From.At.Y + d[1] * step, From.At.Angle};
          if (!Allowed(m, next)) continue;
          const TTry t{Cost(m, next, From.Cost), next};
          if (Better(t, From)) {
            From = t;
            moved = true;
            break;
          }
        }
      }
    }
    return From;
  }

  // Whether part p at At lies within the sheet's places and off the sheet's own cells.
  bool WithinSheet(size_t p, const TPlace& At) const {
    const TAnglePose& pose = Pose(p, At);
    return At.X >= pose.XMin && At.X <= pose.XMax && At.Y >= pose.YMin &&
           At.Y + pose.Rect.Top < FE.NestParams.Media_H - 1 &&
           (FBaseFree ||
            SharedCells(pose.Shape, At.X + pose.OffX, At.Y + pose.OffY, FBase, 0, 0) == 0);
  }

  // Whether L keeps the distance as cut: every shape within the sheet, and every pair at least
  // the distance apart on their outlines as cut, measured exactly. The cells are conservative,
  // so a layout free of overlaps nearly always passes; the measure is much cheaper than drawing
  // the layout again.
  bool Sound(const TLayoutPlaces& L) const {
    std::vector<TGapShape> gaps(L.size());  // without an outline for a part without rings
    std::vector<double> pads(L.size(), 0.0);
    for (size_t p = 0; p < L.size(); ++p) {
      if (!WithinSheet(p, L[p])) return false;
      const std::shared_ptr<const TExactOutline>& outline = Pose(p, L[p]).Outline;
      if (!outline) continue;
      gaps[p] = TGapShape{std::shared_ptr<const TGapOutline>(outline, &outline->Gap),
                          TNodeSimple{static_cast<double>(L[p].X), static_cast<double>(L[p].Y)}};
      pads[p] = outline->Pad;
    }
    const bool allowInside = FE.NestParams.PlaceInside_Enable;
    for (size_t p = 0; p < L.size(); ++p) {
      for (size_t q = p + 1; q < L.size() && gaps[p].Outline; ++q) {
        if (!gaps[q].Outline) continue;
        const double need = FE.Exact.Distance + pads[p] + pads[q];
        if (BoxesNear(gaps[p].Box(), gaps[q].Box(), need) &&
            PairCloser(gaps[p], gaps[q], need, allowInside)) {
          return false;
        }
      }
    }
    return true;
  }

  // Places and draws L into the engine state, on a fresh sheet.
  void Draw(const TLayoutPlaces& L) {
    StartSheets(FE);
    for (size_t p = 0; p < L.size(); ++p) {
      const int r = FParts[p].Record;
      TNestOneRec& rec = FE.NestRecords.Shape[static_cast<size_t>(r)];
      const TNestAngleOneRect& angle = rec.AnglesSRR.Item[static_cast<size_t>(L[p].Angle)];
      RotateNestShape(rec, angle.Value);
      TNestPlacedShape& place = rec.Place;
      place.x = L[p].X;
      place.y = L[p].Y;
      place.AngC = L[p].Angle;
      place.a = angle.Value;
      place.placed = true;
      place.sheetNo = 0;
      place.TopY = L[p].Y + angle.Rect.Top;
      place.VeryMinY = L[p].Y + angle.Rect.Bottom;
      DrawPlacedShape(FE, r, true, true, false);
    }
  }

  uint64_t Below(uint64_t n) { return n <= 1 ? 0 : RandomBelow(FRandom, n); }

  TEngineState& FE;
  const TCompactOptions& FOptions;
  std::mt19937_64 FRandom;
  TSharedBest* FShared;  // with other searches racing; may be null
  std::vector<TPart> FParts;
  TBooleanMatrix FBase;    // the start sheet's own cells (its padding band)
  bool FBaseFree = false;  // without padding: nothing to count against
  TBlock FStartSheets;
  std::vector<TNestPlacedShape> FStartPlaces;  // per part
  int FLowestTop = 0;  // no layout can be lower: the tallest shape at its flattest
  TLayoutPlaces FBest;
  int FBestTop = 0;
  int FStartTop = 0;
  TLayoutPlaces FNow;
  // Where the last step stalled (its layout of least overlap), when it failed.
  TLayoutPlaces FStalled;
  int FTop = 0;                 // of the step under way
  std::vector<int64_t> FPair;   // cells of p in q's drawing, when q comes first
  std::vector<double> FWeight;  // the pairs' guided local search weights
  int64_t FMoves = 0;
  std::map<const TCutAngle*, std::shared_ptr<const TExactOutline>> FOutlines;
};

}  // namespace

bool CanCompact(const TEngineState& E) {
  const TeNestParameters& p = E.NestParams;
  if (p.Media_Container || p.Media_ByColor != 0 || E.Blocks.Count != 1) return false;
  bool any = false;
  for (int r = 0; r < static_cast<int>(E.NestRecords.Shape.size()); ++r) {
    if (!TakesPart(E, r)) continue;
    const TNestOneRec& rec = E.NestRecords.Shape[static_cast<size_t>(r)];
    const TNestPlacedShape& place = rec.Place;
    if (!place.placed || place.sheetNo != 0 || place.AngC < 0 || place.AngC >= AngleTotal(rec)) {
      return false;
    }
    any = true;
  }
  return any;
}

TCompactOutcome CompactLayout(TEngineState& E, const TCompactOptions& Options) {
  TCompactOutcome out;
  if (!CanCompact(E)) return out;
  int threads = Options.Threads;
  if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
  threads = std::clamp(threads, 1, kMaxSearches);
  // Independent searches from the same layout, each with its own seed on its own copy of the
  // state; the lowest result wins, the first among equals.
  const bool counted = Options.Moves > 0;
  const int searches = counted ? kCountedSearches : threads;
  std::vector<std::optional<TSearchResult>> results(static_cast<size_t>(searches));
  const TEngineState& source = E;
  std::optional<TSharedBest> shared;
  if (!counted && searches > 1) shared.emplace(std::numeric_limits<int>::max());
  TSharedBest* race = shared ? &*shared : nullptr;
  // Search s has seed Seed + s whichever thread takes it; only the calling thread reports.
  DealOnThreads(threads, results.size(), [&](int k, size_t s) {
    TEngineState copy = source;
    results[s] = TCompactor(copy, Options, Options.Seed + s, race).Search(k == 0);
  });
  const TSearchResult* best = nullptr;
  for (const std::optional<TSearchResult>& r : results) {
    if (!r) continue;
    out.Moves += r->Moves;
    if (best == nullptr || r->Top < best->Top) best = &*r;
  }
  if (best == nullptr || best->Top >= best->StartTop) return out;
  TCompactor here(E, Options, Options.Seed);
  out.Improved = here.Apply(best->Places);
  return out;
}

}  // namespace plavo
