#include "ui/controls/QarvNumericEditSpin.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace plavo {

namespace {

constexpr double kInchKoef = 0.03937007874015748;  // 1 / 25.4
constexpr int kButtonWidth = 15;
constexpr int kButtonHeight = 17;
constexpr double kFixedNotationLimit = 1e15;  // beyond 15 significant digits

QLocale NumberLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

QChar DecimalSeparator() {
  return QLocale().decimalPoint().front();
}

// Halves to even, as the field rounds everywhere (nearbyint under the default rounding mode);
// adding 0 turns -0 into 0, which would otherwise show as "-0".
double RoundHalfEven(double X) {
  return std::nearbyint(X) + 0.0;
}

bool IsControlChar(QChar Key) {
  return Key.unicode() < 32;
}

}  // namespace

TQarvSpinEdit::TQarvSpinEdit(QWidget* Parent)
    : QLineEdit(Parent), FButton(new TQarvSpinButton(this)) {
  resize(50, 21);
  FButton->resize(kButtonWidth, kButtonHeight);
  FButton->SetFocusControl(this);
  connect(FButton, &TQarvSpinButton::UpClick, this, &TQarvSpinEdit::UpClick);
  connect(FButton, &TQarvSpinButton::DownClick, this, &TQarvSpinEdit::DownClick);
  connect(this, &QLineEdit::textChanged, this, &TQarvSpinEdit::TextChanged);
  WriteOwnText(QStringLiteral("0"));
  LayoutButton();
}

double TQarvSpinEdit::ClampValue(double X) const {
  return FMinValue == FMaxValue ? X : std::clamp(X, FMinValue, FMaxValue);
}

double TQarvSpinEdit::ClampKoef(double X) const {
  return FMinKoef == FMaxKoef ? X : std::clamp(X, FMinKoef, FMaxKoef);
}

QString TQarvSpinEdit::FormatShown(double Shown) const {
  const QLocale locale = NumberLocale();
  if (FValueType == TQarvValueType::vtInteger) return locale.toString(RoundHalfEven(Shown), 'f', 0);
  if (std::fabs(Shown) >= kFixedNotationLimit) return locale.toString(Shown, 'g', 15);
  return locale.toString(Shown, 'f', FDecimal);
}

void TQarvSpinEdit::WriteOwnText(const QString& Text) {
  StopCheck = true;
  setText(Text);
  StopCheck = false;
}

void TQarvSpinEdit::SetValue(double X) {
  if (!std::isfinite(X)) return;
  FValue = ClampValue(X);
  WriteOwnText(FormatShown(FValue * FKoef));
}

int TQarvSpinEdit::ValueInteger() const {
  return static_cast<int>(RoundHalfEven(FValue));
}

void TQarvSpinEdit::SetKoef(double X) {
  if (!std::isfinite(X) || X == 0.0) return;
  FKoef = ClampKoef(X);
  WriteOwnText(FormatShown(ClampValue(FValue) * FKoef));
}

void TQarvSpinEdit::SetConvertTo(TQarvConvertType Unit) {
  if (!FEnableConvert) return;
  FConvertTo = Unit;
  switch (Unit) {
    case TQarvConvertType::ctMM:
    case TQarvConvertType::ctMM2:
      FKoef = 1.0;
      break;
    case TQarvConvertType::ctM:
      FKoef = 0.001;
      break;
    case TQarvConvertType::ctInch:
      FKoef = kInchKoef;
      break;
    default:
      break;  // yards and areas keep the factor
  }
  SetKoef(FKoef);
}

void TQarvSpinEdit::SetHideSpin(bool Hide) {
  FHideSpinEdit = Hide;
  LayoutButton();
}

void TQarvSpinEdit::UpClick() {
  if (isReadOnly()) {
    QApplication::beep();
    return;
  }
  SetValue(FValue + FIncrement);
}

void TQarvSpinEdit::DownClick() {
  if (isReadOnly()) {
    QApplication::beep();
    return;
  }
  SetValue(FValue - FIncrement);
}

bool TQarvSpinEdit::IsValidChar(QChar Key) const {
  const QChar separator = DecimalSeparator();
  const bool isFloat = FValueType == TQarvValueType::vtFloat;
  bool valid = Key == u'-' || (Key >= u'0' && Key <= u'9') || (isFloat && Key == separator) ||
               (IsControlChar(Key) && Key != u'\r');
  const QString current = text();
  if (valid && isFloat && Key == separator && current.contains(separator)) {
    valid = selectionStart() == 0 && selectedText().size() == current.size();
  }
  if (valid && Key == u'-' && current.contains(u'-')) valid = false;
  if (valid && isReadOnly()) valid = IsControlChar(Key) && Key != u'\b';
  return valid;
}

bool TQarvSpinEdit::IsNumText(const QString& Text) const {
  if (Text.isEmpty() || Text == QStringLiteral("-")) return false;
  const bool isFloat = FValueType == TQarvValueType::vtFloat;
  const QChar separator = DecimalSeparator();
  int separators = 0;
  for (qsizetype i = 0; i < Text.size(); ++i) {
    const QChar c = Text[i];
    if (c == u'-') {
      if (i != 0) return false;
    } else if (isFloat && c == separator) {
      ++separators;
    } else if (c < u'0' || c > u'9') {
      return false;
    }
  }
  return separators <= 1;
}

bool TQarvSpinEdit::ParseShown(const QString& Text, double& Shown) const {
  bool ok = false;
  Shown = NumberLocale().toDouble(Text, &ok);
  return ok && std::isfinite(Shown);
}

// Runs on every change of the text, typed or written by the field itself.
void TQarvSpinEdit::TextChanged() {
  if (FromEdit) return;
  if (!StopCheck && IsNumText(text())) RepairTyping();
  emit Change();
}

// Takes the typed number as the value and replaces the text only when the number lies beyond
// a limit that further typing cannot undo: typing 1 on the way to 150 with a minimum of 100
// is left alone, typing 1500 with a maximum of 1000 is replaced at once.
void TQarvSpinEdit::RepairTyping() {
  double v = 0.0;
  if (FValueType == TQarvValueType::vtFloat) {
    double shown = 0.0;
    if (!ParseShown(text(), shown)) return;
    v = shown / FKoef;
  } else {
    bool ok = false;
    const qlonglong typed = text().toLongLong(&ok);
    const double n = ok ? static_cast<double>(typed) : std::trunc(FValue);
    v = RoundHalfEven(n / FKoef);
  }
  if (!std::isfinite(v)) return;
  const double c = ClampValue(v);
  if (c != FValue) FValue = c;

  bool replace = (c >= 0 || v >= 0) ? c < v : c > v;
  replace = replace || (FMinValue > 0 && v < 0) || (FMaxValue < 0 && v > 0);
  if (!replace) return;
  const double shown =
      FValueType == TQarvValueType::vtInteger ? RoundHalfEven(FValue) * FKoef : c * FKoef;
  FromEdit = true;
  setText(FormatShown(shown));
  FromEdit = false;
}

void TQarvSpinEdit::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Up || Event->key() == Qt::Key_Down) {
    Event->key() == Qt::Key_Up ? UpClick() : DownClick();
    Event->accept();
    return;
  }
  if (Event->matches(QKeySequence::Cut) || Event->matches(QKeySequence::Paste)) {
    if (CanCutOrPaste()) QLineEdit::keyPressEvent(Event);
    return;
  }
  // Only typed characters are filtered; Delete (0x7F) and other editing keys pass.
  const QString typed = Event->text();
  if (typed.size() == 1 && typed[0].unicode() != 0x7F && !IsValidChar(typed[0])) {
    QApplication::beep();
    Event->accept();
    return;
  }
  QLineEdit::keyPressEvent(Event);
}

void TQarvSpinEdit::contextMenuEvent(QContextMenuEvent* Event) {
  QMenu* menu = createStandardContextMenu();
  for (QAction* action : menu->actions()) {
    const QString name = action->objectName();
    if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-paste")) {
      action->setEnabled(action->isEnabled() && CanCutOrPaste());
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(Event->globalPos());
}

// The middle button pastes the selection on X11.
void TQarvSpinEdit::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::MiddleButton && !CanCutOrPaste()) return;
  QLineEdit::mouseReleaseEvent(Event);
}

void TQarvSpinEdit::focusInEvent(QFocusEvent* Event) {
  QLineEdit::focusInEvent(Event);
  if (FAutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

// Leaving the field shows the value in the field's format and keeps the value as shown, so
// what the user sees is what is stored; a value left below its minimum is corrected here.
void TQarvSpinEdit::focusOutEvent(QFocusEvent* Event) {
  QLineEdit::focusOutEvent(Event);
  WriteOwnText(FormatShown(FValue * FKoef));
  double shown = 0.0;
  if (FValueType == TQarvValueType::vtFloat && ParseShown(text(), shown) &&
      shown != FValue * FKoef) {
    FValue = shown / FKoef;
    emit Change();
  }
  if (ClampValue(FValue) != FValue) SetValue(FValue);
}

void TQarvSpinEdit::resizeEvent(QResizeEvent* Event) {
  QLineEdit::resizeEvent(Event);
  LayoutButton();
}

// The arrows sit inside the frame at the right; the text area ends before them.
void TQarvSpinEdit::LayoutButton() {
  FButton->setVisible(!FHideSpinEdit);
  const int frame = 1;
  const int width = FButton->width();
  FButton->setGeometry(this->width() - width - frame, frame, width, height() - 2 * frame);
  setTextMargins(0, 0, FHideSpinEdit ? 0 : width, 0);
}

void SetSpinEditUnits(QWidget* Control, int ConvertTo, int BaseDecimals) {
  if (Control == nullptr || ConvertTo < 0 ||
      ConvertTo > static_cast<int>(TQarvConvertType::ctYard2)) {
    return;
  }
  const auto unit = static_cast<TQarvConvertType>(ConvertTo);
  const int extra = (unit == TQarvConvertType::ctMM || unit == TQarvConvertType::ctMM2) ? 0
                    : unit == TQarvConvertType::ctM                                     ? 3
                                                                                        : 2;
  QList<TQarvSpinEdit*> fields = Control->findChildren<TQarvSpinEdit*>();
  if (auto* self = qobject_cast<TQarvSpinEdit*>(Control)) fields.prepend(self);
  for (TQarvSpinEdit* field : fields) {
    if (!field->EnableConvert()) continue;
    field->SetDecimal(std::max(BaseDecimals + extra, field->MinDecimal()));
    field->SetConvertTo(unit);
    field->update();
  }
}

}  // namespace plavo
