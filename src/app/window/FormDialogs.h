// The modal questions the main window asks: messages, the yes/no questions, the file dialogs,
// the one-line input box and the popup menus. The window asks through this interface only, so
// tests can answer without a dialog ever blocking them.
#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

namespace plavo {

class TFormDialogs {
 public:
  virtual ~TFormDialogs() = default;

  // A modal message titled "Plavo" with an OK button; Text is already translated.
  virtual void ShowMessage(QWidget* Owner, const QString& Text, QMessageBox::Icon Icon) = 0;
  // A Yes/No question titled "Plavo" with No as the default answer; true on Yes.
  virtual bool AskYesNo(QWidget* Owner, const QString& Text, QMessageBox::Icon Icon) = 0;
  // The open dialog: the chosen file name, or empty on cancel.
  virtual QString OpenFileName(QWidget* Owner, const QString& Folder, const QString& Filter) = 0;
  // The save dialog, proposing Suggested (a whole file name) with the file types Filters, of
  // which Selected is chosen first and, on return, the one the user chose. The chosen file
  // name, or empty on cancel.
  virtual QString SaveFileName(QWidget* Owner, const QString& Suggested, const QStringList& Filters,
                               int& Selected) = 0;
  // The one-line input box; false when cancelled.
  virtual bool InputText(QWidget* Owner, const QString& Prompt, QString& Value) = 0;
  // Shows Menu at At (global coordinates) and returns the chosen action, or null.
  virtual QAction* PopupMenu(QMenu* Menu, QPoint At) = 0;
  // The about window.
  virtual void ShowAbout(QWidget* Owner, const QString& Text) = 0;
};

// The real dialogs of Qt.
class TQtFormDialogs : public TFormDialogs {
 public:
  void ShowMessage(QWidget* Owner, const QString& Text, QMessageBox::Icon Icon) override;
  bool AskYesNo(QWidget* Owner, const QString& Text, QMessageBox::Icon Icon) override;
  QString OpenFileName(QWidget* Owner, const QString& Folder, const QString& Filter) override;
  QString SaveFileName(QWidget* Owner, const QString& Suggested, const QStringList& Filters,
                       int& Selected) override;
  bool InputText(QWidget* Owner, const QString& Prompt, QString& Value) override;
  QAction* PopupMenu(QMenu* Menu, QPoint At) override;
  void ShowAbout(QWidget* Owner, const QString& Text) override;
};

// The caption of the window and of every message box; never translated.
inline constexpr char kProgramCaption[] = "Plavo";

}  // namespace plavo
