#include "ui/preview/QarvPreviewImage.h"

#include <QSignalSpy>
#include <QTest>

namespace plavo {

namespace {

TQarvPrevireSegment Line(double X0, double Y0, double X1, double Y1) {
  TQarvPrevireSegment s;
  s.StartNodeX = X0, s.StartNodeY = Y0, s.EndNodeX = X1, s.EndNodeY = Y1;
  // Far-off control points of a straight segment must count neither in the fit nor the pick.
  s.StartControlPointX = s.EndControlPointX = 1e6;
  return s;
}

TQarvPreviewShape Shape(int Index, std::vector<TQarvPrevireSegment> Segments) {
  TQarvPreviewShape shape;
  shape.Index = Index;
  TQarvPreviewPath path;
  path.Segment = std::move(Segments);
  shape.Path.push_back(path);
  return shape;
}

// A 100 x 50 rectangle from (0, 0).
TQarvPreviewShape Rectangle(int Index) {
  return Shape(
      Index, {Line(0, 0, 0, 50), Line(0, 50, 100, 50), Line(100, 50, 100, 0), Line(100, 0, 0, 0)});
}

bool IsWhite(const QImage& Image, int X, int Y) {
  return Image.pixel(X, Y) == qRgb(255, 255, 255);
}

}  // namespace

class TQarvPreviewImageTest : public QObject {
  Q_OBJECT

 private slots:
  void emptyListChangesNothingAndDrawsTheFrame() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    QVERIFY(!preview.ReCalculateConst());
    QCOMPARE(preview.PrKoeff(), 0.0);
    QVERIFY(!preview.PrKoeffCalculated());
    preview.DrawShapes();
    const QImage& canvas = preview.Canvas();
    QVERIFY(!IsWhite(canvas, 0, 50));  // frame
    QVERIFY(!IsWhite(canvas, 212, 50));
    QVERIFY(IsWhite(canvas, 106, 56));
    QCOMPARE(preview.GetSelectedShape(10), -1);
  }

  void fitsContentIntoTheCanvas() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    preview.Shapes().Shape.push_back(Rectangle(0));
    QVERIFY(preview.ReCalculateConst());
    QCOMPARE(preview.PrKoeff(), 2.0);
    QCOMPARE(preview.GetCanvasCoordinate(0, 0), QPoint(6, 106));
    QCOMPARE(preview.GetCanvasCoordinate(100, 50), QPoint(206, 6));
    preview.DrawShapes();
    QVERIFY(!IsWhite(preview.Canvas(), 6, 80));  // the rectangle's left side
    QVERIFY(IsWhite(preview.Canvas(), 106, 56));
  }

  // A single vertical line has no width and a point has no size: the fit must not divide by 0.
  void fitsContentWithoutWidthOrHeight() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    preview.Shapes().Shape.push_back(Shape(0, {Line(10, 0, 10, 50)}));
    QVERIFY(preview.ReCalculateConst());
    QCOMPARE(preview.PrKoeff(), 2.0);
    QCOMPARE(preview.GetCanvasCoordinate(10, 50), QPoint(106, 6));
    preview.Shapes().Shape = {Shape(0, {Line(3, 3, 3, 3)})};
    QVERIFY(preview.ReCalculateConst());
    QCOMPARE(preview.PrKoeff(), 2.0);  // kept
    preview.DrawShapes();
  }

  void wheelZoomStopsAtItsLimits() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    preview.Shapes().Shape.push_back(Rectangle(0));
    preview.ReCalculateConst();
    preview.SendWheel(false);  // mouse not over the control
    QCOMPARE(preview.PrKoeff(), 2.0);
    preview.SetMouseIn(true);
    preview.SendWheel(false);
    QCOMPARE(preview.PrKoeff(), 3.0);
    for (int i = 0; i < 40; ++i) preview.SendWheel(false);
    QCOMPARE(preview.PrKoeff(), TQarvPreviewImage::kMaxScale);
    for (int i = 0; i < 80; ++i) preview.SendWheel(true);
    QCOMPARE(preview.PrKoeff(), TQarvPreviewImage::kMinScale);
  }

  void dragAlongARowRedrawsOnlyAtTheEnd() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    preview.Shapes().Shape.push_back(Rectangle(0));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    preview.ReCalculateConst();
    preview.DrawShapes();
    const QImage before = preview.Canvas().copy();
    QTest::mousePress(&preview, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseMove(&preview, QPoint(120, 50));
    QVERIFY(preview.Dragging());
    QCOMPARE(preview.Canvas(), before);
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, QPoint(120, 50));
    QCOMPARE(preview.PrSP().x, 10.0);  // 20 pixels at 2 pixels per unit
    QCOMPARE(preview.GetCanvasCoordinate(0, 0), QPoint(26, 106));
    QVERIFY(preview.Canvas() != before);
  }

  void mouseTracksDocumentCoordinatesAndPicks() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    preview.Shapes().Shape = {Rectangle(-1), Rectangle(0)};
    preview.Shapes().Shape[1].Path[0].Enabled = false;  // hidden paths are still picked
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    preview.ReCalculateConst();
    QTest::mouseMove(&preview, QPoint(56, 8));  // 1 pixel below the top side
    QCOMPARE(preview.RealPointCoordinates().x, 25.0);
    QCOMPARE(preview.RealPointCoordinates().y, 49.0);
    QCOMPARE(preview.GetSelectedShape(10), 1);    // never the outline before it
    QTest::mouseMove(&preview, QPoint(106, 56));  // the middle
    QCOMPARE(preview.GetSelectedShape(10), -1);
  }

  void pickingMeasuresCurvesAndTolerance() {
    TQarvPreviewShapes shapes;
    // With 10 pixels at 0.1 pixels per unit the tolerance is 100 units, compared with the
    // squared distance: within 10 units.
    shapes.Shape.push_back(Shape(7, {Line(0, 0, 1000, 0)}));
    QCOMPARE(PickPreviewShape(shapes, {500, 9.9}, 100), 0);
    QCOMPARE(PickPreviewShape(shapes, {500, 10.1}, 100), -1);
    QCOMPARE(PickPreviewShape(shapes, {1050, 0}, 100), 0);   // in the widened box
    QCOMPARE(PickPreviewShape(shapes, {1101, 0}, 100), -1);  // beyond it

    // A cubic from (0, 0) to (100, 0) bulging up to y = 75 at its middle.
    TQarvPrevireSegment arc = Line(0, 0, 100, 0);
    arc.type_ = 1;
    arc.StartControlPointX = 0, arc.StartControlPointY = 100;
    arc.EndControlPointX = 100, arc.EndControlPointY = 100;
    shapes.Shape = {Shape(0, {arc}), Shape(1, {Line(0, 75, 100, 75)})};
    QCOMPARE(PickPreviewShape(shapes, {5.2, 31.7}, 1), 0);  // on the curve's left flank
    QCOMPARE(PickPreviewShape(shapes, {50, 1}, 1), -1);     // on the chord, not the curve
    // Over the curve's top piece (y = 73.83) and below the line (y = 75): the nearer one wins,
    // and of equal measures the earlier shape.
    QCOMPARE(PickPreviewShape(shapes, {50, 76.2}, 2), 1);
    QCOMPARE(PickPreviewShape(shapes, {50, 73}, 2), 0);
    shapes.Shape.push_back(Shape(2, {Line(0, 75, 100, 75)}));
    QCOMPARE(PickPreviewShape(shapes, {50, 76.2}, 2), 1);
  }

  void pickingInsideTakesTheInnermostShape() {
    // A 100 x 50 plate with a 40 x 30 hole, a part in the hole, all on a sheet outline.
    TQarvPreviewShape plate = Rectangle(0);
    auto box = [](double L, double B, double R, double T) {
      return std::vector{Line(L, B, L, T), Line(L, T, R, T), Line(R, T, R, B), Line(R, B, L, B)};
    };
    plate.Path.push_back(Shape(0, box(10, 10, 50, 40)).Path[0]);
    TQarvPreviewShapes shapes;
    shapes.Shape = {Shape(-1, box(-10, -10, 200, 100)), plate, Shape(1, box(20, 20, 40, 30))};
    QCOMPARE(PickPreviewShapeInside(shapes, {80, 25}), 1);
    QCOMPARE(PickPreviewShapeInside(shapes, {30, 25}), 2);
    QCOMPARE(PickPreviewShapeInside(shapes, {12, 12}), -1);  // in the hole: nothing, not the sheet
    QCOMPARE(PickPreviewShapeInside(shapes, {150, 25}), -1);
  }

  void circlesAndMissingBitmapsDraw() {
    TQarvPreviewImage preview;
    preview.resize(213, 113);
    TQarvPreviewShape shape;
    TQarvPreviewPath circle;
    circle.type_ = kPreviewCircle;
    circle.CircleX = 50, circle.CircleY = 25, circle.CircleD = 25;
    circle.Color = 0x0000FF;  // red
    TQarvPreviewPath bitmap;
    bitmap.type_ = kPreviewBitmap;
    bitmap.BitMapFileName = "/nonexistent/picture.bmp";
    bitmap.BitMapBoundBox = {0, 50, 100, 0};
    shape.Path = {circle, bitmap};
    preview.Shapes().Shape.push_back(shape);
    QVERIFY(preview.ReCalculateConst());  // the circle fits as a square of 2 x 25
    QCOMPARE(preview.PrKoeff(), 2.0);
    preview.DrawShapes();
    QCOMPARE(preview.Canvas().pixel(106, 56), qRgb(255, 0, 0));
    QVERIFY(preview.DrawMarker(50, 25, 9));
    QCOMPARE(preview.Canvas().pixel(106, 56), qRgb(255, 255, 255));
  }
};

}  // namespace plavo

QTEST_MAIN(plavo::TQarvPreviewImageTest)
#include "QarvPreviewImageTest.moc"
