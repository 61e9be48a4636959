#include "ui/preview/QarvPreviewImage.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace plavo {

namespace {

constexpr double kEmptyExtreme = 2147483647.0;
constexpr double kPixelLimit = 1 << 30;  // keeps truncated pixels and their sums in int

// Truncation toward zero, limited so that far-off content cannot overflow.
int Trunc(double X) {
  if (std::isnan(X)) return 0;
  return static_cast<int>(std::clamp(X, -kPixelLimit, kPixelLimit));
}

int RoundPixels(double X) {
  return Trunc(std::nearbyint(std::max(1.0, X)));
}

// Colours are R + 256 G + 65536 B.
QColor ToQColor(int32_t Color) {
  return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

void Widen(TQarvPreviewDRect& R, double X, double Y) {
  R.Left = std::min(R.Left, X);
  R.Right = std::max(R.Right, X);
  R.Bottom = std::min(R.Bottom, Y);
  R.Top = std::max(R.Top, Y);
}

}  // namespace

// The view transform of one drawing pass.
struct TQarvPreviewImage::TView {
  double k;             // clamped scale
  double PanX, PanY;    // document units
  int OffX, OffY;       // centring offsets, pixels
  int H1;               // canvas height - 1
  double Left, Bottom;  // content box corner

  QPoint Pixel(double X, double Y) const {
    return {Trunc((PanX + X - Left) * k) + OffX + kFitMargin,
            H1 - Trunc((PanY + Y - Bottom) * k + kFitMargin - OffY)};
  }
};

TQarvPreviewImage::TQarvPreviewImage(QWidget* Parent) : QWidget(Parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  EnsureCanvas();
}

QString TQarvPreviewImage::BitmapFile() {
  return QDir::tempPath() + QStringLiteral("/Qarv/temp/temp.bmp");
}

TQarvPreviewImage::TView TQarvPreviewImage::View(bool WithDrag) const {
  TView v{};
  v.k = std::max(std::min(FPrKoeff, kMaxScale), kMinScale);
  v.PanX = FPrSP.x;
  v.PanY = FPrSP.y;
  if (WithDrag && FPrStartM) {
    v.PanX -= FPrStartDXY.x() / v.k;
    v.PanY += FPrStartDXY.y() / v.k;
  }
  const int w1 = width() - 1;
  v.H1 = height() - 1;
  v.OffX = -Trunc(((FSRect.Right - FSRect.Left) * FPrKoeff - (w1 - 2 * kFitMargin)) / 2);
  v.OffY = Trunc(((FSRect.Top - FSRect.Bottom) * FPrKoeff - (v.H1 - 2 * kFitMargin)) / 2);
  v.Left = FSRect.Left;
  v.Bottom = FSRect.Bottom;
  return v;
}

// The canvas follows the control's size; a hidden control gets no resize events.
void TQarvPreviewImage::EnsureCanvas() {
  const QSize size(std::max(1, width()), std::max(1, height()));
  if (FCanvas.size() == size) return;
  FCanvas = QImage(size, QImage::Format_RGB32);
  FCanvas.fill(Qt::white);
}

bool TQarvPreviewImage::ReCalculateConst() {
  EnsureCanvas();
  FSRectExists = false;
  FSRect = {kEmptyExtreme, -kEmptyExtreme, kEmptyExtreme, -kEmptyExtreme};
  for (const TQarvPreviewShape& shape : FShapes.Shape) {
    for (const TQarvPreviewPath& path : shape.Path) {
      if (path.type_ == kPreviewBezierPath) {
        for (const TQarvPrevireSegment& s : path.Segment) {
          Widen(FSRect, s.StartNodeX, s.StartNodeY);
          Widen(FSRect, s.EndNodeX, s.EndNodeY);
          if (s.type_ != 0) {
            Widen(FSRect, s.StartControlPointX, s.StartControlPointY);
            Widen(FSRect, s.EndControlPointX, s.EndControlPointY);
          }
          FSRectExists = true;
        }
      } else if (path.type_ == kPreviewCircle) {
        Widen(FSRect, path.CircleX - path.CircleD, path.CircleY - path.CircleD);
        Widen(FSRect, path.CircleX + path.CircleD, path.CircleY + path.CircleD);
        FSRectExists = true;
      }
    }
  }
  if (!FSRectExists) return false;

  // A box without width or height (one straight line, one point) fits by its other extent.
  const double w = FSRect.Right - FSRect.Left, h = FSRect.Top - FSRect.Bottom;
  const double kx = w > 0 ? (FCanvas.width() - 1 - 2 * kFitMargin) / w : HUGE_VAL;
  const double ky = h > 0 ? (FCanvas.height() - 1 - 2 * kFitMargin) / h : HUGE_VAL;
  double k = ky > kx ? kx : ky;
  if (k == HUGE_VAL) k = FPrKoeff > 0 ? FPrKoeff : 1.0;
  FPrSP = {0.0, 0.0};
  FPrKoeff = std::max(std::min(k, kMaxScale), kMinScale);
  FPrKoeffCalculated = true;
  return true;
}

void TQarvPreviewImage::DrawPath(QPainter& Painter, const TQarvPreviewPath& Path,
                                 const TView& V) const {
  const QColor color = ToQColor(Path.Color);
  if (Path.type_ == kPreviewBitmap) {
    if (FPrStartM || Path.BitMapFileName.empty() ||
        !QFileInfo::exists(QString::fromStdString(Path.BitMapFileName))) {
      return;
    }
    const QImage image(BitmapFile());
    if (image.isNull()) return;  // missing or unreadable: nothing drawn
    const TRectBitmapDbl& box = Path.BitMapBoundBox;
    const QPoint corner = V.Pixel(box.Left, box.Top);
    Painter.drawImage(QRect(corner.x(), corner.y(), RoundPixels((box.Right - box.Left) * V.k),
                            RoundPixels((box.Top - box.Bottom) * V.k)),
                      image);
  } else if (Path.type_ == kPreviewCircle) {
    if (FPrStartM) return;
    const int d = RoundPixels(Path.CircleD * V.k);
    const QPoint centre = V.Pixel(Path.CircleX, Path.CircleY);
    const QRect square(centre.x() - d / 2, centre.y() - d / 2, d, d);
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(color);
    Painter.drawEllipse(square);
    Painter.setPen(QPen(Qt::black, 1));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawEllipse(square);
  } else if (Path.type_ == kPreviewBezierPath && !Path.Segment.empty()) {
    const TQarvPrevireSegment& first = Path.Segment.front();
    QPoint start = V.Pixel(first.StartNodeX, first.StartNodeY);
    QPainterPath curve(start);
    int minX = start.x(), maxX = start.x(), minY = start.y(), maxY = start.y();
    auto widen = [&](QPoint p) {
      minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
      minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    };
    for (const TQarvPrevireSegment& s : Path.Segment) {
      const QPoint end = V.Pixel(s.EndNodeX, s.EndNodeY);
      if (s.type_ == 1) {
        const QPoint c1 = V.Pixel(s.StartControlPointX, s.StartControlPointY);
        const QPoint c2 = V.Pixel(s.EndControlPointX, s.EndControlPointY);
        curve.cubicTo(c1, c2, end);
        widen(c1), widen(c2);
      } else {
        curve.lineTo(end);  // a cubic with its ends as controls, drawn straight
      }
      widen(end);
    }
    const QRect bounds(QPoint(minX, minY), QPoint(maxX, maxY));
    const int pen = std::max(1, Path.PenWidth);
    if (!bounds.adjusted(-pen, -pen, pen, pen).intersects(FCanvas.rect())) return;
    Painter.setPen(QPen(color, pen, Path.Dashed ? Qt::DashLine : Qt::SolidLine));
    Painter.setBrush(Qt::NoBrush);
    if (FPrStartM) {
      Painter.drawRect(bounds);
    } else {
      Painter.drawPath(curve);
    }
  }
}

bool TQarvPreviewImage::DrawShapes() {
  EnsureCanvas();
  QPainter painter(&FCanvas);
  painter.setRenderHint(QPainter::Antialiasing);
  // Integer coordinates name pixel centres, as the platform's drawing has it.
  painter.translate(0.5, 0.5);
  const int w1 = FCanvas.width() - 1, h1 = FCanvas.height() - 1;
  painter.fillRect(QRect(-1, -1, FCanvas.width() + 1, FCanvas.height() + 1), Qt::white);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(0, 0, w1, h1);
  const TView view = View(true);
  for (const TQarvPreviewShape& shape : FShapes.Shape) {
    for (const TQarvPreviewPath& path : shape.Path) {
      if (path.Enabled) DrawPath(painter, path, view);
    }
  }
  painter.end();
  emit Drawn();
  update();
  return true;
}

bool TQarvPreviewImage::DrawMarker(double x, double y, int r) {
  if (FPrStartM) return false;
  EnsureCanvas();
  QPainter painter(&FCanvas);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(0.5, 0.5);
  const QPoint centre = View(false).Pixel(x, y);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawEllipse(QRect(centre.x() - r / 2, centre.y() - r / 2, r, r));
  painter.end();
  update();
  return true;
}

QPoint TQarvPreviewImage::GetCanvasCoordinate(double px, double py) const {
  const TView v = View(false);
  return {Trunc((px - FSRect.Left + FPrSP.x) * v.k + v.OffX + kFitMargin),
          Trunc(height() - 7 + v.OffY - (py - FSRect.Bottom + FPrSP.y) * v.k)};
}

int TQarvPreviewImage::GetSelectedShape(double HotPixelArea) const {
  const double k = View(false).k;
  return PickPreviewShape(FShapes, FRealPointCoordinates, HotPixelArea / k);
}

int TQarvPreviewImage::GetShapeAt(double HotPixelArea) const {
  const int near = GetSelectedShape(HotPixelArea);
  return near >= 0 ? near : PickPreviewShapeInside(FShapes, FRealPointCoordinates);
}

// Zooms about the mouse: the pan moves a third (out) or a half (in) of the mouse's distance
// from the control's centre.
void TQarvPreviewImage::Zoom(bool Out) {
  const int dx = FPrMousePos.x() - width() / 2;
  const int dy = FPrMousePos.y() - height() / 2;
  if (Out) {
    FPrKoeff = std::max(kMinScale, FPrKoeff / kWheelStep);
    const double k = View(false).k;
    FPrSP.x += dx / k / 3;
    FPrSP.y -= dy / k / 3;
  } else {
    FPrKoeff = std::min(kMaxScale, FPrKoeff * kWheelStep);
    const double k = View(false).k;
    FPrSP.x -= dx / k / 2;
    FPrSP.y += dy / k / 2;
  }
  DrawShapes();
}

void TQarvPreviewImage::SendWheel(bool UpDown) {
  if (!FPrMouseIn) return;
  Zoom(UpDown);
}

void TQarvPreviewImage::wheelEvent(QWheelEvent* Event) {
  const int delta = Event->angleDelta().y();
  if (delta != 0) Zoom(delta < 0);
  Event->accept();
}

void TQarvPreviewImage::mousePressEvent(QMouseEvent* Event) {
  const QPoint p = Event->position().toPoint();
  emit MouseDown(Event->button(), Event->modifiers(), p);
  FPrMouseMoved = false;
  FPrStartPoint = p;
  FPrStartDXY = QPoint(0, 0);
  FPrStartM = true;
}

void TQarvPreviewImage::mouseMoveEvent(QMouseEvent* Event) {
  const QPoint p = Event->position().toPoint();
  emit MouseMove(Event->modifiers(), p);
  FPrMousePos = p;
  if (FPrStartM) {
    FPrMouseMoved = true;
    FPrStartDXY = FPrStartPoint - p;
    // A move exactly along a row or column from the start point does not redraw.
    if (FPrStartDXY.x() != 0 && FPrStartDXY.y() != 0) DrawShapes();
  }
  if (!FShapes.Shape.empty()) {
    const TView v = View(false);
    FRealPointCoordinates.x = (p.x() - (v.OffX + kFitMargin)) / v.k - FPrSP.x + FSRect.Left;
    FRealPointCoordinates.y =
        (v.OffY + (v.H1 - p.y() - kFitMargin)) / v.k - FPrSP.y + FSRect.Bottom;
  }
}

void TQarvPreviewImage::mouseReleaseEvent(QMouseEvent* Event) {
  FPrStartM = false;
  const double k = View(false).k;
  FPrSP.x -= FPrStartDXY.x() / k;
  FPrSP.y += FPrStartDXY.y() / k;
  FPrStartDXY = QPoint(0, 0);
  if (FPrMouseMoved) DrawShapes();
  emit MouseUp(Event->button(), Event->modifiers(), Event->position().toPoint());
}

void TQarvPreviewImage::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  EnsureCanvas();
  if (FPrKoeffCalculated) DrawShapes();
}

void TQarvPreviewImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, FCanvas);
}

}  // namespace plavo
