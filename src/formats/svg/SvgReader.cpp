// The document walk: each element's presentation (fill, stroke, fill rule, display) and
// transform are resolved against its parent's, its geometry becomes paths in user units, and
// one transform takes them to page millimetres with Y up.
#include "formats/svg/SvgReader.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/svg/SvgPathData.h"
#include "formats/svg/SvgStyle.h"
#include "geometry/BoxTree.h"

namespace plavo {

namespace {

// Deeper nesting than this is no drawing but an attack on the stack: what lies deeper is left
// out (kDeepGroupsWarning names the depth).
constexpr int kMaxDepth = 256;
constexpr int kProgressParsed = 35;
constexpr int kProgressEnd = 70;
constexpr int kFlattenSamples = 8;

struct TPresentation {
  TAffine Transform;  // user units to page millimetres, Y up
  int32_t Fill = 0;   // black, the initial value of fill
  int32_t Stroke = -1;
  bool EvenOdd = false;
};

std::string_view LocalName(const pugi::xml_node& Node) {
  std::string_view name = Node.name();
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// A presentation property: the style attribute wins over the attribute of the same name.
std::string_view Property(const pugi::xml_node& Node, const char* Name) {
  const std::string_view fromStyle = StyleProperty(Node.attribute("style").value(), Name);
  if (!fromStyle.empty()) return fromStyle;
  return TrimSvgText(Node.attribute(Name).value());
}

// A coordinate attribute in user units; units other than px are converted at 96 px per inch.
double UserLength(const pugi::xml_node& Node, const char* Name, double Default = 0.0) {
  const pugi::xml_attribute a = Node.attribute(Name);
  if (!a) return Default;
  const auto mm = ParseSvgLengthMm(a.value());
  return mm ? *mm / kMmPerPx : Default;
}

// Whether a closed subpath is a boundary of the filled area under the non-zero rule: the
// winding just outside it and just inside it must differ in being zero. Only the subpaths whose
// box holds the probe wind around it, and the tree finds those without asking every subpath;
// the sum of windings does not depend on the order.
std::vector<TDrawingPath> DropNonzeroInnerContours(std::vector<TDrawingPath> Paths) {
  // A subpath alone has no other to wind around it: it is a boundary.
  if (Paths.size() < 2) return Paths;
  std::vector<std::vector<TNodeSimple>> polygons;
  std::vector<TRectDbl> boxes;
  for (const TDrawingPath& p : Paths) {
    polygons.push_back(FlattenPath(p, kFlattenSamples));
    boxes.push_back(EmptyBox());
    if (!p.Closed || polygons.back().size() < 3) continue;  // winds around nothing
    for (const TNodeSimple& node : polygons.back()) WidenBox(boxes.back(), node);
  }
  const TBoxTree tree(boxes);
  std::vector<TDrawingPath> kept;
  for (size_t i = 0; i < Paths.size(); ++i) {
    if (!Paths[i].Closed || polygons[i].size() < 3) {
      kept.push_back(std::move(Paths[i]));
      continue;
    }
    const TNodeSimple probe = polygons[i].front();
    int outside = 0;
    tree.VisitHolding(probe, [&](size_t j) {
      if (j != i && BoxHolds(boxes[j], probe)) outside += WindingNumber(polygons[j], probe);
    });
    const int own = TwiceSignedArea(polygons[i]) > 0 ? 1 : -1;
    if ((outside != 0) != (outside + own != 0)) kept.push_back(std::move(Paths[i]));
  }
  return kept;
}

class TSvgWalker {
 public:
  TSvgWalker(const pugi::xml_document& Doc, size_t FileBytes, TQarvShapes& Shapes,
             TProgressSink& Progress, TReadNotes& Notes)
      : FBudget(FileBytes), FShapes(Shapes), FProgress(Progress), FNotes(Notes) {
    for (const pugi::xpath_node& node : Doc.select_nodes("//*[@id]")) {
      FIds.emplace(node.node().attribute("id").value(), node.node());
    }
  }

  bool Run(const pugi::xml_node& Root) {
    const TPresentation page = PagePresentation(Root);
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& child : Root.children()) {
      if (child.type() == pugi::node_element) children.push_back(child);
    }
    for (size_t i = 0; i < children.size() && !FBudget.Exhausted(); ++i) {
      FShapePaths.clear();
      FShapeColor = TShapeColor();
      Element(children[i], page, 1);
      EmitShape();
      ReportProgress(kProgressParsed + static_cast<int>((i + 1) * (kProgressEnd - kProgressParsed) /
                                                        children.size()));
    }
    FShapes.UpdateBoundBox();
    FNotes.OverBudget = FBudget.Exhausted();
    FNotes.Budget = FBudget.Limit();
    return !FBudget.Exhausted();
  }

 private:
  void ReportProgress(int Position) {
    if (Position == FProgress.Position()) return;
    FProgress.SetPosition(Position);
    FProgress.ProcessPendingMessages();
  }

  // The page: width and height with units, the viewBox mapped onto them, Y flipped so the
  // lower-left corner is the origin.
  TPresentation PagePresentation(const pugi::xml_node& Root) const {
    const std::vector<double> box = ParseSvgNumberList(Root.attribute("viewBox").value());
    const bool hasBox = box.size() == 4 && box[2] > 0 && box[3] > 0;
    auto size = [&](const char* Name, double BoxSize) {
      const auto mm = ParseSvgLengthMm(Root.attribute(Name).value());
      if (mm && *mm > 0) return *mm;
      return hasBox ? BoxSize * kMmPerPx : 0.0;
    };
    const double width = size("width", hasBox ? box[2] : 0.0);
    const double height = size("height", hasBox ? box[3] : 0.0);
    TAffine toPage = TAffine::Scale(kMmPerPx, kMmPerPx);
    if (hasBox && width > 0 && height > 0) {
      double sx = width / box[2];
      double sy = height / box[3];
      double ox = 0.0, oy = 0.0;
      const std::string_view aspect = TrimSvgText(Root.attribute("preserveAspectRatio").value());
      if (!aspect.starts_with("none")) {
        // The default, xMidYMid meet: one scale, the box centred on the page.
        const double s = std::min(sx, sy);
        ox = (width - box[2] * s) / 2.0;
        oy = (height - box[3] * s) / 2.0;
        sx = sy = s;
      }
      toPage = TAffine{sx, 0, 0, sy, ox - box[0] * sx, oy - box[1] * sy};
    }
    TPresentation p;
    p.Transform = TAffine{1, 0, 0, -1, 0, height}.Then(toPage);
    return Inherit(Root, p);
  }

  // The element's own presentation on top of its parent's.
  static TPresentation Inherit(const pugi::xml_node& Node, TPresentation P) {
    if (const auto fill = ParseSvgColor(Property(Node, "fill"))) P.Fill = *fill;
    if (const auto stroke = ParseSvgColor(Property(Node, "stroke"))) P.Stroke = *stroke;
    const std::string_view rule = Property(Node, "fill-rule");
    if (rule == "evenodd") P.EvenOdd = true;
    if (rule == "nonzero") P.EvenOdd = false;
    if (const pugi::xml_attribute t = Node.attribute("transform")) {
      if (const auto transform = ParseSvgTransform(t.value()))
        P.Transform = P.Transform.Then(*transform);
    }
    return P;
  }

  // Every element visited is charged to the budget (a use of a group of uses of groups visits
  // elements without end), and every segment as it is built.
  void Element(const pugi::xml_node& Node, const TPresentation& Parent, int Depth) {
    if (!FBudget.Spend(1)) return;
    if (Depth > kMaxDepth) {
      FNotes.DeepGroups = true;
      return;
    }
    if (Property(Node, "display") == "none") return;
    const std::string_view name = LocalName(Node);
    if (name == "text") {
      ++FNotes.SkippedTexts;
      return;
    }
    const TPresentation p = Inherit(Node, Parent);
    if (name == "g" || name == "a" || name == "switch" || name == "svg") {
      for (const pugi::xml_node& child : Node.children()) {
        if (child.type() == pugi::node_element) Element(child, p, Depth + 1);
      }
    } else if (name == "use") {
      Use(Node, p, Depth);
    } else {
      AddPaths(Geometry(Node, name, p.Transform.MaxStretch()), p);
    }
  }

  void Use(const pugi::xml_node& Node, TPresentation P, int Depth) {
    std::string_view href = Node.attribute("href").value();
    if (href.empty()) href = Node.attribute("xlink:href").value();
    if (!href.starts_with("#")) return;
    const auto found = FIds.find(std::string(href.substr(1)));
    if (found == FIds.end()) return;
    const pugi::xml_node target = found->second;
    // A use inside what it refers to would never end.
    for (pugi::xml_node up = Node; up; up = up.parent()) {
      if (up == target) return;
    }
    P.Transform =
        P.Transform.Then(TAffine::Translate(UserLength(Node, "x"), UserLength(Node, "y")));
    if (LocalName(target) == "symbol") {
      for (const pugi::xml_node& child : target.children()) {
        if (child.type() == pugi::node_element) Element(child, Inherit(target, P), Depth + 1);
      }
      return;
    }
    Element(target, P, Depth + 1);
  }

  // The outline of a basic shape or path in user units; nothing for elements that draw no
  // outline (defs, gradients, images, metadata).
  std::vector<TDrawingPath> Geometry(const pugi::xml_node& Node, std::string_view Name,
                                     double Scale) {
    if (Name == "path") return ParseSvgPathData(Node.attribute("d").value(), Scale, FBudget);
    std::vector<TDrawingPath> paths = BasicShape(Node, Name, Scale);
    for (const TDrawingPath& p : paths) FBudget.Spend(p.Segments.size());
    return paths;
  }

  static std::vector<TDrawingPath> BasicShape(const pugi::xml_node& Node, std::string_view Name,
                                              double Scale) {
    std::vector<TDrawingPath> paths;
    if (Name == "rect") return Rect(Node, Scale);
    if (Name == "circle" || Name == "ellipse") {
      const double rx = Name == "circle" ? UserLength(Node, "r") : UserLength(Node, "rx");
      const double ry = Name == "circle" ? rx : UserLength(Node, "ry");
      if (rx <= 0 || ry <= 0) return paths;
      TDrawingPath p;
      AppendEllipticArc(p.Segments, {UserLength(Node, "cx"), UserLength(Node, "cy")}, rx, ry, 0.0,
                        0.0, 2 * std::numbers::pi, Scale);
      TCubic last = p.Segments.back();
      last.P3 = p.Segments.front().P0;
      p.Segments.SetBack(last);
      p.Closed = true;
      paths.push_back(std::move(p));
    } else if (Name == "line") {
      TDrawingPath p;
      p.Segments.push_back(LineCubic({UserLength(Node, "x1"), UserLength(Node, "y1")},
                                     {UserLength(Node, "x2"), UserLength(Node, "y2")}));
      paths.push_back(std::move(p));
    } else if (Name == "polyline" || Name == "polygon") {
      const std::vector<double> v = ParseSvgNumberList(Node.attribute("points").value());
      TDrawingPath p;
      for (size_t i = 2; i + 1 < v.size(); i += 2)
        p.Segments.push_back(LineCubic({v[i - 2], v[i - 1]}, {v[i], v[i + 1]}));
      if (p.Segments.empty()) return paths;
      if (Name == "polygon") {
        if (!SamePoint(p.Segments.back().P3, p.Segments.front().P0))
          p.Segments.push_back(LineCubic(p.Segments.back().P3, p.Segments.front().P0));
        p.Closed = true;
      }
      paths.push_back(std::move(p));
    }
    return paths;
  }

  static std::vector<TDrawingPath> Rect(const pugi::xml_node& Node, double Scale) {
    const double x = UserLength(Node, "x"), y = UserLength(Node, "y");
    const double w = UserLength(Node, "width"), h = UserLength(Node, "height");
    if (!(w > 0 && h > 0)) return {};
    double rx = UserLength(Node, "rx", -1.0), ry = UserLength(Node, "ry", -1.0);
    if (rx < 0) rx = ry;
    if (ry < 0) ry = rx;
    rx = std::clamp(rx, 0.0, w / 2);
    ry = std::clamp(ry, 0.0, h / 2);
    std::vector<TCubic> pieces;
    auto line = [&](TNodeSimple A, TNodeSimple B) {
      if (!SamePoint(A, B)) pieces.push_back(LineCubic(A, B));
    };
    auto corner = [&](double Cx, double Cy, double Start) {
      if (rx > 0 && ry > 0)
        AppendEllipticArc(pieces, {Cx, Cy}, rx, ry, 0.0, Start, std::numbers::pi / 2, Scale);
    };
    const double q = std::numbers::pi / 2;
    line({x + rx, y}, {x + w - rx, y});
    corner(x + w - rx, y + ry, -q);
    line({x + w, y + ry}, {x + w, y + h - ry});
    corner(x + w - rx, y + h - ry, 0.0);
    line({x + w - rx, y + h}, {x + rx, y + h});
    corner(x + rx, y + h - ry, q);
    line({x, y + h - ry}, {x, y + ry});
    corner(x + rx, y + ry, 2 * q);
    // Consecutive pieces computed apart must share their ends exactly.
    for (size_t i = 0; i + 1 < pieces.size(); ++i) pieces[i + 1].P0 = pieces[i].P3;
    pieces.back().P3 = pieces.front().P0;
    TDrawingPath p;
    p.Segments = ToChain(pieces);
    p.Closed = true;
    return {std::move(p)};
  }

  void AddPaths(std::vector<TDrawingPath> Paths, const TPresentation& P) {
    if (Paths.empty() || FBudget.Exhausted()) return;
    if (!P.EvenOdd) Paths = DropNonzeroInnerContours(std::move(Paths));
    for (TDrawingPath& path : Paths) {
      TransformPath(P.Transform, path);
      FShapePaths.push_back(std::move(path));
    }
    // As in the Illustrator reader, the shape ends with the colours of its last path.
    FShapeColor.Fill = P.Fill;
    FShapeColor.Outline = P.Stroke;
  }

  // A shape with a point beyond the integer units is left out whole and noted.
  void EmitShape() {
    if (FShapePaths.empty()) return;
    ++FShapeNumber;
    if (!std::all_of(FShapePaths.begin(), FShapePaths.end(), PathFitsUnits)) {
      FNotes.OutOfRange.push_back(FShapeNumber);
      return;
    }
    FShapes.AddShape(TQarvOneShape(), false);
    TQarvOneShape& shape = *FShapes.GetShape(FShapes.ShapeCount() - 1);
    shape.SetColor(FShapeColor);
    for (TDrawingPath& path : FShapePaths) AddDrawingPath(*shape.Curve(), std::move(path));
  }

  TSegmentBudget FBudget;
  TQarvShapes& FShapes;
  TProgressSink& FProgress;
  TReadNotes& FNotes;
  std::unordered_map<std::string, pugi::xml_node> FIds;
  std::vector<TDrawingPath> FShapePaths;
  TShapeColor FShapeColor;
  size_t FShapeNumber = 0;  // shapes the drawing holds so far, left-out ones included
};

// A document that breaks off without any complete markup after the point where parsing failed
// was cut short (in a tag, an attribute, a comment, or with elements still open); one with
// markup after that point is malformed, and one cut before the root's start tag ends holds no
// drawing.
bool CutShort(const pugi::xml_parse_result& Parsed, std::string_view Bytes) {
  const size_t at = static_cast<size_t>(std::max<std::ptrdiff_t>(Parsed.offset, 0));
  const size_t rootEnd = Bytes.find('>');
  if (rootEnd == std::string_view::npos || rootEnd >= at) return false;
  return at + 1 >= Bytes.size() || Bytes.find('>', at + 1) == std::string_view::npos;
}

}  // namespace

bool ReadSvgDrawing(std::string_view Bytes, TQarvShapes& Shapes, TProgressSink& Progress,
                    TReadNotes& Notes) {
  pugi::xml_document doc;
  // No entity expansion beyond the predefined ones: pugixml never reads a DTD's entities.
  const pugi::xml_parse_result parsed =
      doc.load_buffer(Bytes.data(), Bytes.size(), pugi::parse_default);
  // A file cut short is read as far as it goes, as pugixml keeps the tree it built.
  if (!parsed && !CutShort(parsed, Bytes)) return false;
  const pugi::xml_node root = doc.document_element();
  if (LocalName(root) != "svg") return false;
  Notes.Truncated = !parsed;
  Progress.SetPosition(kProgressParsed);
  Progress.ProcessPendingMessages();
  return TSvgWalker(doc, Bytes.size(), Shapes, Progress, Notes).Run(root);
}

}  // namespace plavo
