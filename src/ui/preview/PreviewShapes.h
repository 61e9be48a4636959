// The preview's display list: plain records the window fills from the drawing or the nesting
// result. Coordinates are document units (millimetres, Y upward). Counts are the sizes of the
// vectors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plavo {

// One segment of a drawn path.
struct TQarvPrevireSegment {
  uint8_t type_ = 0;  // 0 straight line, 1 cubic Bezier (control points used only then)
  double StartNodeX = 0.0, StartNodeY = 0.0;
  double StartControlPointX = 0.0, StartControlPointY = 0.0;
  double EndControlPointX = 0.0, EndControlPointY = 0.0;
  double EndNodeX = 0.0, EndNodeY = 0.0;
};
using TQarvPrevireSegmentArr = std::vector<TQarvPrevireSegment>;

struct TRectBitmapDbl {
  double Left = 0.0, Top = 0.0, Right = 0.0, Bottom = 0.0;  // Top > Bottom
};

enum : uint8_t { kPreviewBezierPath = 0, kPreviewCircle = 1, kPreviewBitmap = 2 };

// One drawable item.
struct TQarvPreviewPath {
  bool Enabled = true;  // drawn only when true
  uint8_t type_ = kPreviewBezierPath;
  TQarvPrevireSegmentArr Segment;       // Bezier path
  double CircleX = 0.0, CircleY = 0.0;  // filled circle: centre
  double CircleD = 0.0;                 // diameter when drawn, half-side in the fit
  std::string BitMapFileName;           // bitmap: drawn only when this file exists
  TRectBitmapDbl BitMapBoundBox;        // bitmap: where it goes
  int32_t Color = 0;                    // R + 256 G + 65536 B: stroke of a path, fill of a circle
  int PenWidth = 1;                     // stroke width in pixels
  bool Dashed = false;                  // stroke dashed: a shape left out of the nesting
};
using TQarvPreviewPathArr = std::vector<TQarvPreviewPath>;

struct TQarvPreviewShape {
  int Index = 0;  // shapes with a negative Index (sheet outlines) cannot be picked
  TQarvPreviewPathArr Path;
};
using TQarvPreviewShapeArr = std::vector<TQarvPreviewShape>;

struct TQarvPreviewShapes {
  TQarvPreviewShapeArr Shape;
};

struct TQarvPreviewDRect {
  double Left = 0.0, Right = 0.0, Bottom = 0.0, Top = 0.0;
};

struct TQarvPreviewBezierNode {
  double x = 0.0, y = 0.0;
};
using TQarvPreviewBezierNodeArr = std::vector<TQarvPreviewBezierNode>;

// Position in Shapes.Shape of the pickable shape with a segment nearest to M within Tol
// (document units), or -1. Curves are measured through 8 interior points (three halvings);
// the measure is the squared distance from the line through each piece (the plain distance
// where a piece has no length), so it is compared with Tol as it stands. On equal measures
// the earlier shape wins.
int PickPreviewShape(const TQarvPreviewShapes& Shapes, TQarvPreviewBezierNode M, double Tol);

// Position in Shapes.Shape of the pickable shape whose Bezier paths enclose M (even-odd over
// all its paths, curves followed through 8 interior points), or -1. Of nested shapes the one
// with the smallest bounding box wins, so a part lying in another's hole can be picked.
int PickPreviewShapeInside(const TQarvPreviewShapes& Shapes, TQarvPreviewBezierNode M);

}  // namespace plavo
