// The DXF writer: a nested layout read back with our DXF reader gives the same placed outlines
// within 0.01 mm; sheets and units are where CAD programs look for them.
#include "formats/dxf/DxfWriter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/DrawingTestSupport.h"
#include "geometry/GeometryTestUtil.h"
#include "nesting/NestJob.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

using geometry_test::Farthest;
using geometry_test::OutlinePoints;
using nest_test::LayoutOf;

namespace {

// Two plates with a round hole and a slot, a ring and an open curve, nested on two small
// sheets so that both get shapes.
TOneNestingResult NestParts(TNestJob& Job) {
  TDxfText t;
  for (double x : {0.0, 200.0}) {
    t.Square(x, 0, x + 100, 60).Circle(x + 25, 30, 10);
    t.Line(x + 60, 25, x + 80, 25).Arc(x + 80, 30, 5, 270, 90);
    t.Line(x + 80, 35, x + 60, 35).Arc(x + 60, 30, 5, 90, 270);
  }
  t.Circle(400, 0, 30).Circle(400, 0, 20);
  t.G(0, "SPLINE").G(8, "0").G(71, "3").G(72, "8").G(73, "4");
  for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0}) t.G(40, k);
  t.G(10, 0.0).G(20, 100.0).G(10, 20.0).G(20, 140.0).G(10, 40.0).G(20, 60.0).G(10, 60.0).G(20,
                                                                                           100.0);
  TDrawing d = ReadDrawing(DxfFile(t));
  EXPECT_EQ(d.Count(), 4);
  EXPECT_TRUE(Job.Load(std::move(d.Shapes)).Complete());
  TNestSettings s;
  s.Media_Width = 130;
  s.Media_Height = 130;
  s.Distance = 2;
  TRunOptions o;
  o.Seed = 1;
  o.Threads = 1;
  const TRunOutcome run = Job.Run(s, o);
  EXPECT_TRUE(run.Complete()) << run.Reason;
  return run.Result;
}

struct TOutline {
  TRectDbl Box;
  bool Closed = false;
};

bool Before(const TOutline& A, const TOutline& B) {
  if (std::abs(A.Box.Left - B.Box.Left) > 0.1) return A.Box.Left < B.Box.Left;
  if (std::abs(A.Box.Bottom - B.Box.Bottom) > 0.1) return A.Box.Bottom < B.Box.Bottom;
  return A.Box.Right - A.Box.Left < B.Box.Right - B.Box.Left;
}

// The box of a path from its cubics' ends and middles: both sides agree on it within the
// flattening tolerance, whatever the segments are.
TRectDbl CurveBox(const std::vector<TPlacedSegment>& Segments) {
  TRectDbl box = EmptyBox();
  for (const TPlacedSegment& s : Segments) {
    for (int k = 0; k <= 8; ++k) {
      const double t = k / 8.0, u = 1 - t;
      WidenBox(box, TNodeSimple{u * u * u * s.Start.X + 3 * u * u * t * s.StartControl.X +
                                    3 * u * t * t * s.EndControl.X + t * t * t * s.End.X,
                                u * u * u * s.Start.Y + 3 * u * u * t * s.StartControl.Y +
                                    3 * u * t * t * s.EndControl.Y + t * t * t * s.End.Y});
    }
  }
  return box;
}

std::vector<TPlacedSegment> Segments(const TQarvOnePath& Path) {
  std::vector<TPlacedSegment> s;
  for (int i = 0; i < Path.SegmentCount(); ++i) {
    const TSegmentView view = Path.GetSegment(i);
    const TQarvOneSegment& g = *view;
    s.push_back({g.Type_(), g.StartNode(), g.StartControlNode(), g.EndControlNode(), g.EndNode()});
  }
  return s;
}

// The vertices of all LWPOLYLINEs of a DXF text (their group 90 counts).
size_t PolylineVertexCount(const std::string& Text) {
  size_t n = 0;
  for (size_t at = Text.find("\n 90\n"); at != std::string::npos; at = Text.find("\n 90\n", at + 1))
    n += std::stoul(Text.substr(at + 5));
  return n;
}

// Points per segment: the read-back arcs come in short cubics.
constexpr int kSamples = 40;

// Every path of D as dense points.
std::vector<std::vector<TNodeSimple>> PathPoints(const TDrawing& D) {
  std::vector<std::vector<TNodeSimple>> paths;
  for (int i = 0; i < D.Count(); ++i) {
    for (int p = 0; p < D.Paths(i); ++p) {
      TPlacedPath path;
      path.Segments = Segments(D.Path(i, p));
      paths.push_back(OutlinePoints(path, kSamples));
    }
  }
  return paths;
}

// The one of Paths that passes nearest to P.
const std::vector<TNodeSimple>& Nearest(const std::vector<std::vector<TNodeSimple>>& Paths,
                                        TNodeSimple P) {
  const auto gap = [P](const std::vector<TNodeSimple>& Path) {
    double d = 1e300;
    for (const TNodeSimple& q : Path) d = std::min(d, std::hypot(P.X - q.X, P.Y - q.Y));
    return d;
  };
  return *std::min_element(Paths.begin(), Paths.end(),
                           [&](const auto& a, const auto& b) { return gap(a) < gap(b); });
}

}  // namespace

TEST(DxfWriter, LayoutReadsBackAsTheSamePlacedOutlines) {
  TNestJob job;
  const TOneNestingResult r = NestParts(job);
  std::string text, error;
  ASSERT_TRUE(BuildDxfText(LayoutOf(job.Drawing(), r), text, error)) << error;

  std::vector<TOutline> written;
  int placed = 0;
  for (int i = 0; i < static_cast<int>(r.Place.size()); ++i) {
    TPlacementTransform t;
    if (!PlacementTransform(job.Drawing(), r, i, t)) continue;
    // The file has sheet 1's lower-left corner at (0, 0).
    t.OffsetX -= r.Block.Item[0].Position.x;
    t.OffsetY -= r.Block.Item[0].Position.y;
    ++placed;
    for (const TPlacedPath& p : PlaceShapePaths(t, *RecordShape(job.Drawing(), r, i)))
      written.push_back({CurveBox(p.Segments), p.Closed});
  }
  ASSERT_EQ(placed, 4);
  ASSERT_GE(UsedSheetCount(r), 2) << "the layout should use two sheets";

  // The sheet outlines are on a layer that is not plotted, so they come back as no part.
  const TDrawing back = ReadDrawing(text);
  ASSERT_TRUE(back.Ok);
  EXPECT_EQ(back.Count(), placed);
  std::vector<TOutline> read;
  for (int i = 0; i < back.Count(); ++i) {
    for (int p = 0; p < back.Paths(i); ++p)
      read.push_back({CurveBox(Segments(back.Path(i, p))), back.Path(i, p).Closed()});
  }
  ASSERT_EQ(read.size(), written.size());
  std::sort(written.begin(), written.end(), Before);
  std::sort(read.begin(), read.end(), Before);
  for (size_t k = 0; k < read.size(); ++k) {
    SCOPED_TRACE("outline " + std::to_string(k));
    EXPECT_EQ(read[k].Closed, written[k].Closed);
    ExpectBox(read[k].Box, written[k].Box.Left, written[k].Box.Bottom, written[k].Box.Right,
              written[k].Box.Top, 0.01);
  }

  EXPECT_NE(text.find("$INSUNITS\n 70\n4\n"), std::string::npos);
  for (const char* layer : {"SHEET_1", "SHEET_2", "SHEET_OUTLINES"})
    EXPECT_NE(text.find("  8\n" + std::string(layer) + "\n"), std::string::npos) << layer;
  EXPECT_NE(text.find("SHEET_OUTLINES\n 70\n0\n 62\n8\n  6\nCONTINUOUS\n290\n0\n"),
            std::string::npos);
}

TEST(DxfWriter, CurvesAreArcsWithinTheToleranceAndATenthOfThePolylineVertices) {
  // Circles and rounded rectangles as CAD programs draw them: lines, arcs, circles.
  TDxfText t;
  for (int k = 0; k < 4; ++k) {
    const double x = 100.0 * k, r = 2.0 + 4.0 * k;
    t.Circle(x, 200, 5.0 + 10.0 * k);
    t.Line(x + r, 0, x + 60 - r, 0).Arc(x + 60 - r, r, r, 270, 360);
    t.Line(x + 60, r, x + 60, 40 - r).Arc(x + 60 - r, 40 - r, r, 0, 90);
    t.Line(x + 60 - r, 40, x + r, 40).Arc(x + r, 40 - r, r, 90, 180);
    t.Line(x, 40 - r, x, r).Arc(x + r, r, r, 180, 270);
  }
  TDrawing d = ReadDrawing(DxfFile(t));
  ASSERT_EQ(d.Count(), 8);
  TNestJob job;
  ASSERT_TRUE(job.Load(std::move(d.Shapes)).Complete());
  TNestSettings s;
  s.Media_Width = 300;
  s.Media_Height = 300;
  s.Distance = 2;
  TRunOptions o;
  o.Threads = 1;
  const TNestedLayout layout = LayoutOf(job.Drawing(), job.Run(s, o).Result);
  std::string arcs, polylines, error;
  ASSERT_TRUE(BuildDxfText(layout, arcs, error));
  ASSERT_TRUE(BuildDxfText(layout, polylines, error, TCurveForm::Polyline));
  EXPECT_NE(arcs.find("\n 42\n"), std::string::npos) << "bulges";
  EXPECT_LE(10 * PolylineVertexCount(arcs), PolylineVertexCount(polylines));

  const TDrawing back = ReadDrawing(arcs);
  ASSERT_EQ(back.Count(), 8);
  const std::vector<std::vector<TNodeSimple>> readPaths = PathPoints(back);
  for (const TLayoutShape& shape : layout.Shapes) {
    for (const TPlacedPath& path : shape.Paths) {
      const std::vector<TNodeSimple> written = OutlinePoints(path, kSamples);
      const std::vector<TNodeSimple>& read = Nearest(readPaths, written.front());
      EXPECT_LE(Farthest(written, read), 0.0101);
      EXPECT_LE(Farthest(read, written), 0.0101);
    }
  }
}

TEST(DxfWriter, MarkingsGoToTheirOwnLayerAndComeBackWithTheirPart) {
  TDxfText t;
  t.Square(0, 0, 100, 60).Circle(80, 30, 10).Line(10, 30, 30, 30).Line(20, 20, 20, 40);
  TDrawing d = ReadDrawing(DxfFile(t));
  ASSERT_EQ(d.Count(), 1);
  TNestJob job;
  ASSERT_TRUE(job.Load(std::move(d.Shapes)).Complete());
  TNestSettings s;
  s.Media_Width = 200;
  s.Media_Height = 200;
  const TOneNestingResult r = job.Run(s, TRunOptions{}).Result;
  std::string text, error;
  ASSERT_TRUE(BuildDxfText(LayoutOf(job.Drawing(), r), text, error));
  size_t engraved = 0;
  for (size_t at = text.find("  8\nSHEET_1_ENGRAVE\n"); at != std::string::npos;
       at = text.find("  8\nSHEET_1_ENGRAVE\n", at + 1))
    ++engraved;
  EXPECT_EQ(engraved, 2u) << "the cross's two lines";
  const TDrawing back = ReadDrawing(text);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Paths(0), 4);
}

TEST(DxfWriter, RefusesAResultOfAnotherDrawing) {
  TNestJob job;
  const TOneNestingResult r = NestParts(job);
  TQarvShapes other;
  EXPECT_FALSE(NestedLayoutOf(other, r).has_value());
}

}  // namespace plavo
