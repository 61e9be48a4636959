// The arrow pair of the numeric field: two arrow buttons stacked in one narrow control. An
// arrow held down repeats its click: the first repeat after 400 ms, then one every 100 ms,
// and the ordinary click on release follows as with any button.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

namespace plavo {

enum class TTimeBtnState {
  tbFocusRect = 0x1,   // draw the focus rectangle
  tbAllowTimer = 0x2,  // repeat the click while held down
};
Q_DECLARE_FLAGS(TTimeBtnStates, TTimeBtnState)

// An arrow button that repeats while held. Clicks, including the repeated ones, arrive through
// QAbstractButton::clicked.
class TTimerSpeedButton : public QAbstractButton {
  Q_OBJECT

 public:
  static constexpr int kFirstRepeatMs = 400;
  static constexpr int kRepeatMs = 100;

  explicit TTimerSpeedButton(QWidget* Parent = nullptr);

  TTimeBtnStates TimeBtnState() const { return FTimeBtnState; }
  void SetTimeBtnState(TTimeBtnStates State);
  void SetGlyph(const QPixmap& Glyph);
  QPixmap Glyph() const { return FGlyph; }

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

 private:
  void RepeatTimerFired();

  QTimer* FRepeatTimer = nullptr;  // created on first use, a child of the button
  TTimeBtnStates FTimeBtnState;
  QPixmap FGlyph;
};

// The two arrows. A press on an arrow moves the keyboard focus to FocusControl (the edit) when
// that can take it, so typing and the arrows work on the same field. With the focus on this
// control itself, Space clicks the focused arrow and the Up and Down keys click their arrow.
class TQarvSpinButton : public QWidget {
  Q_OBJECT

 public:
  explicit TQarvSpinButton(QWidget* Parent = nullptr);

  TTimerSpeedButton* UpButton() const { return FUpButton; }
  TTimerSpeedButton* DownButton() const { return FDownButton; }
  // Glyphs default to the small black triangles; a null pixmap restores the default.
  void SetUpGlyph(const QPixmap& Glyph);
  void SetDownGlyph(const QPixmap& Glyph);
  QWidget* FocusControl() const { return FFocusControl; }
  // Not owned; forgotten by itself when that control is destroyed.
  void SetFocusControl(QWidget* Control) { FFocusControl = Control; }

  // The default arrow glyph: 9 x 6 pixels, a black triangle 7 pixels wide and 4 rows high in a
  // one-pixel transparent border.
  static QPixmap DefaultGlyph(bool Up);

 signals:
  void UpClick();    // OnUpClick
  void DownClick();  // OnDownClick

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;

 private:
  void ArrowPressed(TTimerSpeedButton* Button);
  void SetFocusedButton(TTimerSpeedButton* Button);
  void UpdateFocusRects();
  void LayoutButtons();

  TTimerSpeedButton* FUpButton;
  TTimerSpeedButton* FDownButton;
  TTimerSpeedButton* FFocusedButton;
  QPointer<QWidget> FFocusControl;
};

}  // namespace plavo

Q_DECLARE_OPERATORS_FOR_FLAGS(plavo::TTimeBtnStates)
