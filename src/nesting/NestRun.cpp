#include "nesting/NestRun.h"

#include <algorithm>
#include <numbers>

#include "nesting/place/PlacementDriver.h"
#include "nesting/result/NestResult.h"
#include "nesting/result/ResultLayout.h"
#include "nesting/prepare/ShapeAnalysis.h"

namespace plavo {

bool RunNesting(TEngineState& E, const TNestSettings& Settings, TQarvShapes& Shapes) {
  try {
    ResetRun(E);
    ReadParameters(E, Settings, Shapes);
    ChooseApproximation(E);
    AnalyzeShapes(E);
    PlaceAll(E);
  } catch (const std::exception& e) {
    // The driver turns its own failures into the error flag; this catches the steps before it,
    // so a caller never sees an exception from a run.
    ReportFailure(E, TFailureSource::Engine, std::string("preparing the run: ") + e.what());
  } catch (...) {
    ReportFailure(E, TFailureSource::Engine, "preparing the run: unknown failure");
  }
  return !E.ErrorFlag();
}

namespace {

double Ratio(double Numerator, double Denominator) {
  return Denominator > 0.0 ? Numerator / Denominator : 0.0;
}

TNestPlacementReport PlacementOf(const TOneNestingResult& R, size_t i) {
  const TNestPlacedShape& place = R.Place[i];
  TNestPlacementReport p;
  p.Index = R.ShapeIndex[i];
  p.Copy = CopyIndexOf(R, i);
  p.LeftOut = LeftOutOf(R, i);
  p.Container = R.P.Media_Container && i == 0;
  p.Placed = place.placed;
  p.Sheet = place.sheetNo;
  p.X = place.x;
  p.Y = place.y;
  p.Angle = R.OptimalAngles[i] + place.a * 180.0 / std::numbers::pi;
  return p;
}

}  // namespace

TNestReport ComputeNestReport(const TOneNestingResult& R, double Seconds) {
  TNestReport report;
  report.Seconds = Seconds;
  const size_t n = std::min({R.Place.size(), R.ShapeIndex.size(), R.OptimalAngles.size()});
  report.Shapes = static_cast<int>(n);
  report.Placements.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    report.Placements.push_back(PlacementOf(R, i));
    if (!R.Place[i].placed) continue;
    ++report.Placed;
    if (i < R.NetAreas.size()) report.PlacedArea += R.NetAreas[i];
  }
  std::stable_sort(report.Placements.begin(), report.Placements.end(),
                   [](const auto& a, const auto& b) {
                     return a.Index != b.Index ? a.Index < b.Index : a.Copy < b.Copy;
                   });
  report.Unplaced = report.Shapes - report.Placed;
  report.Sheets = UsedSheetCount(R);
  report.UsedHeights = SheetTopsOf(R).Tops();
  double usedArea = 0.0;
  for (int h : report.UsedHeights) usedArea += static_cast<double>(R.P.Media_W) * h;
  const double sheetArea = static_cast<double>(R.P.Media_W) * R.P.Media_H;
  report.Utilisation = Ratio(report.PlacedArea, report.Sheets * sheetArea);
  report.HeightDensity = Ratio(report.PlacedArea, usedArea);
  return report;
}

TPartsSummary SummariseParts(const TNestReport& R) {
  TPartsSummary s;
  for (const TNestPlacementReport& p : R.Placements) {
    if (p.Container || p.LeftOut) continue;
    ++s.Parts;
    if (p.Placed) {
      ++s.Placed;
    } else if (!s.Unplaced.empty() && s.Unplaced.back().Shape == p.Index) {
      ++s.Unplaced.back().Copies;
    } else {
      s.Unplaced.push_back(TUnplacedCopies{p.Index, 1});
    }
  }
  return s;
}

std::string PartsSummaryText(const TPartsSummary& S) {
  constexpr size_t kNamed = 5;
  std::string text = "placed " + std::to_string(S.Placed) + " of " + std::to_string(S.Parts) +
                     (S.Parts == 1 ? " part" : " parts");
  for (size_t k = 0; k < S.Unplaced.size() && k < kNamed; ++k) {
    const TUnplacedCopies& u = S.Unplaced[k];
    text += (k > 0 && k + 1 == S.Unplaced.size() ? " and " : ", ") + std::to_string(u.Copies) +
            (u.Copies == 1 ? " copy" : " copies") + " of shape " + std::to_string(u.Shape);
  }
  if (S.Unplaced.size() > kNamed) {
    text += " and those of " + std::to_string(S.Unplaced.size() - kNamed) + " more shapes";
  }
  if (!S.Unplaced.empty()) text += " did not fit";
  return text;
}

}  // namespace plavo
