#include "nesting/result/SettleLayout.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <tuple>
#include <numeric>
#include <optional>
#include <vector>

#include "core/NestControl.h"
#include "geometry/NestedLayout.h"
#include "nesting/result/ResultCheck.h"
#include "nesting/result/ResultLayout.h"
#include "nesting/result/ShapeGap.h"
#include "nesting/result/ShapeGrid.h"

namespace plavo {

namespace {

// How closely settling follows curves, mm: coarser than the check, for fewer segments to
// measure at every step.
constexpr double kSettleFlatness = 0.05;
// What a settled shape with curves keeps beyond the distance and the padding: its flattening
// may lie that far inside or outside the curve, and the check flattens the outline as each file
// draws it (cubics, polylines, fitted arcs), which may lie apart by up to the check's own.
// Straight pieces are written alike by every file.
constexpr double kCurveMargin = kSettleFlatness + kCutFlatness;
// Rounding of the placement's sums, which must not keep a gap of exactly the distance apart.
constexpr double kRounding = 1e-7;
// Rounds over a sheet: a shape moved aside may open room for one settled before it.
constexpr int kRounds = 3;
// The most cells one slide moves a shape, so a drawing of any size settles in bounded time.
constexpr int kMostSteps = 1000;
// Cells a slide moves before it looks again for the shapes it may come near.
constexpr int kReach = 16;
// A sheet with a shape of more segments stays as the cells placed it, which keeps the distance
// too: measuring such an outline at every step would cost seconds and gigabytes (an SVG path of
// ten million commands took 15 s to settle).
constexpr int64_t kMostSegments = 200000;

// The placed shapes of one sheet as they settle.
struct TSheetSettling {
  std::vector<int> Records;
  std::vector<TGapShape> Gaps;
  std::vector<double> Margins;  // kCurveMargin for a shape with curves, else 0
  std::optional<TShapeGrid> Grid;
  TRectDbl Room;  // where every point of an outline must stay, less its margin
  double Distance = 0.0;
  bool AllowInside = false;
};

bool WithinRoom(const TRectDbl& Box, const TRectDbl& Room, double Margin) {
  return Box.Left >= Room.Left + Margin && Box.Right <= Room.Right - Margin &&
         Box.Bottom >= Room.Bottom + Margin && Box.Top <= Room.Top - Margin;
}

double Reach(const TSheetSettling& S) {
  return kReach + S.Distance + 2 * kCurveMargin;
}

// The shapes a slide of shape k by up to kReach cells may come near: those whose boxes lie
// within the reach and the largest distance of k's box.
std::vector<uint32_t> Candidates(const TSheetSettling& S, size_t k) {
  const TRectDbl b = S.Gaps[k].Box();
  const double reach = Reach(S);
  const TRectDbl around =
      TRectDbl::MakeLTRB(b.Left - reach, b.Top + reach, b.Right + reach, b.Bottom - reach);
  std::vector<uint32_t> near = S.Grid->Near(around);
  std::erase_if(near, [&](uint32_t o) {
    const TRectDbl c = S.Gaps[o].Box();
    return o == k || c.Left > around.Right || c.Right < around.Left || c.Bottom > around.Top ||
           c.Top < around.Bottom;
  });
  return near;
}

// Puts shape k at Offset, and in the grid's buckets there.
void MoveTo(TSheetSettling& S, size_t k, TNodeSimple Offset) {
  const TRectDbl from = S.Gaps[k].Box();
  S.Gaps[k].Offset = Offset;
  S.Grid->Move(static_cast<uint32_t>(k), from, S.Gaps[k].Box());
}

bool Fits(const TSheetSettling& S, size_t k, const std::vector<uint32_t>& Near) {
  const TGapShape& moved = S.Gaps[k];
  const TRectDbl box = moved.Box();
  if (!WithinRoom(box, S.Room, S.Margins[k] - kRounding)) return false;
  for (const uint32_t o : Near) {
    const double need = S.Distance + S.Margins[k] + S.Margins[o] - kRounding;
    if (!BoxesNear(box, S.Gaps[o].Box(), need)) continue;
    if (PairCloser(moved, S.Gaps[o], need, S.AllowInside)) return false;
  }
  return true;
}

// Moves shape k a cell at a time by (DX, DY) while it fits; the number of cells moved.
int Slide(TSheetSettling& S, size_t k, int DX, int DY) {
  const TNodeSimple start = S.Gaps[k].Offset;
  int steps = 0;
  std::vector<uint32_t> near;
  while (steps < kMostSteps) {
    if (steps % kReach == 0) near = Candidates(S, k);
    TNodeSimple& at = S.Gaps[k].Offset;
    at = {at.X + DX, at.Y + DY};
    if (!Fits(S, k, near)) {
      at = {at.X - DX, at.Y - DY};
      break;
    }
    ++steps;
  }
  const TNodeSimple end = S.Gaps[k].Offset;
  S.Gaps[k].Offset = start;
  MoveTo(S, k, end);
  return steps;
}

bool HasCurves(const TQarvOneShape& Shape) {
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) return false;
  for (int p = 0; p < curve->PathCount(); ++p) {
    const TQarvOnePath* path = curve->GetPath(p);
    for (int k = 0; k < path->SegmentCount(); ++k) {
      const auto g = path->GetSegment(k);
      const TPlacedSegment placed{g->Type_(), g->StartNode(), g->StartControlNode(),
                                  g->EndControlNode(), g->EndNode()};
      if (!IsStraightSegment(placed)) return true;
    }
  }
  return false;
}

int64_t SegmentCount(const TQarvOneShape* Shape) {
  const TQarvOneCurve* curve = Shape != nullptr ? Shape->Curve() : nullptr;
  int64_t count = 0;
  for (int p = 0; curve != nullptr && p < curve->PathCount(); ++p) {
    count += curve->GetPath(p)->SegmentCount();
  }
  return count;
}

void MovePlacement(TNestPlacedShape& P, int DX, int DY) {
  P.x += DX;
  P.y += DY;
  P.TopY += DY;
  P.VeryMinY += DY;
}

// The outlines of a run's records, prepared once for each shape and angle: copies at one angle
// share theirs, each at its own offset from the one it was prepared at.
class TOutlines {
 public:
  TOutlines(const TQarvShapes& Shapes, const TOneNestingResult& R) : FShapes(Shapes), FR(R) {}

  // Record i's outline where it is placed, and whether it has curves; false for a record with
  // nothing to measure.
  bool Place(int i, TGapShape& Out, bool& Curved) {
    const auto k = static_cast<size_t>(i);
    const TKey key{FR.ShapeIndex[k], FR.OptimalAngles[k], FR.Place[k].a};
    auto found = FPrepared.find(key);
    if (found == FPrepared.end()) {
      TPrepared prepared;
      prepared.Shape = std::make_unique<TCheckShape>();
      if (!RecordCheckShape(FShapes, FR, i, TCurveForm::Cubics, *prepared.Shape, kSettleFlatness)) {
        return false;
      }
      prepared.Outline = std::make_shared<const TGapOutline>(PrepareGapOutline(*prepared.Shape));
      prepared.At = PlacedAt(i);
      prepared.Curved = HasCurves(*RecordShape(FShapes, FR, i));
      found = FPrepared.emplace(key, std::move(prepared)).first;
    }
    const TPrepared& p = found->second;
    if (p.Shape->Rings.empty()) return false;
    const TNodeSimple at = PlacedAt(i);
    Out = TGapShape{p.Outline, {at.X - p.At.X, at.Y - p.At.Y}};
    Curved = p.Curved;
    return true;
  }

 private:
  using TKey = std::tuple<int32_t, double, double>;
  struct TPrepared {
    std::unique_ptr<TCheckShape> Shape;  // the outline refers to it
    std::shared_ptr<const TGapOutline> Outline;
    TNodeSimple At;  // the placement it was prepared at
    bool Curved = false;
  };

  // Where record i's placement moves its outline, as the check's transform moves it.
  TNodeSimple PlacedAt(int i) const {
    const TNestPlacedShape& p = FR.Place[static_cast<size_t>(i)];
    const TBezierNode& sheet = FR.Block.Item[static_cast<size_t>(p.sheetNo)].Position;
    return {sheet.x + p.x, sheet.y + p.y};
  }

  const TQarvShapes& FShapes;
  const TOneNestingResult& FR;
  std::map<TKey, TPrepared> FPrepared;
};

// The placed records of each sheet, in record order.
std::vector<std::vector<int>> RecordsBySheet(const TOneNestingResult& R) {
  std::vector<std::vector<int>> bySheet(R.Block.Item.size());
  for (int i = 0; i < static_cast<int>(R.Place.size()); ++i) {
    const TNestPlacedShape& p = R.Place[static_cast<size_t>(i)];
    if (p.placed && p.sheetNo >= 0 && static_cast<size_t>(p.sheetNo) < bySheet.size()) {
      bySheet[static_cast<size_t>(p.sheetNo)].push_back(i);
    }
  }
  return bySheet;
}

TSheetSettling Gather(TOutlines& Outlines, const TOneNestingResult& R, int Sheet,
                      const std::vector<int>& Records, const TExactLengths& Exact) {
  TSheetSettling s;
  for (const int i : Records) {
    TGapShape shape;
    bool curved = false;
    if (!Outlines.Place(i, shape, curved)) continue;
    s.Records.push_back(i);
    s.Gaps.push_back(std::move(shape));
    s.Margins.push_back(curved ? kCurveMargin : 0.0);
  }
  const TBezierNode& at = R.Block.Item[static_cast<size_t>(Sheet)].Position;
  const double edge = Exact.Padding;
  s.Room = TRectDbl::MakeLTRB(at.x + edge, at.y + R.P.Media_H - edge, at.x + R.P.Media_W - edge,
                              at.y + edge);
  s.Distance = Exact.Distance;
  s.AllowInside = R.P.PlaceInside_Enable;
  std::vector<TRectDbl> boxes;
  std::vector<double> sizes;
  for (const TGapShape& g : s.Gaps) {
    boxes.push_back(g.Box());
    sizes.push_back(
        std::max(boxes.back().Right - boxes.back().Left, boxes.back().Top - boxes.back().Bottom));
  }
  // Buckets as large as a middling shape: most shapes then reach into a few of them.
  double bucket = Reach(s);
  if (!sizes.empty()) {
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    bucket = std::max(bucket, sizes[sizes.size() / 2]);
  }
  s.Grid.emplace(s.Room, bucket, boxes);
  return s;
}

// Settles one sheet; false when asked to stop.
bool SettleSheet(TSheetSettling& S, TOneNestingResult& R, const TNestControl* Control) {
  const int aside = R.P.Origin_point ? -1 : 1;
  std::vector<size_t> order(S.Gaps.size());
  for (int round = 0; round < kRounds; ++round) {
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&S](size_t a, size_t b) {
      return S.Gaps[a].Box().Bottom < S.Gaps[b].Box().Bottom;
    });
    bool moved = false;
    for (const size_t k : order) {
      if (Control != nullptr && Control->StopRequested()) return false;
      int down = Slide(S, k, 0, -1);
      int side = aside * Slide(S, k, aside, 0);
      if (side != 0) down += Slide(S, k, 0, -1);
      // Away from the start side only where the shape then comes lower.
      const TNodeSimple before = S.Gaps[k].Offset;
      const int away = -aside * Slide(S, k, -aside, 0);
      const int lower = away != 0 ? Slide(S, k, 0, -1) : 0;
      if (lower > 0) {
        side += away;
        down += lower;
      } else {
        MoveTo(S, k, before);
      }
      // Down along a slope, to either side.
      for (const int dx : {aside, -aside}) {
        const int diagonal = Slide(S, k, dx, -1);
        side += dx * diagonal;
        down += diagonal;
      }
      if (down == 0 && side == 0) continue;
      MovePlacement(R.Place[static_cast<size_t>(S.Records[k])], side, -down);
      moved = true;
    }
    if (!moved) break;
  }
  return true;
}

}  // namespace

void SettleLayout(const TQarvShapes& Shapes, TOneNestingResult& R, const TExactLengths& Exact,
                  const TNestControl* Control) {
  if (R.P.Media_Container || R.P.Media_ByColor == 3) return;
  if (!ResultFitsDrawing(Shapes, R)) return;
  TOutlines outlines(Shapes, R);
  const std::vector<std::vector<int>> bySheet = RecordsBySheet(R);
  for (int sheet = 0; sheet < static_cast<int>(bySheet.size()); ++sheet) {
    const std::vector<int>& records = bySheet[static_cast<size_t>(sheet)];
    if (records.empty() || std::any_of(records.begin(), records.end(), [&](int i) {
          return SegmentCount(RecordShape(Shapes, R, i)) > kMostSegments;
        })) {
      continue;
    }
    TSheetSettling s = Gather(outlines, R, sheet, records, Exact);
    if (!SettleSheet(s, R, Control)) return;
  }
}

}  // namespace plavo
