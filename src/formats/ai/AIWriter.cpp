#include "formats/ai/AIWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/AtomicFile.h"
#include "geometry/QarvMath.h"
#include "core/WriterText.h"

namespace plavo {

namespace {

// Defines every operator the body uses, so an interpreter renders the file. Fill and stroke
// colours are kept apart as in the drawing program; inside a compound path ("*u" ... "*U") the
// paint operators only record how to paint, and the whole compound is painted at its end, so
// holes stay open (even-odd, the rule the nesting engine fills outlines by). A layer whose
// "Lb" has a first operand other than 1 is hidden and not painted.
constexpr const char* kProlog = R"(%%BeginProlog
/PlavoDict 32 dict def
PlavoDict begin
/_fc [0 0 0] def
/_sc [0 0 0] def
/_op 0 def
/_cp false def
/_vis true def
/Xa { 3 array astore /_fc exch def } bind def
/XA { 3 array astore /_sc exch def } bind def
/m /moveto load def
/l /lineto load def
/c /curveto load def
/_paint {
  _vis {
    _op 1 eq { _fc aload pop setrgbcolor eofill } if
    _op 2 eq { _sc aload pop setrgbcolor stroke } if
  } if
  newpath
} bind def
/f { /_op 1 def _cp not { _paint } if } bind def
/S { /_op 2 def _cp not { _paint } if } bind def
/*u { /_cp true def } bind def
/*U { /_cp false def _paint } bind def
/u { } def
/U { } def
/Lb { 9 { pop } repeat 1 eq /_vis exch def } bind def
/Ln { pop } bind def
/LB { } def
end
%%EndProlog
)";

constexpr const char* kShapesLayer = "%AI5_BeginLayer\n1 1 1 1 0 0 0 79 128 255 Lb\n(Shapes) Ln\n";
constexpr const char* kSheetsLayer = "%AI5_BeginLayer\n0 1 1 0 0 0 1 255 79 79 Lb\n(Sheets) Ln\n";
constexpr const char* kLayerEnd = "LB\n%AI5_EndLayer--\n";
// Sheet outlines in the result display's colour for a sheet holding shapes (0xB799FF).
constexpr int kSheetColor = 0xB799FF;

struct TPointBox {
  long long Left = 0;
  long long Bottom = 0;
  long long Right = 0;
  long long Top = 0;
};

bool LayoutFitsFormat(const TRectDbl& Box) {
  return std::max({std::fabs(Box.Left), std::fabs(Box.Right), std::fabs(Box.Top),
                   std::fabs(Box.Bottom)}) <= kAILargestCoordinate;
}

bool HasBox(const TRectDbl& Box) {
  return Box.Left <= Box.Right && Box.Bottom <= Box.Top;
}

TPointBox PointBox(const TRectDbl& Box) {
  if (!HasBox(Box)) return TPointBox{};
  return TPointBox{static_cast<long long>(std::floor(Box.Left / kMillimetresPerPoint)),
                   static_cast<long long>(std::floor(Box.Bottom / kMillimetresPerPoint)),
                   static_cast<long long>(std::ceil(Box.Right / kMillimetresPerPoint)),
                   static_cast<long long>(std::ceil(Box.Top / kMillimetresPerPoint))};
}

std::string Point(TNodeSimple P) {
  return AIPointText(P.X) + " " + AIPointText(P.Y);
}

void AppendHeader(std::string& Out, const TRectDbl& Box) {
  const TPointBox b = PointBox(Box);
  Out += "%!PS-Adobe-3.0\n%%Creator: Plavo\n";
  Out += "%%BoundingBox: " + std::to_string(b.Left) + " " + std::to_string(b.Bottom) + " " +
         std::to_string(b.Right) + " " + std::to_string(b.Top) + "\n";
  Out += "%%Pages: 1\n%%EndComments\n";
  Out += kProlog;
  // The page is the layout's box, so an interpreter shows all of it; lines in the setup are
  // skipped by drawing readers.
  Out += "%%BeginSetup\nPlavoDict begin\n";
  if (HasBox(Box)) {
    const long long width = std::max(1LL, b.Right - b.Left);
    const long long height = std::max(1LL, b.Top - b.Bottom);
    Out += "<< /PageSize [" + std::to_string(width) + " " + std::to_string(height) +
           "] >> setpagedevice\n";
    Out += std::to_string(-b.Left) + " " + std::to_string(-b.Bottom) + " translate\n";
  }
  Out += "%%EndSetup\n";
}

void AppendColor(std::string& Out, int32_t Color, const char* Operator) {
  Out += AIColorFractionText(Color & 0xFF) + " " + AIColorFractionText((Color >> 8) & 0xFF) + " " +
         AIColorFractionText((Color >> 16) & 0xFF) + " " + Operator + "\n";
}

// One path as sub-paths ended by Paint. A segment that does not start where the previous one
// ended starts a new sub-path, so no gap is bridged by a line that was never drawn.
void AppendPath(std::string& Out, const TPlacedPath& Path, const char* Paint) {
  bool open = false;
  TNodeSimple current;
  for (const TPlacedSegment& s : Path.Segments) {
    if (open && !SamePoint(current, s.Start)) {
      Out += std::string(Paint) + "\n";
      open = false;
    }
    if (!open) Out += Point(s.Start) + " m\n";
    open = true;
    // The reader rebuilds a line with its controls on its ends.
    if (IsStraightSegment(s)) {
      Out += Point(s.End) + " l\n";
    } else {
      Out += Point(s.StartControl) + " " + Point(s.EndControl) + " " + Point(s.End) + " c\n";
    }
    current = s.End;
  }
  if (open) Out += std::string(Paint) + "\n";
}

// A filled shape is painted with "f": the reader takes any stroking paint ("S", "B") as
// unfilled, so "B" would lose the fill on reading back. An unfilled shape is stroked.
void AppendShape(std::string& Out, const TLayoutShape& Shape) {
  const std::vector<TPlacedPath>& paths = Shape.Paths;
  if (paths.empty()) return;
  const TShapeColor& color = Shape.Color;
  const char* paint = color.Fill >= 0 ? "f" : "S";
  Out += "u\n";
  if (color.Fill >= 0) AppendColor(Out, color.Fill, "Xa");
  if (color.Outline >= 0) AppendColor(Out, color.Outline, "XA");
  Out += "*u\n";
  for (const TPlacedPath& path : paths) AppendPath(Out, path, paint);
  Out += "*U\nU\n";
}

void AppendSheets(std::string& Out, const std::vector<TLayoutSheet>& Sheets) {
  Out += kSheetsLayer;
  AppendColor(Out, kSheetColor, "XA");
  for (const TLayoutSheet& s : Sheets) {
    const TNodeSimple a{s.Position.X, s.Position.Y};
    const TNodeSimple b{s.Position.X, s.Position.Y + s.Height};
    const TNodeSimple c{s.Position.X + s.Width, s.Position.Y + s.Height};
    const TNodeSimple d{s.Position.X + s.Width, s.Position.Y};
    Out += Point(a) + " m\n" + Point(b) + " l\n" + Point(c) + " l\n" + Point(d) + " l\n" +
           Point(a) + " l\nS\n";
  }
  Out += kLayerEnd;
}

}  // namespace

std::string AIPointText(double Mm) {
  const double units = std::round(Mm * kUnitsPerMm);
  const double aim = units + (units < 0.0 ? -0.5 : 0.5);
  return FormatFixed(aim / kUnitsPerMm / kMillimetresPerPoint, 6);
}

std::string AIColorFractionText(int Channel) {
  Channel = std::clamp(Channel, 0, 255);
  // The reader computes trunc(v * 255) from the parsed text; take the first six-decimal value
  // at or above Channel / 255 for which that gives Channel back.
  double v = std::ceil(Channel / 255.0 * 1e6) / 1e6;
  for (;;) {
    const std::string text = FormatFixed(v, 6);
    double parsed = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (static_cast<int>(std::trunc(parsed * 255.0)) >= Channel) return text;
    v += 1e-6;
  }
}

bool BuildAIText(const TNestedLayout& Layout, std::string& Text, std::string& Error) {
  const TRectDbl& box = Layout.Bounds;
  if (HasBox(box) && !LayoutFitsFormat(box)) {
    Error =
        "The layout reaches beyond 214748 mm from the origin, more than a drawing file can "
        "hold. Use fewer or smaller sheets, or another block order.";
    return false;
  }
  Text.clear();
  AppendHeader(Text, box);
  Text += kShapesLayer;
  for (const TLayoutShape& shape : Layout.Shapes) AppendShape(Text, shape);
  Text += kLayerEnd;
  AppendSheets(Text, Layout.Sheets);
  Text += "%%PageTrailer\nshowpage\n%%Trailer\nend\n%%EOF\n";
  return true;
}

bool WriteAIFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error) {
  std::string text;
  return BuildAIText(Layout, text, Error) && WriteFileAtomically(FileName, text, Error);
}

}  // namespace plavo
