#include "formats/svg/SvgPathData.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <utility>

namespace plavo {

namespace {

bool IsSpace(char C) {
  return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f' || C == ',';
}

bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

// Reads numbers and arc flags off path data. Separators are white space and commas.
class TNumberScanner {
 public:
  explicit TNumberScanner(std::string_view Text) : FText(Text) {}

  void SkipSeparators() {
    while (FPos < FText.size() && IsSpace(FText[FPos])) ++FPos;
  }
  bool AtEnd() {
    SkipSeparators();
    return FPos >= FText.size();
  }
  char Peek() {
    SkipSeparators();
    return FPos < FText.size() ? FText[FPos] : '\0';
  }
  char Take() { return FText[FPos++]; }

  // Whether a number starts here (so a command letter may be repeated implicitly).
  bool NumberAhead() {
    const char c = Peek();
    return IsDigit(c) || c == '-' || c == '+' || c == '.';
  }

  // A decimal number: "1.5.5" is two numbers and "1-2" too, as SVG allows. Locale independent.
  std::optional<double> Number() {
    SkipSeparators();
    size_t p = FPos;
    const size_t begin = p;
    if (p < FText.size() && (FText[p] == '-' || FText[p] == '+')) ++p;
    const size_t digitsBegin = p;
    while (p < FText.size() && IsDigit(FText[p])) ++p;
    if (p < FText.size() && FText[p] == '.') {
      ++p;
      while (p < FText.size() && IsDigit(FText[p])) ++p;
    }
    if (p == digitsBegin || (p == digitsBegin + 1 && FText[digitsBegin] == '.')) return {};
    if (p < FText.size() && (FText[p] == 'e' || FText[p] == 'E')) {
      size_t q = p + 1;
      if (q < FText.size() && (FText[q] == '-' || FText[q] == '+')) ++q;
      if (q < FText.size() && IsDigit(FText[q])) {
        while (q < FText.size() && IsDigit(FText[q])) ++q;
        p = q;
      }
    }
    const char* first = FText.data() + begin + (FText[begin] == '+' ? 1 : 0);
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, FText.data() + p, value);
    if (error != std::errc() || end != FText.data() + p || !std::isfinite(value)) return {};
    FPos = p;
    return value;
  }

  // An arc flag is one character, "0" or "1", and needs no separator after it.
  std::optional<bool> Flag() {
    const char c = Peek();
    if (c != '0' && c != '1') return {};
    ++FPos;
    return c == '1';
  }

 private:
  std::string_view FText;
  size_t FPos = 0;
};

TNodeSimple Reflect(TNodeSimple Control, TNodeSimple About) {
  return {2 * About.X - Control.X, 2 * About.Y - Control.Y};
}

// Builds the subpaths, or with Counting only charges the budget and counts each subpath's
// segments, so the building pass can size every subpath exactly (or never start).
class TPathBuilder {
 public:
  TPathBuilder(std::string_view Data, double Scale, TSegmentBudget& Budget, bool Counting,
               std::vector<size_t> Counts = {})
      : FIn(Data),
        FScale(Scale),
        FBudget(Budget),
        FCounting(Counting),
        FCounts(std::move(Counts)) {}

  // The segments of each subpath, after a counting run.
  std::vector<size_t> TakeCounts() { return std::move(FCounts); }

  std::vector<TDrawingPath> Run() {
    char command = 0;
    while (!FIn.AtEnd()) {
      if (!FIn.NumberAhead()) {
        command = FIn.Take();
      } else if (command == 0 || command == 'z' || command == 'Z') {
        break;  // numbers without a command
      } else if (command == 'm') {
        command = 'l';  // further pairs after a move are lines
      } else if (command == 'M') {
        command = 'L';
      }
      if (!Command(command)) break;
    }
    EndSubpath();
    return std::move(FPaths);
  }

 private:
  std::optional<TNodeSimple> Point(bool Relative) {
    const auto x = FIn.Number();
    if (!x) return {};
    const auto y = FIn.Number();
    if (!y) return {};
    if (Relative) return TNodeSimple{FCurrent.X + *x, FCurrent.Y + *y};
    return TNodeSimple{*x, *y};
  }

  void EndSubpath() {
    if (FCounting && FOpenCount > 0) FCounts.push_back(FOpenCount);
    FOpenCount = 0;
    if (!FOpen.Segments.empty()) FPaths.push_back(std::move(FOpen));
    FOpen = TDrawingPath();
  }

  bool Add(const TCubic& C) {
    if (!FBudget.Spend(1)) return false;
    FCurrent = C.P3;
    if (FCounting) {
      ++FOpenCount;
      return true;
    }
    if (FOpen.Segments.empty() && FPaths.size() < FCounts.size())
      FOpen.Segments.reserve(FCounts[FPaths.size()]);
    FOpen.Segments.push_back(C);
    return true;
  }

  bool Command(char C) {
    const bool rel = C >= 'a' && C <= 'z';
    const char upper = rel ? static_cast<char>(C - 'a' + 'A') : C;
    FLastControlKind = FControlKind;
    FControlKind = 0;
    switch (upper) {
      case 'M': {
        const auto p = Point(rel);
        if (!p) return false;
        EndSubpath();
        FCurrent = FStart = *p;
        return true;
      }
      case 'Z':
        if (!FOpen.Segments.empty()) {
          if (!SamePoint(FCurrent, FStart) && !Add(LineCubic(FCurrent, FStart))) return false;
          FOpen.Closed = true;
        }
        EndSubpath();
        FCurrent = FStart;
        return true;
      case 'L': {
        const auto p = Point(rel);
        if (!p) return false;
        return Add(LineCubic(FCurrent, *p));
      }
      case 'H':
      case 'V': {
        const auto v = FIn.Number();
        if (!v) return false;
        TNodeSimple p = FCurrent;
        (upper == 'H' ? p.X : p.Y) = *v + (rel ? (upper == 'H' ? FCurrent.X : FCurrent.Y) : 0.0);
        return Add(LineCubic(FCurrent, p));
      }
      case 'C':
      case 'S':
        return Cubic(upper == 'S', rel);
      case 'Q':
      case 'T':
        return Quadratic(upper == 'T', rel);
      case 'A':
        return Arc(rel);
      default:
        return false;
    }
  }

  bool Cubic(bool Smooth, bool Rel) {
    TNodeSimple c1 = FCurrent;
    if (Smooth) {
      if (FLastControlKind == 'C') c1 = Reflect(FLastControl, FCurrent);
    } else {
      const auto p = Point(Rel);
      if (!p) return false;
      c1 = *p;
    }
    const auto c2 = Point(Rel);
    if (!c2) return false;
    const auto end = Point(Rel);
    if (!end) return false;
    if (!Add({FCurrent, c1, *c2, *end})) return false;
    FLastControl = *c2;
    FControlKind = 'C';
    return true;
  }

  bool Quadratic(bool Smooth, bool Rel) {
    TNodeSimple control = FCurrent;
    if (Smooth) {
      if (FLastControlKind == 'Q') control = Reflect(FLastControl, FCurrent);
    } else {
      const auto p = Point(Rel);
      if (!p) return false;
      control = *p;
    }
    const auto end = Point(Rel);
    if (!end) return false;
    if (!Add(QuadraticCubic(FCurrent, control, *end))) return false;
    FLastControl = control;
    FControlKind = 'Q';
    return true;
  }

  bool Arc(bool Rel) {
    const auto rx = FIn.Number();
    const auto ry = rx ? FIn.Number() : std::nullopt;
    const auto rotation = ry ? FIn.Number() : std::nullopt;
    const auto large = rotation ? FIn.Flag() : std::nullopt;
    const auto sweep = large ? FIn.Flag() : std::nullopt;
    const auto end = sweep ? Point(Rel) : std::nullopt;
    if (!end) return false;
    std::vector<TCubic> pieces;
    AppendSvgArc(pieces, FCurrent, *rx, *ry, *rotation, *large, *sweep, *end, FScale);
    for (const TCubic& c : pieces) {
      if (!Add(c)) return false;
    }
    return true;
  }

  TNumberScanner FIn;
  double FScale;
  TSegmentBudget& FBudget;
  bool FCounting;
  std::vector<size_t> FCounts;
  size_t FOpenCount = 0;
  std::vector<TDrawingPath> FPaths;
  TDrawingPath FOpen;
  TNodeSimple FCurrent, FStart, FLastControl;
  char FControlKind = 0, FLastControlKind = 0;  // 'C' or 'Q' after a curve of that kind
};

double VectorAngle(double Ux, double Uy, double Vx, double Vy) {
  return std::atan2(Ux * Vy - Uy * Vx, Ux * Vx + Uy * Vy);
}

}  // namespace

void AppendSvgArc(std::vector<TCubic>& Out, TNodeSimple From, double Rx, double Ry,
                  double RotationDegrees, bool LargeArc, bool Sweep, TNodeSimple To, double Scale) {
  if (SamePoint(From, To)) return;
  Rx = std::abs(Rx);
  Ry = std::abs(Ry);
  if (Rx == 0.0 || Ry == 0.0) {
    Out.push_back(LineCubic(From, To));
    return;
  }
  // The centre parameterisation of the SVG arc, radii enlarged when they cannot reach.
  const double phi = RotationDegrees * std::numbers::pi / 180.0;
  const double cp = std::cos(phi), sp = std::sin(phi);
  const double dx = (From.X - To.X) / 2.0, dy = (From.Y - To.Y) / 2.0;
  const double x1 = cp * dx + sp * dy;
  const double y1 = -sp * dx + cp * dy;
  const double lambda = (x1 * x1) / (Rx * Rx) + (y1 * y1) / (Ry * Ry);
  if (lambda > 1.0) {
    Rx *= std::sqrt(lambda);
    Ry *= std::sqrt(lambda);
  }
  const double num = Rx * Rx * Ry * Ry - Rx * Rx * y1 * y1 - Ry * Ry * x1 * x1;
  const double den = Rx * Rx * y1 * y1 + Ry * Ry * x1 * x1;
  double factor = den > 0.0 ? std::sqrt(std::max(0.0, num / den)) : 0.0;
  if (LargeArc == Sweep) factor = -factor;
  const double cx1 = factor * Rx * y1 / Ry;
  const double cy1 = -factor * Ry * x1 / Rx;
  const TNodeSimple centre{cp * cx1 - sp * cy1 + (From.X + To.X) / 2.0,
                           sp * cx1 + cp * cy1 + (From.Y + To.Y) / 2.0};
  const double start = VectorAngle(1, 0, (x1 - cx1) / Rx, (y1 - cy1) / Ry);
  double delta = VectorAngle((x1 - cx1) / Rx, (y1 - cy1) / Ry, (-x1 - cx1) / Rx, (-y1 - cy1) / Ry);
  if (!Sweep && delta > 0) delta -= 2 * std::numbers::pi;
  if (Sweep && delta < 0) delta += 2 * std::numbers::pi;
  if (!std::isfinite(delta) || !std::isfinite(centre.X) || !std::isfinite(centre.Y)) {
    Out.push_back(LineCubic(From, To));
    return;
  }
  const size_t first = Out.size();
  AppendEllipticArc(Out, centre, Rx, Ry, phi, start, delta, Scale);
  // The computed ends differ from the given ones by rounding; the path must stay connected.
  Out[first].P0 = From;
  Out.back().P3 = To;
}

std::vector<TDrawingPath> ParseSvgPathData(std::string_view Data, double Scale,
                                           TSegmentBudget& Budget) {
  // A first pass charges a copy of the budget: a path beyond it is refused before any segment
  // is stored, and one within it is stored without the slack of growing arrays.
  TSegmentBudget probe = Budget;
  TPathBuilder counter(Data, Scale, probe, true);
  counter.Run();
  if (probe.Exhausted()) {
    Budget = probe;
    return {};
  }
  return TPathBuilder(Data, Scale, Budget, false, counter.TakeCounts()).Run();
}

std::vector<double> ParseSvgNumberList(std::string_view Text) {
  TNumberScanner in(Text);
  std::vector<double> values;
  while (!in.AtEnd()) {
    const auto v = in.Number();
    if (!v) break;
    values.push_back(*v);
  }
  return values;
}

}  // namespace plavo
