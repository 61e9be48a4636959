// Run preparation: clear the previous run, fill the parameters from the window's settings,
// arrange container mode and choose each shape's active outline.
#pragma once

#include "geometry/ShapesClass.h"
#include "nesting/model/MosaroUnit.h"

namespace plavo {

// Limits of the window's numeric fields, in millimetres.
struct TFieldRange {
  double Min;
  double Max;
};
inline constexpr TFieldRange kSheetSizeRange{50.0, 10000.0};  // width and height
inline constexpr TFieldRange kSheetBandRange{0.0, 200.0};     // margin and edge padding
inline constexpr TFieldRange kDistanceRange{0.1, 100.0};
inline constexpr TFieldRange kBlockDistanceRange{0.0, 1000.0};

// The values of the window's setting controls, named after them, with the window's defaults.
// Lengths in millimetres; lists by item index.
struct TNestSettings {
  double Media_Width = 1000.0;  // 50 .. 10000
  double Media_Height = 1000.0;
  double Margin = 0.0;    // "Reduce sheet size", 0 .. 200
  double Padding = 0.0;   // "Edge padding", 0 .. 200
  double Distance = 5.0;  // "Minimum distance", 0.1 .. 100, kept as given
  bool Inside_Check = false;
  bool Genetics_Check = false;
  int Rotate_90 = 0;         // "Auto", "90 deg.", "180 deg.", "Do not rotate"
  int Approximation_CB = 0;  // "Auto", "High", "Middle (text)", "Draft (boxes)"
  int Media_ByColor = 0;     // "No", "On different sheets", "On same sheet", "... without mix"
  int Origin_point = 0;      // "Left-bottom", "Right-bottom"
  int Fitting_CB = 0;        // "Bottom (best)", "Corner", "Side"
  int Orientation_CB = 0;    // "Left -> Right", "Right -> Left", "Bottom -> Top", "Top -> Bottom"
  double Orientation_distance = 100.0;  // 0 .. 1000
};

// The settings limited as the window's controls limit them: numbers to their ranges (a value
// that is not a number becomes the control's default), list indices to their items (an index
// outside them becomes item 0).
TNestSettings LimitNestSettings(const TNestSettings& Settings);

void ResetRun(TEngineState& E);
// May exchange records and shapes so that a container becomes record and shape 0.
void ReadParameters(TEngineState& E, const TNestSettings& Settings, TQarvShapes& Shapes);
void ChooseApproximation(TEngineState& E);
void CopySubPaths(TEngineState& E, int i, int Count, const TNestSbpOneRecArr& Source);

}  // namespace plavo
