// The result display: the drawing as read, or the result on show laid out on its sheets by the
// same transform the writers use, the sheet outlines with their used heights, the height labels
// and the message about shapes that found no place; the status line with the figures of the
// result on show; the units.
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

#include "app/window/MosaroForm.h"
#include "core/Version.h"
#include "nesting/NestRun.h"
#include "nesting/result/ResultLayout.h"
#include "ui/controls/QarvNumericEditSpin.h"
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
constexpr int kLabelRise = 15;  // pixels from a sheet's top-left corner up to its label
constexpr int kLabelRows = 3;   // rows a label may step down to keep clear of its neighbours
constexpr int kNotFitHeight = 40;

// The units list's items: the word written after a length, its digits, and millimetres per unit.
struct TUnit {
  const char* Word;
  int Decimals;
  double Millimetres;
};
constexpr std::array<TUnit, 3> kUnits = {{{"mm", 2, 1.0}, {"m", 5, 1000.0}, {"inch", 3, 25.4}}};
// About's words on the lengths, per unit.
constexpr std::array<const char*, 3> kUnitSentences = {
    "All lengths in millimetres.", "All lengths in metres.", "All lengths in inches."};

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
TQarvPreviewShape DrawnShape(const TQarvOneShape& Shape, int Index, TNodeSimple Shift) {
  TQarvPreviewShape out;
  out.Index = Index;
  const TQarvOneCurve* curve = Shape.Curve();
  if (curve == nullptr) return out;
  auto moved = [Shift](TNodeSimple P) { return TNodeSimple{P.X + Shift.X, P.Y + Shift.Y}; };
  for (int p = 0; p < curve->PathCount(); ++p) {
    const TQarvOnePath* path = curve->GetPath(p);
    TQarvPreviewPath item;
    item.Color = ShapeColor(Shape.Color());
    for (int k = 0; k < path->SegmentCount(); ++k) {
      const TSegmentView s = path->GetSegment(k);
      item.Segment.push_back(PreviewSegment(s->Type_(), moved(s->StartNode()),
                                            moved(s->StartControlNode()),
                                            moved(s->EndControlNode()), moved(s->EndNode())));
    }
    out.Path.push_back(std::move(item));
  }
  return out;
}

// Shape placed on its sheet by the writers' transform.
TQarvPreviewShape PlacedShape(const TQarvOneShape& Shape, int Index, const TPlacementTransform& T) {
  TQarvPreviewShape out;
  out.Index = Index;
  for (const TPlacedPath& path : PlaceShapePaths(T, Shape)) {
    TQarvPreviewPath item;
    item.Color = ShapeColor(Shape.Color());
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

// A sheet's used height in mm and in inches (cut to two decimals), or in mm only (Short).
QString HeightLabel(int Height, const QString& Inch, bool Short) {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  if (Short) return QStringLiteral(" %1 mm ").arg(locale.toString(Height));
  const double inch = std::trunc(Height / kMmPerInch * 100.0) / 100.0;
  return QStringLiteral("  %1 mm (%2 %3)  ")
      .arg(locale.toString(Height), locale.toString(inch, 'g', 15), Inch);
}

}  // namespace

const TOneNestingResult* TMosaroFm::ShownResult() const {
  if (!FHasResult || FCurrent < 0 || static_cast<size_t>(FCurrent) >= FResults.size()) {
    return nullptr;
  }
  const TOneNestingResult& r = FResults[static_cast<size_t>(FCurrent)];
  return ResultFitsDrawing(FJob.Drawing(), r) ? &r : nullptr;
}

void TMosaroFm::StyleShape(TQarvPreviewShape& Shape, bool Selected) const {
  const int32_t attr = FJob.UserAttr(Shape.Index);
  const bool container = (attr & kUserContainerMask) == kUserContainer;
  for (TQarvPreviewPath& path : Shape.Path) {
    path.PenWidth = Selected || container ? kMarkedPen : 1;
    path.Dashed = (attr & kUserProcess) == 0;
  }
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
      list.Shape.push_back(DrawnShape(*drawing.GetShape(i), i, {0.0, 0.0}));
      StyleShape(list.Shape.back(), false);
    }
  } else {
    // A shape's first copy in its shape's slot, further copies after all the shapes.
    list.Shape.resize(static_cast<size_t>(drawing.ShapeCount()));
    for (int i = 0; i < drawing.ShapeCount(); ++i) list.Shape[static_cast<size_t>(i)].Index = i;
    std::vector<TQarvPreviewShape> copies;
    const auto put = [&](size_t r, TQarvPreviewShape Shape) {
      if (CopyIndexOf(*result, r) == 0) {
        list.Shape[static_cast<size_t>(result->ShapeIndex[r])] = std::move(Shape);
      } else {
        copies.push_back(std::move(Shape));
      }
    };
    for (size_t r = 0; r < result->Place.size(); ++r) {
      TPlacementTransform t;
      if (!PlacementTransform(drawing, *result, static_cast<int>(r), t)) continue;
      const int shape = result->ShapeIndex[r];
      put(r, PlacedShape(*drawing.GetShape(shape), shape, t));
    }
    for (const TUnplacedSlot& slot : UnplacedRow(drawing, *result)) {
      const auto r = static_cast<size_t>(slot.Index);
      const int shape = result->ShapeIndex[r];
      put(r, DrawnShape(*drawing.GetShape(shape), shape, slot.Shift));
      if (!slot.LeftOut) ++FUnplacedShown;
    }
    for (TQarvPreviewShape& copy : copies) list.Shape.push_back(std::move(copy));
    for (TQarvPreviewShape& shape : list.Shape) StyleShape(shape, false);
    for (int j = 0; j < sheets; ++j) list.Shape.push_back(SheetShape(SheetOutline(*result, j)));
  }
  if (Recalculate) FPreview->ReCalculateConst();
  FPreview->DrawShapes();
  UpdateStatusLine();
}

void TMosaroFm::ZoomToFit() {
  FPreview->ReCalculateConst();
  FPreview->DrawShapes();
}

// What goes onto the canvas after the shapes, each time the preview draws them.
void TMosaroFm::DrawDecorations() {
  DrawHeightLabels();
  DrawCopyMarks();
  if (FUnplacedShown > 0) DrawNotFitMessage(FUnplacedShown);
  FPreview->update();
}

// A label sits above its sheet's top-left corner; where it would cover a neighbour's it is
// shortened to millimetres, then stepped down a row, and left out when no row is free.
void TMosaroFm::DrawHeightLabels() {
  const TOneNestingResult* result = ShownResult();
  if (result == nullptr) return;
  QPainter painter(&FPreview->Canvas());
  painter.setPen(Qt::black);
  painter.setBackground(Qt::white);
  painter.setBackgroundMode(Qt::OpaqueMode);
  const QFontMetrics metrics = painter.fontMetrics();
  const QString inch = Text("inch");
  std::vector<QRect> taken;
  for (int j = 0; j < UsedSheetCount(*result); ++j) {
    const TSheetOutline s = SheetOutline(*result, j);
    QPoint anchor = FPreview->GetCanvasCoordinate(s.Position.x, s.Position.y + s.Height);
    if (anchor.y() >= 0 && anchor.y() <= 17) anchor.setY(17);
    const int height = SheetUsedTop(*result, j);
    for (int k = 0; k <= kLabelRows; ++k) {
      const QString text = HeightLabel(height, inch, k > 0);
      const int row = std::max(0, k - 1);
      const QRect box(anchor.x() + 2, anchor.y() - kLabelRise + row * metrics.height(),
                      metrics.horizontalAdvance(text), metrics.height());
      const bool clear = std::none_of(taken.begin(), taken.end(),
                                      [&box](const QRect& t) { return t.intersects(box); });
      if (!clear) continue;
      painter.drawText(box.left(), box.top() + metrics.ascent(), text);
      taken.push_back(box);
      break;
    }
  }
}

// Along the bottom of the preview, clear of the row of unplaced shapes above the sheets.
void TMosaroFm::DrawNotFitMessage(int Count) {
  QImage& canvas = FPreview->Canvas();
  const int r = canvas.width(), b = canvas.height();
  const QRect box(QPoint(r / 4, b - kNotFitHeight - 6), QPoint(3 * r / 4, b - 6));
  QPainter painter(&canvas);
  painter.fillRect(box, QColor(kNotFitBackground));
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter,
                   Text("Shapes does not fit sheet size:") + QStringLiteral(" %1 !").arg(Count));
  painter.drawRect(box);
}

QString TMosaroFm::Length(double Millimetres) const {
  const TUnit& unit = kUnits[static_cast<size_t>(std::clamp(FUnits->currentIndex(), 0, 2))];
  return QLocale().toString(Millimetres / unit.Millimetres, 'f', unit.Decimals) + QLatin1Char(' ') +
         Text(unit.Word);
}

// The figures of the result on show (as the command line reports them), or of the drawing.
void TMosaroFm::UpdateStatusLine() {
  QStringList parts;
  const TOneNestingResult* result = ShownResult();
  if (result == nullptr) {
    if (!FFileName.isEmpty()) parts << Text("Shapes: %1").arg(FJob.ShapeCount());
    if (FJob.PartCount() > FJob.ShapeCount()) parts << Text("Parts: %1").arg(FJob.PartCount());
    if (!FResults.empty()) parts << Text("Results: %1").arg(FResults.size());
  } else {
    int placed = 0, total = 0;
    for (size_t i = 0; i < result->Place.size(); ++i) {
      placed += result->Place[i].placed ? 1 : 0;
      total += LeftOutOf(*result, i) ? 0 : 1;
    }
    const TLayoutCheck& check = FNotes[static_cast<size_t>(FCurrent)].Check;
    const TNestReport report = ComputeNestReport(*result, 0.0);
    parts << Text("Result %1 of %2").arg(FCurrent + 1).arg(FResults.size())
          << Text("Sheets: %1").arg(UsedSheetCount(*result))
          << Text("Placed: %1 of %2").arg(placed).arg(total)
          << Text("Utilisation: %1 %").arg(QLocale().toString(report.Utilisation * 100, 'f', 1))
          << Text("Smallest gap: %1")
                 .arg(check.MinGap == kNoGap ? QStringLiteral("\u2013") : Length(check.MinGap))
          << Text("Overhang: %1").arg(Length(check.Overhang));
    // With copies, which shapes' copies found no place.
    const bool copies = std::any_of(result->CopyIndex.begin(), result->CopyIndex.end(),
                                    [](int32_t c) { return c > 0; });
    for (const TUnplacedCopies& u :
         copies ? SummariseParts(report).Unplaced : std::vector<TUnplacedCopies>()) {
      parts << Text("Copies of shape %1 that did not fit: %2").arg(u.Shape).arg(u.Copies);
    }
  }
  FStatusLine->setText(parts.join(QStringLiteral("   \u00b7   ")));
}

void TMosaroFm::ecUnitsChange() {
  SetSpinEditUnits(this, FUnits->currentIndex(), 0);
  UpdateStatusLine();
}

void TMosaroFm::ools1Click() {
  const size_t unit = static_cast<size_t>(std::clamp(FUnits->currentIndex(), 0, 2));
  FDialogs->ShowAbout(this, QStringLiteral("<b>Plavo</b> ") + QString::fromLatin1(PlavoVersion()) +
                                QStringLiteral("<br>") +
                                Text("Nests flat shapes on rectangular sheets.") +
                                QStringLiteral("<br>") + Text(kUnitSentences[unit]));
}

}  // namespace plavo
