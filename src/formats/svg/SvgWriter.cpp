#include "formats/svg/SvgWriter.h"

#include <algorithm>
#include <cstdio>

#include "core/AtomicFile.h"
#include "geometry/QarvMath.h"
#include "core/WriterText.h"

namespace plavo {

namespace {

// Sheet outline colours of the result display: a sheet with shapes, and one without.
constexpr int32_t kUsedSheetColor = 0xB799FF;
constexpr int32_t kEmptySheetColor = 0xC0C0C0;  // the display's white would vanish on paper
// 1/10000 mm, the grid the engine and the reader work on.
constexpr int kDecimals = 4;
constexpr const char* kInkscapeNs = "http://www.inkscape.org/namespaces/inkscape";
// Outlines 0.3 mm wide: visible on a printed layout, thin beside the shapes.
constexpr const char* kThinLine = " stroke-width=\"0.3\"";

std::string Number(double Value) {
  return FormatFixed(Value, kDecimals);
}

// y' = Top + Bottom - y maps the layout's Y-up box onto the same box with Y down. Written into
// every coordinate rather than as a group's transform, which a reader would take as one shape.
struct TFlip {
  double Sum;  // the box's Top + Bottom
  double Y(double Value) const { return Sum - Value; }
};

std::string Point(TNodeSimple P, TFlip Flip) {
  return Number(P.X) + " " + Number(Flip.Y(P.Y));
}

// Path data of one shape: every path as a sub-path, closed with "Z" when the outline is.
std::string PathData(const std::vector<TPlacedPath>& Paths, TFlip Flip) {
  std::string d;
  const auto command = [&d, Flip](char Letter, TNodeSimple P) {
    if (!d.empty()) d += ' ';
    d += Letter;
    d += Point(P, Flip);
  };
  for (const TPlacedPath& path : Paths) {
    bool open = false;
    TNodeSimple current;
    for (const TPlacedSegment& s : path.Segments) {
      if (!open || !SamePoint(current, s.Start)) command('M', s.Start);
      open = true;
      if (IsStraightSegment(s)) {
        command('L', s.End);
      } else {
        command('C', s.StartControl);
        d += ' ';
        d += Point(s.EndControl, Flip);
        d += ' ';
        d += Point(s.End, Flip);
      }
      current = s.End;
    }
    if (path.Closed) d += " Z";
  }
  return d;
}

// Each shape is a path outside any group, so a reader takes it as a shape of its own.
void AppendShapes(std::string& Out, const std::vector<TLayoutShape>& Shapes, TFlip Flip) {
  for (const TLayoutShape& shape : Shapes) {
    const std::vector<TPlacedPath>& paths = shape.Paths;
    if (paths.empty()) continue;
    const TShapeColor& color = shape.Color;
    // Ids stay unique: a further copy adds its number.
    std::string copy;
    if (shape.Copy > 0) copy.append("-").append(std::to_string(shape.Copy));
    Out += "<path id=\"shape" + std::to_string(shape.ShapeIndex) + copy + "\" fill=\"" +
           SvgColor(color.Fill) + "\" stroke=\"" + SvgColor(color.Outline) +
           "\" fill-rule=\"evenodd\" d=\"" + PathData(paths, Flip) + "\"" + kThinLine + "/>\n";
  }
}

// The sheet outlines are a layer of their own, named and classed as not to be cut, so a
// drawing or laser program can hide or skip them at once.
void AppendSheets(std::string& Out, const std::vector<TLayoutSheet>& Sheets, TFlip Flip) {
  Out += std::string("<g id=\"sheets\" class=\"") + kSheetOutlineClass +
         "\" inkscape:groupmode=\"layer\" inkscape:label=\"" + kSheetOutlineLabel +
         "\" fill=\"none\">\n";
  for (size_t j = 0; j < Sheets.size(); ++j) {
    const TLayoutSheet& s = Sheets[j];
    Out += "<rect id=\"sheet" + std::to_string(j) + "\" x=\"" + Number(s.Position.X) + "\" y=\"" +
           Number(Flip.Y(s.Position.Y + s.Height)) + "\" width=\"" + Number(s.Width) +
           "\" height=\"" + Number(s.Height) + "\" stroke=\"" +
           SvgColor(s.HasShape ? kUsedSheetColor : kEmptySheetColor) + "\"" + kThinLine + "/>\n";
  }
  Out += "</g>\n";
}

}  // namespace

std::string SvgColor(int32_t Color) {
  if (Color < 0) return "none";
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", Color & 0xFF, (Color >> 8) & 0xFF,
                (Color >> 16) & 0xFF);
  return text;
}

bool BuildSvgText(const TNestedLayout& Layout, std::string& Text, std::string& /*Error*/) {
  TRectDbl box = Layout.Bounds;
  if (IsEmptyBox(box)) box = TRectDbl::MakeLTRB(0.0, 1.0, 1.0, 0.0);
  const double width = box.Right - box.Left;
  const double height = box.Top - box.Bottom;
  Text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  Text += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:inkscape=\"" + std::string(kInkscapeNs) +
          "\" version=\"1.1\" width=\"" + Number(width) + "mm\" height=\"" + Number(height) +
          "mm\" viewBox=\"" + Number(box.Left) + " " + Number(box.Bottom) + " " + Number(width) +
          " " + Number(height) + "\">\n";
  const TFlip flip{box.Top + box.Bottom};
  AppendSheets(Text, Layout.Sheets, flip);
  AppendShapes(Text, Layout.Shapes, flip);
  Text += "</svg>\n";
  return true;
}

bool WriteSvgFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error) {
  std::string text;
  return BuildSvgText(Layout, text, Error) && WriteFileAtomically(FileName, text, Error);
}

}  // namespace plavo
