// The result display: the drawing as read, or the result on show laid out on its sheets by the
// same transform the writers use, the sheet outlines with their used heights, the height labels
// and the message about shapes that found no place.
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "app/window/MosaroForm.h"
#include "nesting/result/ResultLayout.h"
#include "ui/preview/QarvPreviewImage.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

namespace {

constexpr int32_t kUsedSheetColor = 0xB799FF;
constexpr int32_t kEmptySheetColor = 0xFFFFFF;
constexpr QRgb kNotFitBackground = 0xFFD0D0;  // 0xD0D0FF as R + 256 G + 65536 B
constexpr int kColorCap = 0xE0;               // keeps white shapes visible on the white canvas
constexpr int kMarkedPen = 3;
constexpr double kMmPerInch = 25.4;

int32_t ShapeColor(const TShapeColor& C) {
  const int32_t base = C.Fill >= 0 ? C.Fill : (C.Outline >= 0 ? C.Outline : 0);
  int32_t capped = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    capped |= std::min((base >> shift) & 0xFF, kColorCap) << shift;
  }
  return capped;
}

TQarvPrevireSegment PreviewSegment(int8_t Type, TNodeSimple S, TNodeSimple SC, TNodeSimple EC,
                                   TNodeSimple E) {
  TQarvPrevireSegment p;
  p.type_ = static_cast<uint8_t>(Type);
  p.StartNodeX = S.X, p.StartNodeY = S.Y;
  p.StartControlPointX = SC.X, p.StartControlPointY = SC.Y;
  p.EndControlPointX = EC.X, p.EndControlPointY = EC.Y;
  p.EndNodeX = E.X, p.EndNodeY = E.Y;
  return p;
}

TQarvPrevireSegment Line(double X0, double Y0, double X1, double Y1) {
  return PreviewSegment(0, {X0, Y0}, {X0, Y0}, {X1, Y1}, {X1, Y1});
}

// Shape as the drawing has it, moved by Shift.
TQarvPreviewShape DrawnShape(const TQarvOneShape& Shape, int Index, TNodeSimple Shift,
                             int PenWidth) {
  TQarvPreviewShape out;
  out.Index = Index;
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) return out;
  auto moved = [Shift](TNodeSimple P) { return TNodeSimple{P.X + Shift.X, P.Y + Shift.Y}; };
  for (int p = 0; p < curve->PathCount(); ++p) {
    const TQarvOnePath* path = curve->GetPath(p);
    TQarvPreviewPath item;
    item.Color = ShapeColor(Shape.Color());
    item.PenWidth = PenWidth;
    for (int k = 0; k < path->SegmentCount(); ++k) {
      const TQarvOneSegment* s = path->GetSegment(k);
      item.Segment.push_back(PreviewSegment(s->Type_(), moved(s->StartNode()),
                                            moved(s->StartControlNode()),
                                            moved(s->EndControlNode()), moved(s->EndNode())));
    }
    out.Path.push_back(std::move(item));
  }
  return out;
}

// Shape placed on its sheet by the writers' transform.
TQarvPreviewShape PlacedShape(const TQarvOneShape& Shape, int Index, const TPlacementTransform& T,
                              int PenWidth) {
  TQarvPreviewShape out;
  out.Index = Index;
  for (const TPlacedPath& path : PlaceShapePaths(T, Shape)) {
    TQarvPreviewPath item;
    item.Color = ShapeColor(Shape.Color());
    item.PenWidth = PenWidth;
    for (const TPlacedSegment& s : path.Segments) {
      item.Segment.push_back(PreviewSegment(s.Type_, s.Start, s.StartControl, s.EndControl, s.End));
    }
    out.Path.push_back(std::move(item));
  }
  return out;
}

// Border, used-height line, and the unused part above it crossed out.
TQarvPreviewShape SheetShape(const TSheetOutline& S) {
  const double x = S.Position.x, y = S.Position.y, w = S.Width, h = S.Height, u = S.UsedHeight;
  TQarvPreviewPath path;
  path.Color = S.HasShape ? kUsedSheetColor : kEmptySheetColor;
  path.Segment = {
      Line(x, y, x, y + h),         Line(x, y + h, x + w, y + h), Line(x + w, y + h, x + w, y),
      Line(x + w, y, x, y),         Line(x, y, x, y + u),         Line(x, y + u, x + w, y + u),
      Line(x + w, y + u, x, y + h), Line(x, y + h, x + w, y + h), Line(x + w, y + h, x, y + u)};
  TQarvPreviewShape shape;
  shape.Index = -1;
  shape.Path.push_back(std::move(path));
  return shape;
}

QString HeightLabel(int Height) {
  const double inch = std::trunc(Height / kMmPerInch * 100.0) / 100.0;
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return QStringLiteral("  %1 mm (%2 inch)  ")
      .arg(locale.toString(Height), locale.toString(inch, 'g', 15));
}

}  // namespace

const TOneNestingResult* TMosaroFm::ShownResult() const {
  if (!FHasResult || FCurrent < 0 || static_cast<size_t>(FCurrent) >= FResults.size()) {
    return nullptr;
  }
  const TOneNestingResult& r = FResults[static_cast<size_t>(FCurrent)];
  return ResultFitsDrawing(FJob.Drawing(), r) ? &r : nullptr;
}

void TMosaroFm::FillPreviewImage(bool Recalculate) {
  const TQarvShapes& drawing = FJob.Drawing();
  const TOneNestingResult* result = ShownResult();
  const int sheets = result != nullptr ? UsedSheetCount(*result) : 0;
  TQarvPreviewShapes& list = FPreview->Shapes();
  list.Shape.clear();
  FUnplacedShown = 0;
  if (result == nullptr || sheets == 0) {
    // The drawing as read (also when no shape found a place: nothing is moved then).
    for (int i = 0; i < drawing.ShapeCount(); ++i) {
      const int pen = (FJob.UserAttr(i) & kUserContainerMask) == kUserContainer ? kMarkedPen : 1;
      list.Shape.push_back(DrawnShape(*drawing.GetShape(i), i, {0.0, 0.0}, pen));
    }
  } else {
    list.Shape.resize(static_cast<size_t>(drawing.ShapeCount()));
    for (int i = 0; i < drawing.ShapeCount(); ++i) list.Shape[static_cast<size_t>(i)].Index = i;
    for (size_t r = 0; r < result->Place.size(); ++r) {
      TPlacementTransform t;
      if (!PlacementTransform(drawing, *result, static_cast<int>(r), t)) continue;
      const int shape = result->ShapeIndex[r];
      const int pen =
          (FJob.UserAttr(shape) & kUserContainerMask) == kUserContainer ? kMarkedPen : 1;
      list.Shape[static_cast<size_t>(shape)] = PlacedShape(*drawing.GetShape(shape), shape, t, pen);
    }
    const std::vector<TUnplacedSlot> row = UnplacedRow(drawing, *result);
    for (const TUnplacedSlot& slot : row) {
      const int shape = result->ShapeIndex[static_cast<size_t>(slot.Index)];
      list.Shape[static_cast<size_t>(shape)] =
          DrawnShape(*drawing.GetShape(shape), shape, slot.Shift, 1);
    }
    FUnplacedShown = static_cast<int>(row.size());
    for (int j = 0; j < sheets; ++j) list.Shape.push_back(SheetShape(SheetOutline(*result, j)));
  }
  if (Recalculate) FPreview->ReCalculateConst();
  FPreview->DrawShapes();
  DrawHeightLabels();
  if (FUnplacedShown > 0) DrawNotFitMessage(FUnplacedShown);
}

void TMosaroFm::DrawHeightLabels() {
  const TOneNestingResult* result = ShownResult();
  if (result == nullptr) return;
  QPainter painter(&FPreview->Canvas());
  painter.setPen(Qt::black);
  painter.setBackground(Qt::white);
  painter.setBackgroundMode(Qt::OpaqueMode);
  for (int j = 0; j < UsedSheetCount(*result); ++j) {
    const TSheetOutline s = SheetOutline(*result, j);
    QPoint anchor = FPreview->GetCanvasCoordinate(s.Position.x, s.Position.y + s.Height);
    if (anchor.y() >= 0 && anchor.y() <= 17) anchor.setY(17);
    painter.drawText(anchor.x() + 2, anchor.y() - 15 + painter.fontMetrics().ascent(),
                     HeightLabel(SheetUsedTop(*result, j)));
  }
  FPreview->update();
}

void TMosaroFm::DrawNotFitMessage(int Count) {
  QImage& canvas = FPreview->Canvas();
  const int r = canvas.width(), b = canvas.height();
  const QRect box(QPoint(r / 4, b / 2 - 20), QPoint(3 * r / 4, b / 2 + 20));
  QPainter painter(&canvas);
  painter.fillRect(box, QColor(kNotFitBackground));
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter,
                   Text("Shapes does not fit sheet size:") + QStringLiteral(" %1 !").arg(Count));
  painter.drawRect(box);
  FPreview->update();
}

}  // namespace plavo
