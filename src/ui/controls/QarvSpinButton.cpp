#include "ui/controls/QarvSpinButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace plavo {

namespace {

constexpr int kMinimumWidth = 15;
constexpr int kFocusInset = 3;

}  // namespace

TTimerSpeedButton::TTimerSpeedButton(QWidget* Parent) : QAbstractButton(Parent) {
  setFocusPolicy(Qt::NoFocus);
}

void TTimerSpeedButton::SetTimeBtnState(TTimeBtnStates State) {
  FTimeBtnState = State;
  update();
}

void TTimerSpeedButton::SetGlyph(const QPixmap& Glyph) {
  FGlyph = Glyph;
  update();
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* Event) {
  QAbstractButton::mousePressEvent(Event);
  if (Event->button() != Qt::LeftButton || !(FTimeBtnState & TTimeBtnState::tbAllowTimer)) return;
  if (FRepeatTimer == nullptr) {
    FRepeatTimer = new QTimer(this);
    FRepeatTimer->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5% early
    connect(FRepeatTimer, &QTimer::timeout, this, &TTimerSpeedButton::RepeatTimerFired);
  }
  FRepeatTimer->start(kFirstRepeatMs);
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* Event) {
  if (FRepeatTimer != nullptr) FRepeatTimer->stop();
  QAbstractButton::mouseReleaseEvent(Event);  // the ordinary click on release
}

void TTimerSpeedButton::RepeatTimerFired() {
  FRepeatTimer->setInterval(kRepeatMs);
  // isDown() turns false when the pointer is dragged off the arrow while held.
  if (isDown()) emit clicked(false);
}

void TTimerSpeedButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  option.initFrom(this);
  option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
  painter.drawPrimitive(QStyle::PE_PanelButtonBevel, option);
  const QPoint shift = isDown() ? QPoint(1, 1) : QPoint(0, 0);
  if (!FGlyph.isNull()) {
    const QPoint corner((width() - FGlyph.width()) / 2, (height() - FGlyph.height()) / 2);
    if (isEnabled()) {
      painter.drawPixmap(corner + shift, FGlyph);
    } else {
      painter.setOpacity(0.4);
      painter.drawPixmap(corner, FGlyph);
      painter.setOpacity(1.0);
    }
  }
  if (FTimeBtnState & TTimeBtnState::tbFocusRect) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect =
        rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset).translated(shift);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

TQarvSpinButton::TQarvSpinButton(QWidget* Parent)
    : QWidget(Parent),
      FUpButton(new TTimerSpeedButton(this)),
      FDownButton(new TTimerSpeedButton(this)),
      FFocusedButton(FUpButton) {
  setFocusPolicy(Qt::NoFocus);
  setMinimumWidth(kMinimumWidth);
  resize(20, 25);
  FUpButton->SetGlyph(DefaultGlyph(true));
  FDownButton->SetGlyph(DefaultGlyph(false));
  for (TTimerSpeedButton* button : {FUpButton, FDownButton}) {
    button->SetTimeBtnState(TTimeBtnState::tbAllowTimer);
    connect(button, &QAbstractButton::pressed, this, [this, button] { ArrowPressed(button); });
  }
  connect(FUpButton, &QAbstractButton::clicked, this, &TQarvSpinButton::UpClick);
  connect(FDownButton, &QAbstractButton::clicked, this, &TQarvSpinButton::DownClick);
  LayoutButtons();
}

QPixmap TQarvSpinButton::DefaultGlyph(bool Up) {
  QImage image(9, 6, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int row = 0; row < 4; ++row) {
    const int y = Up ? 1 + row : 4 - row;  // row 0 is the tip
    for (int x = 4 - row; x <= 4 + row; ++x) image.setPixel(x, y, qRgb(0, 0, 0));
  }
  return QPixmap::fromImage(image);
}

void TQarvSpinButton::SetUpGlyph(const QPixmap& Glyph) {
  FUpButton->SetGlyph(Glyph.isNull() ? DefaultGlyph(true) : Glyph);
}

void TQarvSpinButton::SetDownGlyph(const QPixmap& Glyph) {
  FDownButton->SetGlyph(Glyph.isNull() ? DefaultGlyph(false) : Glyph);
}

void TQarvSpinButton::ArrowPressed(TTimerSpeedButton* Button) {
  SetFocusedButton(Button);
  if (FFocusControl != nullptr && FFocusControl->isEnabled() &&
      FFocusControl->focusPolicy() != Qt::NoFocus) {
    if (!FFocusControl->hasFocus()) FFocusControl->setFocus(Qt::MouseFocusReason);
  } else if (focusPolicy() & Qt::TabFocus) {
    setFocus(Qt::MouseFocusReason);
  }
}

void TQarvSpinButton::SetFocusedButton(TTimerSpeedButton* Button) {
  FFocusedButton = Button;
  UpdateFocusRects();
}

// Only the focused arrow of a focused control shows the focus rectangle.
void TQarvSpinButton::UpdateFocusRects() {
  for (TTimerSpeedButton* button : {FUpButton, FDownButton}) {
    TTimeBtnStates state = button->TimeBtnState();
    state.setFlag(TTimeBtnState::tbFocusRect, hasFocus() && button == FFocusedButton);
    button->SetTimeBtnState(state);
  }
}

void TQarvSpinButton::focusInEvent(QFocusEvent* Event) {
  QWidget::focusInEvent(Event);
  UpdateFocusRects();
}

void TQarvSpinButton::focusOutEvent(QFocusEvent* Event) {
  QWidget::focusOutEvent(Event);
  UpdateFocusRects();
}

void TQarvSpinButton::keyPressEvent(QKeyEvent* Event) {
  switch (Event->key()) {
    case Qt::Key_Space:
      FFocusedButton->click();
      break;
    case Qt::Key_Up:
      SetFocusedButton(FUpButton);
      FUpButton->click();
      break;
    case Qt::Key_Down:
      SetFocusedButton(FDownButton);
      FDownButton->click();
      break;
    default:
      QWidget::keyPressEvent(Event);
  }
}

void TQarvSpinButton::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  LayoutButtons();
}

// The up arrow takes the upper half; the down arrow starts one pixel above its end.
void TQarvSpinButton::LayoutButtons() {
  const int upHeight = height() / 2;
  FUpButton->setGeometry(0, 0, width(), upHeight);
  FDownButton->setGeometry(0, upHeight - 1, width(), height() - upHeight + 1);
}

}  // namespace plavo
