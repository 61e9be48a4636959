// The distance between two placed shapes as the layout check measures it: for shapes measured
// once (the check) and for shapes measured again and again as they move (settling a layout),
// where the copies of a shape at one angle share one outline, each at its own offset.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "nesting/result/LayoutCheck.h"

namespace plavo {

struct TGapSegment {
  TNodeSimple A;
  TNodeSimple B;
  TRectDbl Box;  // Left <= Right, Bottom <= Top
};

// A shape's outline made ready for measuring: its box, its segments in the order of its
// outline, and the boxes of its rings and of runs of neighbouring segments. It refers to its
// TCheckShape, which must outlive it.
struct TGapOutline {
  const TCheckShape* Shape = nullptr;
  TRectDbl Box = EmptyBox();
  std::vector<TGapSegment> Segments;
  std::vector<TRectDbl> RingBoxes;  // one per ring of the shape
  std::vector<TRectDbl> RunBoxes;   // one per run of segments along the outline
};

TGapOutline PrepareGapOutline(const TCheckShape& Shape);

// An outline where it is measured: moved by Offset mm from where it was prepared.
struct TGapShape {
  std::shared_ptr<const TGapOutline> Outline;
  TNodeSimple Offset;

  TRectDbl Box() const;
};

inline TGapShape PrepareGapShape(const TCheckShape& Shape) {
  return TGapShape{std::make_shared<const TGapOutline>(PrepareGapOutline(Shape)), {}};
}

double BoxDistance(const TRectDbl& A, const TRectDbl& B);
// Whether the boxes lie closer than Cutoff: BoxDistance(A, B) < Cutoff without its root.
inline bool BoxesNear(const TRectDbl& A, const TRectDbl& B, double Cutoff) {
  const double dx = std::max({0.0, A.Left - B.Right, B.Left - A.Right});
  const double dy = std::max({0.0, A.Bottom - B.Top, B.Bottom - A.Top});
  return dx * dx + dy * dy < Cutoff * Cutoff;
}

// Whether P (in the outline's own place) lies on the shape's material: even-odd over its closed
// rings, or with its holes filled (inside any ring) when nothing may be placed in them.
bool OnMaterial(const TGapOutline& Outline, TNodeSimple P, bool HolesFilled);

// The distance between two shapes, when below Cutoff (else Cutoff): 0 when they touch, cross
// or one rests on the other.
double PairGap(const TGapShape& A, const TGapShape& B, double Cutoff, bool AllowInside);
// Whether the two shapes lie closer than Cutoff, as PairGap measures; it stops at the first
// sign.
bool PairCloser(const TGapShape& A, const TGapShape& B, double Cutoff, bool AllowInside);

}  // namespace plavo
