#include "nesting/prepare/ShapeAnalysis.h"

#include "geometry/QarvMath.h"
#include "geometry/Units.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "nesting/place/PlacementDriver.h"
#include "nesting/prepare/CutAngles.h"
#include "nesting/place/Rasterise.h"

namespace plavo {

namespace {

// A distance or extreme with nothing measured yet.
constexpr double kNoExtent = 2147483647.0;
// Below this a control point counts as lying on the chord.
constexpr double kFlatEpsilon = 1e-20;
constexpr int kFlattenLimit = 5;
// Splitting for the slack stops here, whatever the curve: 2^14 points per cubic at most, reached
// only by curves kilometres long.
constexpr int kSlackLevelLimit = 14;

int32_t ClampInt(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -2147483647 - 1, 2147483647));
}

void SetNodes(TNestSbpOneRec& Sbp, TNestNodeArr Nodes) {
  Sbp.Node = std::move(Nodes);
  Sbp.NodeCount = static_cast<int32_t>(Sbp.Node.size());
}

// The points of one flattened sub-path in millimetres, with their bounding box.
struct TFlatPoints {
  std::vector<TBezierNode> Points;
  TNestRect Box;
  int Limit = kFlattenLimit;
  double Tolerance = 0.0;
  double Slack = kNoSlack;

  void Start() {
    Points.clear();
    Box = TNestRect::MakeLRBT(kNoExtent, -kNoExtent, kNoExtent, -kNoExtent);
  }
  void Add(const TBezierNode& P) {
    Points.push_back(P);
    Box.Left = std::min(Box.Left, P.x);
    Box.Right = std::max(Box.Right, P.x);
    Box.Bottom = std::min(Box.Bottom, P.y);
    Box.Top = std::max(Box.Top, P.y);
  }
};

TBezierNode Mid(const TBezierNode& a, const TBezierNode& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

bool SamePoint(const TBezierNode& a, const TBezierNode& b) {
  return a.x == b.x && a.y == b.y;
}

// Flatness of a cubic by the distances of its control points from the chord (each times the
// chord length); with both controls on the chord line, by how far the curve's midpoint M lies
// from the chord's midpoint.
bool IsFlat(const TBezierNode& p1, const TBezierNode& p2, const TBezierNode& p3,
            const TBezierNode& p4, const TBezierNode& M, double Tol) {
  const auto [d2, d3, k] = ChordDeviation(p1.x, p1.y, p2.x, p2.y, p3.x, p3.y, p4.x, p4.y);
  if (d2 > kFlatEpsilon && d3 > kFlatEpsilon) return (d2 + d3) * (d2 + d3) <= Tol * k;
  if (d2 > kFlatEpsilon) return d2 * d2 <= Tol * k;
  if (d3 > kFlatEpsilon) return d3 * d3 <= Tol * k;
  const double mx = M.x - (p1.x + p4.x) / 2;
  const double my = M.y - (p1.y + p4.y) / 2;
  return mx * mx + my * my <= Tol;
}

// Distance of P from the segment A-B.
double SegmentDistance(const TBezierNode& P, const TBezierNode& A, const TBezierNode& B) {
  return PointSegmentDistance({P.x, P.y}, {A.x, A.y}, {B.x, B.y});
}

// The cubic lies in the hull of its control points, so it stays within Slack of its chord when
// both controls do.
bool HugsChord(const TBezierNode& p1, const TBezierNode& p2, const TBezierNode& p3,
               const TBezierNode& p4, double Slack) {
  return SegmentDistance(p2, p1, p4) <= Slack && SegmentDistance(p3, p1, p4) <= Slack;
}

// A point of a cubic with its curve parameter.
struct TCurvePoint {
  double t = 0.0;
  TBezierNode P;
};

// One cubic with the points its subdivision found, in order.
struct TCubic {
  TBezierNode P[4];
  std::vector<TCurvePoint> Points;
};

TBezierNode Lerp(const TBezierNode& a, const TBezierNode& b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The blossom of the cubic at (u, v, w): de Casteljau with a parameter of its own per level.
TBezierNode Blossom(const TCubic& C, double u, double v, double w) {
  const TBezierNode a = Lerp(C.P[0], C.P[1], u);
  const TBezierNode b = Lerp(C.P[1], C.P[2], u);
  const TBezierNode c = Lerp(C.P[2], C.P[3], u);
  return Lerp(Lerp(a, b, v), Lerp(b, c, v), w);
}

// Adds, between the curve points at A and B, curve points until every piece of the curve stays
// within Slack of the chord that stands for it.
void AddSlackPoints(TFlatPoints& S, const TCubic& C, double A, double B, int Level) {
  if (Level >= kSlackLevelLimit) return;
  if (HugsChord(Blossom(C, A, A, A), Blossom(C, A, A, B), Blossom(C, A, B, B), Blossom(C, B, B, B),
                S.Slack)) {
    return;
  }
  const double t = (A + B) / 2;
  AddSlackPoints(S, C, A, t, Level + 1);
  S.Add(Blossom(C, t, t, t));
  AddSlackPoints(S, C, t, B, Level + 1);
}

// Adds the midpoint of every flat piece; the first split is always made, so a curve gives at
// least two points, and splitting stops Limit levels below it. Each point added here lies at
// curve parameter (T0 + T1) / 2 of the whole cubic.
void Subdivide(const TFlatPoints& S, std::vector<TCurvePoint>& Found, const TBezierNode& p1,
               const TBezierNode& p2, const TBezierNode& p3, const TBezierNode& p4, int Level,
               double T0, double T1) {
  const TBezierNode p12 = Mid(p1, p2);
  const TBezierNode p23 = Mid(p2, p3);
  const TBezierNode p34 = Mid(p3, p4);
  const TBezierNode p123 = Mid(p12, p23);
  const TBezierNode p234 = Mid(p23, p34);
  const TBezierNode m = Mid(p123, p234);
  const double tm = (T0 + T1) / 2;
  if (Level > S.Limit || (Level != 0 && IsFlat(p1, p2, p3, p4, m, S.Tolerance))) {
    Found.push_back({tm, m});
    return;
  }
  Subdivide(S, Found, p1, p12, p123, m, Level + 1, T0, tm);
  Subdivide(S, Found, m, p234, p34, p4, Level + 1, tm, T1);
}

// Flattens one cubic after its start point: the midpoints of its flat pieces and, with a slack,
// the points that keep the curve close to the chords between them.
void FlattenCubic(TFlatPoints& S, TCubic& C) {
  C.Points.clear();
  Subdivide(S, C.Points, C.P[0], C.P[1], C.P[2], C.P[3], 0, 0.0, 1.0);
  double previous = 0.0;
  for (const TCurvePoint& p : C.Points) {
    if (S.Slack != kNoSlack) AddSlackPoints(S, C, previous, p.t, 0);
    S.Add(p.P);
    previous = p.t;
  }
  if (S.Slack != kNoSlack) AddSlackPoints(S, C, previous, 1.0, 0);
}

TNestNode ScaledNode(double x, double y) {
  TNestNode n;
  n.x = TruncSaturated(x * kUnitsPerMm);
  n.y = TruncSaturated(y * kUnitsPerMm);
  return n;
}

void FlattenBezier(TNestSbpOneRec& Sbp, TFlatPoints& S) {
  S.Start();
  const size_t count = CountedItems(Sbp.Bezier, Sbp.BezierCount).size();
  if (count > 0) S.Add(Sbp.Bezier[0]);
  TCubic cubic;
  for (size_t k = 0; 3 * k + 3 < count; ++k) {
    std::copy_n(Sbp.Bezier.begin() + static_cast<std::ptrdiff_t>(3 * k), 4, cubic.P);
    // A straight segment carries its ends as controls and adds only its end.
    if (!(SamePoint(cubic.P[1], cubic.P[0]) && SamePoint(cubic.P[2], cubic.P[3]))) {
      FlattenCubic(S, cubic);
    }
    S.Add(cubic.P[3]);
  }
  TNestNodeArr nodes;
  nodes.reserve(S.Points.size());
  for (const TBezierNode& p : S.Points) nodes.push_back(ScaledNode(p.x, p.y));
  SetNodes(Sbp, std::move(nodes));
  Sbp.Rect = S.Box;
}

void RectangleNodes(TNestSbpOneRec& Sbp) {
  const TNestRect& r = Sbp.Rect;
  SetNodes(Sbp,
           {ScaledNode(r.Left, r.Bottom), ScaledNode(r.Left, r.Top), ScaledNode(r.Right, r.Top),
            ScaledNode(r.Right, r.Bottom), ScaledNode(r.Left, r.Bottom)});
}

// A record whose flattening stopped half way would mix this run's nodes with old ones; it
// keeps no outline instead, and the position search leaves a record without nodes unplaced.
void DropOutline(TNestOneRec& Rec) {
  for (TNestSbpOneRec& sbp : Rec.Sbp) SetNodes(sbp, {});
}

struct TPointMm {
  double x = 0.0;
  double y = 0.0;
};

TPointMm InMm(const TNestNode& n) {
  return {n.x / kUnitsPerMm, n.y / kUnitsPerMm};
}

// How far P lies from the chord A-C on the side away from the material (either side for Both),
// or beyond its ends.
double StickOut(TPointMm P, TPointMm A, TPointMm C, TMaterialSide Side) {
  const double cx = C.x - A.x;
  const double cy = C.y - A.y;
  const double len = std::hypot(cx, cy);
  const double px = P.x - A.x;
  const double py = P.y - A.y;
  if (len == 0) return std::hypot(px, py);
  const double left = (cx * py - cy * px) / len;
  double out = Side == TMaterialSide::Left    ? -left
               : Side == TMaterialSide::Right ? left
                                              : std::fabs(left);
  const double along = (cx * px + cy * py) / len;
  if (along < 0) out = std::max(out, std::hypot(px, py));
  if (along > len) out = std::max(out, std::hypot(P.x - C.x, P.y - C.y));
  return out;
}

// Between every two kept nodes, keeps the dropped node that sticks out farthest beyond Slack and
// looks at both halves again, so no dropped node sticks out of its final chord by more.
void KeepStickingOut(const TNestSbpOneRec& Sbp, std::vector<uint8_t>& Kept, TMaterialSide Side,
                     double Slack) {
  std::vector<std::pair<size_t, size_t>> spans;
  size_t from = 0;
  for (size_t k = 1; k < Kept.size(); ++k) {
    if (!Kept[k]) continue;
    if (k > from + 1) spans.emplace_back(from, k);
    from = k;
  }
  while (!spans.empty()) {
    const auto [a, c] = spans.back();
    spans.pop_back();
    size_t worst = a;
    double worstOut = Slack;
    for (size_t k = a + 1; k < c; ++k) {
      const double out = StickOut(InMm(Sbp.Node[k]), InMm(Sbp.Node[a]), InMm(Sbp.Node[c]), Side);
      if (out > worstOut) {
        worstOut = out;
        worst = k;
      }
    }
    if (worst == a) continue;
    Kept[worst] = 1;
    if (worst > a + 1) spans.emplace_back(a, worst);
    if (c > worst + 1) spans.emplace_back(worst, c);
  }
}

// Twice the signed area of a closed node list in square mm; positive counter-clockwise.
double SignedArea2(const TNestSbpOneRec& Sbp, size_t n) {
  double s = 0.0;
  for (size_t j = 0; j + 1 < n; ++j) {
    const TPointMm a = InMm(Sbp.Node[j]);
    const TPointMm b = InMm(Sbp.Node[j + 1]);
    s += a.x * b.y - b.x * a.y;
  }
  return s;
}

// Even-odd test of P against one closed node list.
bool Encloses(const TNestSbpOneRec& Sbp, size_t n, TPointMm P) {
  bool inside = false;
  for (size_t j = 0; j + 1 < n; ++j) {
    const TPointMm a = InMm(Sbp.Node[j]);
    const TPointMm b = InMm(Sbp.Node[j + 1]);
    if ((a.y > P.y) != (b.y > P.y) && P.x < a.x + (P.y - a.y) * (b.x - a.x) / (b.y - a.y)) {
      inside = !inside;
    }
  }
  return inside;
}

// Squared distance of P from the line through A and B; 0 when A = B.
double LineDistance2(TPointMm P, TPointMm A, TPointMm B) {
  const double bx = B.x - A.x;
  const double by = B.y - A.y;
  const double len2 = bx * bx + by * by;
  if (len2 == 0) return 0.0;
  const double cross = bx * (P.y - A.y) - by * (P.x - A.x);
  return cross * cross / len2;
}

// Makes node coordinates relative to the centre and adds their polar form.
void CentreNodes(TNestSbpOneRec& Sbp) {
  for (TNestNode& n : Sbp.Node) {
    n.x = ClampInt(int64_t{n.x} - Sbp.Center.x);
    n.y = ClampInt(int64_t{n.y} - Sbp.Center.y);
    const double x = n.x / kUnitsPerMm;
    const double y = n.y / kUnitsPerMm;
    n.q = std::sqrt(x * x + y * y);
    n.a = DirectionAngle(0, 0, n.x, n.y);
  }
}

bool HasNodes(const TNestOneRec& Rec) {
  return std::any_of(Rec.Sbp.begin(), Rec.Sbp.end(),
                     [](const TNestSbpOneRec& s) { return NodeCountOf(s) > 0; });
}

// Box of the integer nodes; all zero for a record without nodes.
TNestRectInt NodeBox(const TNestOneRec& Rec) {
  TNestRectInt box{2147483647, -2147483647 - 1, 2147483647, -2147483647 - 1};
  bool any = false;
  for (const TNestSbpOneRec& sbp : Rec.Sbp) {
    const size_t n = NodeCountOf(sbp);
    for (size_t j = 0; j < n; ++j) {
      const TNestNode& p = sbp.Node[j];
      box.Left = std::min(box.Left, p.x);
      box.Right = std::max(box.Right, p.x);
      box.Bottom = std::min(box.Bottom, p.y);
      box.Top = std::max(box.Top, p.y);
      any = true;
    }
  }
  return any ? box : TNestRectInt{};
}

struct TBoxSize {
  double w = 0.0;
  double h = 0.0;
};

TBoxSize SizeAt(TNestOneRec& Rec, double Angle) {
  RotateNestShape(Rec, Angle);
  const TNestRectInt b = NodeBox(Rec);
  return {static_cast<double>(int64_t{b.Right} - b.Left),
          static_cast<double>(int64_t{b.Top} - b.Bottom)};
}

// Number of trial angles from the window's fix angle and the shape's own code; a value the
// program does not know turns the shape not at all.
int TrialAngleCount(TNestOneRec& Rec, const TeNestParameters& P) {
  const int code = Rec.UserAttr & kUserAngleMask;
  const int d = code > 0x100 ? code / 256 - 2 : P.Rotate;
  switch (d) {
    case 0: {
      if (code == 0x200) return 36;
      const TBoxSize s = SizeAt(Rec, 0.0);
      const double ratio = std::fabs(std::max(s.w, s.h)) / std::fabs(std::min(s.w, s.h) + 1);
      return ratio > 2.5 ? 4 : 24;
    }
    case 1:
      return 4;
    case 2:
      return 2;
    default:
      return 1;
  }
}

// A copy takes the analysed outline of the first record of its group; the outlines as cut are
// shared, not copied, and the curves they were flattened from are left out (only the analysis
// reads them). Its placement stays its own.
void TakeAnalysis(TNestOneRec& Copy, const TNestOneRec& Source) {
  Copy.Sbp = Source.Sbp;
  for (TNestSbpOneRec& sbp : Copy.Sbp) {
    sbp.Bezier = TBezierNodeArr();
    sbp.BezierCount = 0;
  }
  Copy.SbpCount = Source.SbpCount;
  Copy.SbpLastFillType = Source.SbpLastFillType;
  Copy.OptimalAngle = Source.OptimalAngle;
  Copy.AnglesSRR = Source.AnglesSRR;
  Copy.CPS = Source.CPS;
  Copy.Original = Source.Original;
}

bool IsValidRecord(const TEngineState& E, int i) {
  return i >= 0 && static_cast<size_t>(i) < E.NestRecords.Shape.size();
}

}  // namespace

void AnalyzeShapes(TEngineState& E) {
  const double d = E.Exact.Distance;
  if (!(d >= 0.0 && d <= kMaxNestDistance)) {
    ReportFailure(E, TFailureSource::Engine,
                  "minimum distance " + std::to_string(d) +
                      " mm cannot be kept: it must lie in 0 .. " +
                      std::to_string(kMaxNestDistance) + " mm");
    return;
  }
  const int n = RecordCount(E);
  // The nodes guide the search (its first tests, its probes, the base orientation); the outline
  // as cut decides. Half a millimetre keeps their count down below a distance of 1 mm.
  const double tol = std::max(d, 1.0) / 2.0;
  const std::vector<int> source = CopySources(E);
  const auto isCopy = [&source](int i) { return source[static_cast<size_t>(i)] >= 0; };
  for (int i = 0; i < n; ++i) {
    ReportProgress(E, static_cast<double>(i + 1) / (n + 1));
    if (isCopy(i)) continue;
    if (!FlattenSubPaths(E, i, kFlattenLimit, tol, kOutlineSlack)) {
      DropOutline(E.NestRecords.Shape[i]);
    }
    ComputeNetArea(E, i);
  }
  for (int i = 0; i < n; ++i) {
    if (isCopy(i)) continue;
    TNestOneRec& rec = E.NestRecords.Shape[i];
    const size_t count = rec.Sbp.size();
    const std::vector<TMaterialSide> sides = MaterialSides(rec);
    for (size_t j = 0; j < count; ++j) {
      ReportProgress(E, static_cast<double>(i) / n + static_cast<double>(j) / count / n);
      if ((rec.Sbp[j].Attr & kSbpBezier) != 0) {
        SimplifyNodes(E, i, static_cast<int>(j), tol, sides[j], kOutlineSlack);
      }
      CentreNodes(rec.Sbp[j]);
    }
    FindCpsPoints(E, i);
    FindOptimalAngle(E, i);
    BuildCutAngles(E, i);
  }
  for (int i = 0; i < n; ++i) {
    if (isCopy(i)) TakeAnalysis(E.NestRecords.Shape[i], E.NestRecords.Shape[source[i]]);
  }
  BuildColorOrder(E);
}

bool FlattenSubPaths(TEngineState& E, int i, int Limit, double Tolerance, double Slack) {
  // A Stop pressed while this record flattens aborts it; one pressed before does not.
  const auto stops = [&E] { return E.Control != nullptr ? E.Control->StopCount() : 0u; };
  const uint32_t stopsBefore = stops();
  if (!IsValidRecord(E, i)) return false;
  TNestOneRec& rec = E.NestRecords.Shape[i];
  TNestNode center;
  center.x = TruncSaturated(rec.Original.CenterX * kUnitsPerMm);
  center.y = TruncSaturated(rec.Original.CenterY * kUnitsPerMm);
  TFlatPoints points;
  points.Points.reserve(1000);
  points.Limit = Limit;
  points.Tolerance = Tolerance;
  points.Slack = Slack;
  try {
    for (TNestSbpOneRec& sbp : rec.Sbp) {
      if (stops() != stopsBefore) return false;
      if ((sbp.Attr & kSbpBezier) != 0) {
        FlattenBezier(sbp, points);
      } else {
        RectangleNodes(sbp);
      }
      sbp.Center = center;
    }
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

void ComputeNetArea(TEngineState& E, int i) {
  if (!IsValidRecord(E, i)) return;
  TNestOneRec& rec = E.NestRecords.Shape[i];
  double net = 0.0;
  for (const TNestSbpOneRec& sbp : rec.Sbp) {
    const size_t n = NodeCountOf(sbp);
    if ((sbp.Attr & kSbpClosed) == 0 || n < 3) continue;
    double s = 0.0;
    for (size_t j = 0; j + 1 < n; ++j) {
      const TPointMm a = InMm(sbp.Node[j]);
      const TPointMm b = InMm(sbp.Node[j + 1]);
      s += (a.x + b.x) / 2 * (a.y - b.y);
    }
    net += (sbp.Attr & kSbpOuter) != 0 ? std::fabs(s) : -std::fabs(s);
  }
  rec.Original.Scale = net;
}

std::vector<TMaterialSide> MaterialSides(const TNestOneRec& Rec) {
  std::vector<TMaterialSide> sides(Rec.Sbp.size(), TMaterialSide::Both);
  const auto ring = [&Rec](size_t j) {
    const TNestSbpOneRec& s = Rec.Sbp[j];
    return (s.Attr & kSbpClosed) != 0 && NodeCountOf(s) >= 3;
  };
  for (size_t j = 0; j < Rec.Sbp.size(); ++j) {
    if (!ring(j)) continue;
    const TNestSbpOneRec& sbp = Rec.Sbp[j];
    const double area = SignedArea2(sbp, NodeCountOf(sbp));
    if (area == 0) continue;
    // Inside an even number of other rings, the inside of this one is material. A ring's box
    // (its flattened nodes' box) rules most rings out before the full test.
    const TPointMm p = InMm(sbp.Node[0]);
    bool even = true;
    for (size_t k = 0; k < Rec.Sbp.size(); ++k) {
      const TNestRect& box = Rec.Sbp[k].Rect;
      if (k == j || !ring(k) || p.x < box.Left || p.x > box.Right || p.y < box.Bottom ||
          p.y > box.Top) {
        continue;
      }
      if (Encloses(Rec.Sbp[k], NodeCountOf(Rec.Sbp[k]), p)) even = !even;
    }
    sides[j] = (area > 0) == even ? TMaterialSide::Left : TMaterialSide::Right;
  }
  return sides;
}

void SimplifyNodes(TEngineState& E, int i, int j, double x, TMaterialSide Side, double Slack) {
  if (!IsValidRecord(E, i)) return;
  TNestOneRec& rec = E.NestRecords.Shape[i];
  if (j < 0 || static_cast<size_t>(j) >= rec.Sbp.size()) return;
  TNestSbpOneRec& sbp = rec.Sbp[static_cast<size_t>(j)];
  const size_t n = NodeCountOf(sbp);
  if (n < 3) return;
  const double T = x * x / 4;
  const auto at = [&sbp](size_t k) { return InMm(sbp.Node[k]); };
  std::vector<uint8_t> kept(n, 1);
  const auto drop = [&kept](size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) kept[k] = 0;
  };
  size_t r = 0;
  while (r + 2 < n) {
    const TPointMm A = at(r);
    const TPointMm B = at(r + 1);
    for (size_t b = r + 1; b + 1 < n; ++b) {
      const TPointMm C = at(b + 1);
      bool leave = true;
      if (LineDistance2(C, A, B) <= T) {
        bool chordHolds = true;
        for (size_t k = r + 1; k <= b && chordHolds; ++k) {
          chordHolds = LineDistance2(at(k), C, A) <= T;
        }
        leave = !chordHolds || b + 2 == n;
      }
      if (leave) {
        drop(r + 1, b);
        r = b - 1;
        break;
      }
    }
    ++r;
  }
  if (Slack != kNoSlack) KeepStickingOut(sbp, kept, Side, Slack);
  TNestNodeArr nodes;
  for (size_t k = 0; k < n; ++k) {
    if (kept[k]) nodes.push_back(sbp.Node[k]);
  }
  SetNodes(sbp, std::move(nodes));
}

void FindCpsPoints(TEngineState& E, int i) {
  if (!IsValidRecord(E, i)) return;
  TNestOneRec& rec = E.NestRecords.Shape[i];
  // Without nodes there is nothing to pick: the points stay at the centre.
  rec.CPS.fill(TNestNode{});
  if (!HasNodes(rec)) return;
  int32_t minX = 2147483647, maxX = -2147483647 - 1, minY = 2147483647, maxY = -2147483647 - 1;
  const TNestNode* first = nullptr;
  for (const TNestSbpOneRec& sbp : rec.Sbp) {
    const size_t n = NodeCountOf(sbp);
    for (size_t j = 0; j < n; ++j) {
      const TNestNode& p = sbp.Node[j];
      if (first == nullptr) first = &p;
      minX = std::min(minX, p.x / 10000);
      maxX = std::max(maxX, p.x / 10000);
      minY = std::min(minY, p.y / 10000);
      maxY = std::max(maxY, p.y / 10000);
    }
  }
  const int64_t refs[8][2] = {{minX, minY},
                              {minX, maxY},
                              {maxX, minY},
                              {maxX, maxY},
                              {int64_t{minX} + maxX, maxY},
                              {int64_t{minX} + maxX, minY},
                              {minX, int64_t{minY} + maxY},
                              {maxX, int64_t{minY} + maxY}};
  for (int c = 0; c < 8; ++c) {
    const double rx = static_cast<double>(refs[c][0]);
    const double ry = static_cast<double>(refs[c][1]);
    const TNestNode* best = first;
    double bestDistance = kNoExtent;
    for (const TNestSbpOneRec& sbp : rec.Sbp) {
      const size_t n = NodeCountOf(sbp);
      for (size_t j = 0; j < n; ++j) {
        const TPointMm p = InMm(sbp.Node[j]);
        const double d = (p.x - rx) * (p.x - rx) + (p.y - ry) * (p.y - ry);
        if (d < bestDistance) {
          bestDistance = d;
          best = &sbp.Node[j];
        }
      }
    }
    TNestNode& cps = rec.CPS[static_cast<size_t>(c)];
    cps.x = best->x;
    cps.y = best->y;
    const TPointMm p = InMm(cps);
    cps.q = std::sqrt(p.x * p.x + p.y * p.y);
    cps.a = DirectionAngle(0, 0, cps.x, cps.y);
  }
}

void FindOptimalAngle(TEngineState& E, int i) {
  if (!IsValidRecord(E, i)) return;
  TNestOneRec& rec = E.NestRecords.Shape[i];
  const TeNestParameters& P = E.NestParams;
  const bool fixed =
      P.Rotate != 0 || (P.Media_Container && i == 0) || (rec.UserAttr & kUserAngleMask) >= 0x300;
  rec.OptimalAngle = 0.0;
  if (!fixed && HasNodes(rec)) {
    TBoxSize s = SizeAt(rec, 0.0);
    double best = std::min(s.w, s.h);
    bool wide = s.w < s.h;
    double bestAngle = 0.0;
    for (double g = 0.0; g < std::numbers::pi; g += std::numbers::pi / 180) {
      s = SizeAt(rec, g);
      if (std::min(s.w, s.h) < best) {
        best = std::min(s.w, s.h);
        wide = s.w < s.h;
        bestAngle = g;
      }
    }
    const double base = wide ? bestAngle + std::numbers::pi / 2 : bestAngle;
    rec.OptimalAngle = base * 180.0 / std::numbers::pi;
    for (TNestSbpOneRec& sbp : rec.Sbp) {
      for (TNestNode& n : sbp.Node) n.a += base;
    }
    for (TNestNode& n : rec.CPS) n.a += base;
  }

  const int count = TrialAngleCount(rec, P);
  rec.AnglesSRR.Count = static_cast<uint8_t>(count);
  rec.AnglesSRR.Item.assign(static_cast<size_t>(count), TNestAngleOneRect{});
  for (int k = 0; k < count; ++k) {
    TNestAngleOneRect& item = rec.AnglesSRR.Item[static_cast<size_t>(k)];
    item.Value = k * 2 * std::numbers::pi / count;
    RotateNestShape(rec, item.Value);
    item.Rect = NodeBox(rec);
  }
}

void BuildColorOrder(TEngineState& E) {
  const auto n = static_cast<size_t>(RecordCount(E));
  TColorOrder& order = E.ColorOrder;
  order = TColorOrder{};
  if (E.NestParams.Media_ByColor == 0) {
    TColorSingleOrder all;
    for (size_t r = 0; r < n; ++r) all.Shape.push_back(static_cast<int32_t>(r));
    all.ShapeCount = static_cast<int32_t>(all.Shape.size());
    order.Item.push_back(std::move(all));
  } else {
    std::unordered_map<int32_t, size_t> groupOf;
    for (size_t r = 0; r < n; ++r) {
      const int32_t color = E.NestRecords.Shape[r].Original.Color;
      auto [it, added] = groupOf.try_emplace(color, order.Item.size());
      if (added) order.Item.push_back(TColorSingleOrder{color, 0, {}});
      TColorSingleOrder& group = order.Item[it->second];
      group.Shape.push_back(static_cast<int32_t>(r));
      group.ShapeCount = static_cast<int32_t>(group.Shape.size());
    }
  }
  order.Count = static_cast<int32_t>(order.Item.size());
}

}  // namespace plavo
