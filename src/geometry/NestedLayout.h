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
  int Copy = 0;                    // which copy of the shape (0 the first)
};

struct TNestedLayout {
  std::vector<TLayoutSheet> Sheets;  // the used sheets in block order
  std::vector<TLayoutShape> Shapes;  // the placed shapes in record order
  // Around every point (control points included) of the shapes and the sheet outlines; the
  // empty box when nothing is placed.
  TRectDbl Bounds = EmptyBox();
};

// An open path of a shape that has a closed outline marks the part (an engraving, a bend line):
// it is cut inside its part and moves with it, keeps no distance of its own, and a DXF file
// holds it on a layer of its own.
bool IsMarking(const TLayoutShape& Shape, const TPlacedPath& Path);

// The box around every point of Layout's shapes (control points included) and sheet outlines.
TRectDbl LayoutBox(const TNestedLayout& Layout);
// Layout moved by (By.X, By.Y), its box with it.
TNestedLayout MovedLayout(TNestedLayout Layout, TNodeSimple By);
// Layout moved so that its first sheet's lower-left corner lies at (0, 0), the machine's zero
// in cutting software; the other sheets keep their places beside it.
TNestedLayout AtMachineZero(TNestedLayout Layout);
// Sheet Sheet of Layout alone with its shapes, its lower-left corner at (0, 0): the layout of one
// file per sheet. Its only sheet has index 0.
TNestedLayout SheetAlone(const TNestedLayout& Layout, int Sheet);

}  // namespace plavo
