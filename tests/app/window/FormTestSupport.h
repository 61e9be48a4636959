// The window's tests share these: a stub that answers every dialog of the window and records
// what was asked, and drawings of rectangles.
#pragma once

#include <QAction>
#include <QFile>
#include <QList>
#include <QMenu>
#include <QSizeF>
#include <QStringList>
#include <QTest>

#include <memory>

#include "app/window/FormDialogs.h"
#include "app/window/MosaroForm.h"

namespace plavo {

constexpr double kPointsPerMm = 72.0 / 25.4;

// Answers every dialog of the window and records what was asked.
class TStubDialogs : public TFormDialogs {
 public:
  QStringList Messages;
  QStringList Questions;
  QList<bool> Answers;  // Yes/No answers in order; Yes when none is left
  QString OpenName, SaveName, Suggested;
  int SaveType = -1;  // the file type chosen in the save dialog; -1: the one proposed
  int OpenCalls = 0, SaveCalls = 0, InputCalls = 0, PopupCalls = 0;
  QString InputAnswer, Proposed;
  bool InputOk = true;
  QString Choice;  // objectName of the popup item to choose
  QString PopupMenuName;

  void ShowMessage(QWidget*, const QString& Text, QMessageBox::Icon) override { Messages << Text; }
  bool AskYesNo(QWidget*, const QString& Text, QMessageBox::Icon) override {
    Questions << Text;
    return Answers.isEmpty() ? true : Answers.takeFirst();
  }
  QString OpenFileName(QWidget*, const QString&, const QString&) override {
    ++OpenCalls;
    return OpenName;
  }
  QString SaveFileName(QWidget*, const QString& Proposed, const QStringList&,
                       int& Selected) override {
    ++SaveCalls;
    Suggested = Proposed;
    if (SaveType >= 0) Selected = SaveType;
    return SaveName;
  }
  bool InputText(QWidget*, const QString&, QString& Value) override {
    ++InputCalls;
    Proposed = Value;
    if (InputOk) Value = InputAnswer;
    return InputOk;
  }
  QAction* PopupMenu(QMenu* Menu, QPoint) override {
    ++PopupCalls;
    PopupMenuName = Menu->objectName();
    return Menu->findChild<QAction*>(Choice);
  }
  void ShowAbout(QWidget*, const QString&) override {}
};

// A drawing of filled rectangles of the given sizes in mm, side by side.
inline void WriteRectangles(const QString& FileName, const QList<QSizeF>& Sizes) {
  QFile file(FileName);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QByteArray text = "%!PS-Adobe-3.0\n%%Creator: test\n%%EndComments\n%AI5_BeginLayer\n";
  double x = 0.0;
  for (const QSizeF& size : Sizes) {
    const double x0 = x * kPointsPerMm, x1 = (x + size.width()) * kPointsPerMm;
    const double y1 = size.height() * kPointsPerMm;
    x += size.width() + 10;
    text += QStringLiteral("0 0.5 0.5 0 k\n%1 0 m\n%1 %2 L\n%3 %2 L\n%3 0 L\n%1 0 L\nf\n")
                .arg(x0, 0, 'f', 4)
                .arg(y1, 0, 'f', 4)
                .arg(x1, 0, 'f', 4)
                .toLatin1();
  }
  text += "%AI5_EndLayer\n%%EOF\n";
  file.write(text);
}

// A window with its ini files in Folder and its dialogs answered by Dialogs, shown, without
// the open dialog at its first activation.
inline std::unique_ptr<TMosaroFm> ShownTestForm(const QString& Folder, TFormDialogs& Dialogs) {
  TFormEnvironment env;
  env.IniFolder = Folder;
  env.Dialogs = &Dialogs;
  env.OpenAtFirstShow = false;
  auto form = std::make_unique<TMosaroFm>(env);
  form->show();
  return form;
}

// The records of R that found a place.
inline int PlacedCount(const TOneNestingResult& R) {
  int n = 0;
  for (const TNestPlacedShape& p : R.Place) n += p.placed ? 1 : 0;
  return n;
}

}  // namespace plavo
