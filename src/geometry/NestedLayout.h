// A nested layout as the writers take it: every placed shape's paths already moved and turned
// onto its sheet, in layout millimetres, with its colours, and the outline of every used sheet.
// The nesting result builds it with one transform (ResultLayout), so what a file holds is what
// the window shows; the writers need nothing of the engine.
#pragma once

#include <vector>

#include "geometry/ShapesClass.h"

namespace plavo {

// A segment after the transform; straight segments keep their type so a writer can say so.
struct TPlacedSegment {
  int8_t Type_ = 0;
  TNodeSimple Start;
  TNodeSimple StartControl;
  TNodeSimple EndControl;
  TNodeSimple End;
};

// A straight piece: a line, or a cubic whose controls lie on its ends (how the reader builds
// straight pieces). Writers write it as a line.
bool IsStraightSegment(const TPlacedSegment& S);

// One path of a placed shape. Closed is the path's own Closed(): the transform maps equal
// points to equal points, so a closed outline stays closed.
struct TPlacedPath {
  bool Closed = false;
  std::vector<TPlacedSegment> Segments;
};

struct TLayoutSheet {
  TNodeSimple Position;  // lower left corner, mm
  double Width = 0.0;
  double Height = 0.0;
  bool HasShape = false;
};

struct TLayoutShape {
  int ShapeIndex = 0;  // the drawing's shape
  int Sheet = 0;       // index into TNestedLayout::Sheets
  TShapeColor Color;
  std::vector<TPlacedPath> Paths;  // only paths with segments
};

struct TNestedLayout {
  std::vector<TLayoutSheet> Sheets;  // the used sheets in block order
  std::vector<TLayoutShape> Shapes;  // the placed shapes in record order
  // Around every point (control points included) of the shapes and the sheet outlines; the
  // empty box when nothing is placed.
  TRectDbl Bounds = EmptyBox();
};

}  // namespace plavo
