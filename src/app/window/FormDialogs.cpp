#include "app/window/FormDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

namespace plavo {

namespace {

QString Caption() {
  return QString::fromLatin1(kProgramCaption);
}

}  // namespace

void TQtFormDialogs::ShowMessage(QWidget* Owner, const QString& Text, QMessageBox::Icon Icon) {
  QMessageBox box(Icon, Caption(), Text, QMessageBox::Ok, Owner);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool TQtFormDialogs::AskYesNo(QWidget* Owner, const QString& Text, QMessageBox::Icon Icon) {
  QMessageBox box(Icon, Caption(), Text, QMessageBox::Yes | QMessageBox::No, Owner);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes;
}

QString TQtFormDialogs::OpenFileName(QWidget* Owner, const QString& Folder, const QString& Filter) {
  return QFileDialog::getOpenFileName(Owner, QString(), Folder, Filter);
}

QString TQtFormDialogs::SaveFileName(QWidget* Owner, const QString& Folder, const QString& Filter) {
  // The window asks its own overwrite question after adding the extension.
  return QFileDialog::getSaveFileName(Owner, QString(), Folder, Filter, nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

bool TQtFormDialogs::InputText(QWidget* Owner, const QString& Prompt, QString& Value) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(Owner, Caption(), Prompt, QLineEdit::Normal, Value, &ok);
  if (ok) Value = text;
  return ok;
}

QAction* TQtFormDialogs::PopupMenu(QMenu* Menu, QPoint At) {
  return Menu->exec(At);
}

void TQtFormDialogs::ShowAbout(QWidget* Owner, const QString& Text) {
  QMessageBox::about(Owner, Caption(), Text);
}

}  // namespace plavo
