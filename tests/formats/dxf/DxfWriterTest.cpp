// The DXF writer: a nested layout read back with our DXF reader gives the same placed outlines
// within 0.01 mm; sheets and units are where CAD programs look for them.
#include "formats/dxf/DxfWriter.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/DrawingTestSupport.h"
#include "nesting/NestJob.h"
#include "nesting/NestRunTestSupport.h"
#include "nesting/result/ResultLayout.h"

namespace plavo {

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
  EXPECT_TRUE(Job.Load(std::move(d.Shapes)));
  TNestSettings s;
  s.Media_Width = 130;
  s.Media_Height = 130;
  s.Distance = 2;
  TRunOptions o;
  o.Seed = 1;
  o.Threads = 1;
  return Job.Run(s, o);
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
  for (int i = 0; i < Path.SegmentCount(); ++i) s.push_back(PlaceSegment({}, *Path.GetSegment(i)));
  return s;
}

}  // namespace

TEST(DxfWriter, LayoutReadsBackAsTheSamePlacedOutlines) {
  TNestJob job;
  const TOneNestingResult r = NestParts(job);
  ASSERT_FALSE(job.Failed());
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

TEST(DxfWriter, RefusesAResultOfAnotherDrawing) {
  TNestJob job;
  const TOneNestingResult r = NestParts(job);
  TQarvShapes other;
  EXPECT_FALSE(NestedLayoutOf(other, r).has_value());
}

}  // namespace plavo
