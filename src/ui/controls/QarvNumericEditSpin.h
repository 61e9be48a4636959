// The numeric field with arrows through which every length of the window is entered. It holds
// its value in one fixed unit (millimetres for lengths) and shows and accepts it multiplied by
// Koef, the factor of the unit chosen on the window. Typing is filtered key by key, input
// beyond a limit that further typing cannot undo is repaired at once, and leaving the field
// rounds the value to the decimals shown. Numbers use the decimal separator of QLocale().
#pragma once

#include <QLineEdit>

#include "ui/controls/QarvSpinButton.h"

namespace plavo {

enum class TQarvValueType { vtInteger, vtFloat };
// Item indices of the window's units list are the first three: mm, m, inch.
enum class TQarvConvertType { ctMM, ctM, ctInch, ctYard, ctMM2, ctM2, ctInch2, ctYard2 };

class TQarvSpinEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TQarvSpinEdit(QWidget* Parent = nullptr);

  // The internal value. SetValue clamps to [MinValue, MaxValue] (equal limits: no limits) and
  // rewrites the text, which raises Change.
  double Value() const { return FValue; }
  void SetValue(double X);
  int ValueInteger() const;  // Value rounded to the nearest integer, halves to even

  // Shown value = Value x Koef. SetKoef clamps to [MinKoef, MaxKoef] and rewrites the text.
  double Koef() const { return FKoef; }
  void SetKoef(double X);
  // Ignored unless EnableConvert. Sets Koef from the unit (mm 1, m 0.001, inch 1/25.4; yards
  // and areas keep the current factor); the value itself does not change.
  TQarvConvertType ConvertTo() const { return FConvertTo; }
  void SetConvertTo(TQarvConvertType Unit);

  // Plain fields: setting them does not rewrite the text.
  int Decimal() const { return FDecimal; }
  void SetDecimal(int Digits) { FDecimal = Digits; }
  // The fewest decimals SetSpinEditUnits gives the field, whatever the unit.
  int MinDecimal() const { return FMinDecimal; }
  void SetMinDecimal(int Digits) { FMinDecimal = Digits; }
  bool EnableConvert() const { return FEnableConvert; }
  void SetEnableConvert(bool Enable) { FEnableConvert = Enable; }
  TQarvValueType ValueType() const { return FValueType; }
  void SetValueType(TQarvValueType Type) { FValueType = Type; }
  double MinKoef() const { return FMinKoef; }
  void SetMinKoef(double X) { FMinKoef = X; }
  double MaxKoef() const { return FMaxKoef; }
  void SetMaxKoef(double X) { FMaxKoef = X; }
  double MinValue() const { return FMinValue; }
  void SetMinValue(double X) { FMinValue = X; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double X) { FMaxValue = X; }
  double Increment() const { return FIncrement; }  // arrow step, in internal units
  void SetIncrement(double X) { FIncrement = X; }
  bool EditorEnabled() const { return FEditorEnabled; }  // cut and paste allowed
  void SetEditorEnabled(bool Enable) { FEditorEnabled = Enable; }
  bool AutoSelect() const { return FAutoSelect; }  // select all when entered by keyboard
  void SetAutoSelect(bool Enable) { FAutoSelect = Enable; }
  bool HideSpin() const { return FHideSpinEdit; }
  void SetHideSpin(bool Hide);
  TQarvSpinButton* Button() const { return FButton; }

  // One step up or down; a read-only field beeps instead.
  void UpClick();
  void DownClick();

  // Input checks: a key typed into the field, and a whole text that can be read as a number.
  bool IsValidChar(QChar Key) const;
  bool IsNumText(const QString& Text) const;

  // The text shown for a value already multiplied by Koef.
  QString FormatShown(double Shown) const;

 signals:
  // OnChange: the text changed, whether typed or written by the field itself.
  void Change();

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  void TextChanged();
  void RepairTyping();
  bool ParseShown(const QString& Text, double& Shown) const;
  void WriteOwnText(const QString& Text);
  double ClampValue(double X) const;
  double ClampKoef(double X) const;
  bool CanCutOrPaste() const { return FEditorEnabled && !isReadOnly(); }
  void LayoutButton();

  bool StopCheck = false;  // the field writes its own text: skip the typing checks
  bool FromEdit = false;   // the typing check rewrites the text: the handler does nothing
  bool FEnableConvert = false;
  bool FHideSpinEdit = false;
  double FMinKoef = 0.001;
  double FMaxKoef = 1000.0;
  double FKoef = 1.0;
  int FDecimal = 2;
  int FMinDecimal = 0;
  TQarvValueType FValueType = TQarvValueType::vtInteger;
  TQarvConvertType FConvertTo = TQarvConvertType::ctMM;
  double FMinValue = 0.0;
  double FMaxValue = 0.0;
  double FValue = 0.0;
  double FIncrement = 1.0;
  TQarvSpinButton* FButton;
  bool FEditorEnabled = true;
  bool FAutoSelect = true;
};

// Sets the unit of every numeric field in Control and below it that allows conversion:
// Decimal := BaseDecimals + 0 for mm, + 3 for m, + 2 for other units (at least the field's
// MinDecimal), then the unit. ConvertTo
// is the units list's item index (0 mm, 1 m, 2 inch); an index outside the units is ignored.
void SetSpinEditUnits(QWidget* Control, int ConvertTo, int BaseDecimals);

}  // namespace plavo
