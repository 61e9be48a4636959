// Hand-built records and engines for the position search and placement driver tests: outlines
// given in cells around the shape centre, already in the polar form the analysis leaves.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "nesting/model/MosaroUnit.h"
#include "nesting/place/Rasterise.h"
#include "nesting/prepare/CutAngles.h"
#include "nesting/prepare/ShapeAnalysis.h"

namespace plavo {

namespace search_test {

struct TPt {
  int x = 0;
  int y = 0;
};

// Polar form of an integer offset. The radius is a hair long so that turning by a multiple of
// 90 degrees truncates back to whole cells rather than one cell short.
inline TNestNode PolarNode(int x, int y) {
  TNestNode n;
  n.x = x;
  n.y = y;
  n.q = std::hypot(static_cast<double>(x), static_cast<double>(y)) + 1e-9;
  n.a = std::atan2(static_cast<double>(y), static_cast<double>(x));
  return n;
}

// A closed sub-path through Points; the first point is repeated at the end.
inline TNestSbpOneRec SubPath(const std::vector<TPt>& Points, bool Outer = true) {
  TNestSbpOneRec s;
  s.Attr = kSbpClosed | (Outer ? kSbpOuter : 0);
  for (const TPt& p : Points) s.Node.push_back(PolarNode(p.x, p.y));
  if (!Points.empty()) s.Node.push_back(PolarNode(Points[0].x, Points[0].y));
  s.NodeCount = static_cast<int>(s.Node.size());
  return s;
}

inline TNestSbpOneRec BoxPath(int Left, int Right, int Bottom, int Top, bool Outer = true) {
  return SubPath({{Left, Bottom}, {Left, Top}, {Right, Top}, {Right, Bottom}}, Outer);
}

// The node nearest to (x, y), the earliest of equals, as the analysis picks characteristic
// points.
inline TNestNode NearestNode(const TNestOneRec& R, double x, double y) {
  TNestNode best;
  double bestD = 2147483647.0;
  for (const TNestSbpOneRec& s : R.Sbp) {
    for (const TNestNode& n : s.Node) {
      const double d = (n.x - x) * (n.x - x) + (n.y - y) * (n.y - y);
      if (d < bestD) {
        bestD = d;
        best = n;
      }
    }
  }
  return best;
}

inline TNestRectInt NodeBox(const TNestOneRec& R) {
  TNestRectInt b{2147483647, -2147483647, 2147483647, -2147483647};
  for (const TNestSbpOneRec& s : R.Sbp) {
    for (const TNestNode& n : s.Node) {
      b.Left = std::min(b.Left, n.x);
      b.Right = std::max(b.Right, n.x);
      b.Bottom = std::min(b.Bottom, n.y);
      b.Top = std::max(b.Top, n.y);
    }
  }
  return b;
}

// A record with the given outline, Angles trial angles k * 2 pi / Angles with their boxes, the
// characteristic points picked like the analysis does, "Process shape" set. Nodes end at
// angle 0.
inline TNestOneRec Record(std::vector<TNestSbpOneRec> Sbps, int Angles = 1) {
  TNestOneRec r;
  r.Sbp = std::move(Sbps);
  r.SbpCount = static_cast<int>(r.Sbp.size());
  r.UserAttr = kUserAttrDefault;
  const TNestRectInt b = NodeBox(r);
  const double ref[8][2] = {
      {1.0 * b.Left, 1.0 * b.Bottom},         {1.0 * b.Left, 1.0 * b.Top},
      {1.0 * b.Right, 1.0 * b.Bottom},        {1.0 * b.Right, 1.0 * b.Top},
      {1.0 * b.Left + b.Right, 1.0 * b.Top},  {1.0 * b.Left + b.Right, 1.0 * b.Bottom},
      {1.0 * b.Left, 1.0 * b.Bottom + b.Top}, {1.0 * b.Right, 1.0 * b.Bottom + b.Top}};
  for (int k = 0; k < 8; ++k) r.CPS[k] = NearestNode(r, ref[k][0], ref[k][1]);
  r.AnglesSRR.Count = static_cast<uint8_t>(Angles);
  for (int k = 0; k < Angles; ++k) {
    TNestAngleOneRect a;
    a.Value = k * 2.0 * std::numbers::pi / Angles;
    RotateNestShape(r, a.Value);
    a.Rect = NodeBox(r);
    r.AnglesSRR.Item.push_back(a);
  }
  RotateNestShape(r, 0.0);
  const TNestRectInt b0 = r.AnglesSRR.Item.empty() ? b : r.AnglesSRR.Item[0].Rect;
  r.Original.Width = b0.Right - b0.Left;
  r.Original.Height = b0.Top - b0.Bottom;
  r.Original.Scale = r.Original.Width * r.Original.Height;
  return r;
}

inline TNestOneRec Box(int Left, int Right, int Bottom, int Top, int Angles = 1) {
  return Record({BoxPath(Left, Right, Bottom, Top)}, Angles);
}

// An engine with a W x H sheet layout ("Left-bottom", step 5, "Bottom (best)"), no sheet yet.
inline TEngineState Engine(int W, int H, int Distance = 1) {
  TEngineState E;
  TeNestParameters& p = E.NestParams;
  p.Media_W = static_cast<uint16_t>(W);
  p.Media_H = static_cast<uint16_t>(H);
  p.Origin_point = true;
  p.Pass_OXY = 5;
  p.Pass_Angle = 15;
  p.Distance = static_cast<uint16_t>(Distance);
  E.Exact.Distance = Distance;
  p.G_Group = 10;
  p.G_Mut = 10;
  p.Align_Left_Percent = 30;
  E.RandomSeeded = true;
  E.RandomSeed = 1;
  E.Threads = 1;
  return E;
}

// Adds R with its outline as cut at every trial angle, made from its nodes.
inline void AddRecord(TEngineState& E, TNestOneRec R) {
  E.NestRecords.Shape.push_back(std::move(R));
  E.NestRecords.Count = static_cast<uint16_t>(E.NestRecords.Shape.size());
  BuildCutAngles(E, static_cast<int>(E.NestRecords.Shape.size()) - 1);
}

// One colour group holding every record in index order.
inline void SingleGroup(TEngineState& E) {
  TColorSingleOrder g;
  for (int i = 0; i < static_cast<int>(E.NestRecords.Shape.size()); ++i) g.Shape.push_back(i);
  g.ShapeCount = static_cast<int>(g.Shape.size());
  E.ColorOrder.Count = 1;
  E.ColorOrder.Item = {g};
}

// Marks the cells x0..x1, y0..y1 of sheet s occupied.
inline void Occupy(TEngineState& E, int s, int x0, int x1, int y0, int y1) {
  for (int x = x0; x <= x1; ++x) {
    for (int y = y0; y <= y1; ++y) E.Blocks.Item[s].m.Set(x, y, true);
  }
}

}  // namespace search_test

}  // namespace plavo
