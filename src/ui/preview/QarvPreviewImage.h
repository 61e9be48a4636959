// The picture control that shows the drawing or a nesting result. The owner fills the display
// list (Shapes()), calls ReCalculateConst() to fit the view and DrawShapes() to draw; the user
// zooms with the wheel, pans by dragging, and the owner asks which shape lies under the mouse.
//
// The view maps a document point to pixels with one scale PrKoeff (pixels per unit, kept in
// [0.001, 1000]) and a pan PrSP (units): the content box is centred in the canvas less a
// 6-pixel margin, Y downward. Drawing goes to an off-screen canvas the size of the control,
// which paintEvent only copies; the owner may draw labels onto Canvas() after DrawShapes().
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include "ui/preview/PreviewShapes.h"

namespace plavo {

class TQarvPreviewImage : public QWidget {
  Q_OBJECT

 public:
  static constexpr double kMaxScale = 1000.0;
  static constexpr double kMinScale = 0.001;
  static constexpr double kWheelStep = 1.5;
  static constexpr int kFitMargin = 6;          // pixels on each side
  static constexpr double kPickTolerance = 10;  // pixels, as the window picks

  explicit TQarvPreviewImage(QWidget* Parent = nullptr);

  // The display list; after changing it call ReCalculateConst (to refit) and DrawShapes.
  TQarvPreviewShapes& Shapes() { return FShapes; }
  const TQarvPreviewShapes& Shapes() const { return FShapes; }

  // Fits the scale to the content and resets the pan. Without content nothing changes. Content
  // without width or height fits by its other extent (a single point keeps the scale, or 1).
  bool ReCalculateConst();
  // Redraws the whole canvas and schedules a repaint. During a drag paths are drawn as their
  // bounding rectangles only, and circles and bitmaps are skipped.
  bool DrawShapes();
  // A white circle of R pixels with a black outline at the document point (x, y).
  bool DrawMarker(double x, double y, int r);
  // Wheel zoom from the window's wheel handler: out when UpDown, else in; only while the
  // mouse is over the control (SetMouseIn). Wheel events over the control itself zoom without
  // this and are accepted there, so the window does not see them a second time.
  void SendWheel(bool UpDown);
  // The pickable shape nearest to the mouse within HotPixelArea pixels, or -1.
  int GetSelectedShape(double HotPixelArea) const;
  // As GetSelectedShape, else the shape the mouse is inside of, or -1.
  int GetShapeAt(double HotPixelArea) const;
  // Document point to canvas pixel, without any drag in progress.
  QPoint GetCanvasCoordinate(double px, double py) const;
  // The mouse position in document units, updated on every mouse move.
  TQarvPreviewBezierNode RealPointCoordinates() const { return FRealPointCoordinates; }

  double PrKoeff() const { return FPrKoeff; }
  TQarvPreviewBezierNode PrSP() const { return FPrSP; }
  const TQarvPreviewDRect& SRect() const { return FSRect; }
  bool SRectExists() const { return FSRectExists; }
  bool PrKoeffCalculated() const { return FPrKoeffCalculated; }
  bool Dragging() const { return FPrStartM; }
  // The owner's enter and leave handlers keep this, since the wheel reaches the window.
  bool MouseIn() const { return FPrMouseIn; }
  void SetMouseIn(bool In) { FPrMouseIn = In; }

  QImage& Canvas() {
    EnsureCanvas();
    return FCanvas;
  }
  const QImage& Canvas() const { return FCanvas; }

  // The file drawn for bitmap items: Qarv/temp/temp.bmp under the system's temporary folder.
  static QString BitmapFile();

 signals:
  // The owner's mouse events: down and move before the control's own work, up after it.
  void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position);
  void MouseMove(Qt::KeyboardModifiers Shift, QPoint Position);
  void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position);
  // The canvas was drawn anew (also on a resize, a zoom or a drag): the owner's labels go on it
  // now.
  void Drawn();

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;

 private:
  struct TView;
  TView View(bool WithDrag) const;
  void Zoom(bool Out);
  void EnsureCanvas();
  void DrawPath(class QPainter& Painter, const TQarvPreviewPath& Path, const TView& V) const;

  QPoint FPrStartPoint;    // mouse position at mouse-down
  bool FPrStartM = false;  // a drag is under way
  QPoint FPrStartDXY;      // start point minus the current mouse position during a drag
  bool FPrMouseMoved = false;
  QPoint FPrMousePos;
  double FPrKoeff = 0.0;  // 0 until the first fit
  TQarvPreviewBezierNode FPrSP;
  TQarvPreviewDRect FSRect;
  bool FSRectExists = false;
  TQarvPreviewShapes FShapes;
  bool FPrMouseIn = false;
  bool FPrKoeffCalculated = false;
  TQarvPreviewBezierNode FRealPointCoordinates;
  QImage FCanvas;
};

}  // namespace plavo
