#include "app/window/FormDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>

#include <algorithm>

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
  // Every question asks before something is replaced or thrown away: Enter keeps it.
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString TQtFormDialogs::OpenFileName(QWidget* Owner, const QString& Folder, const QString& Filter) {
  return QFileDialog::getOpenFileName(Owner, QString(), Folder, Filter);
}

QString TQtFormDialogs::SaveFileName(QWidget* Owner, const QString& Suggested,
                                     const QStringList& Filters, int& Selected) {
  QFileDialog dialog(Owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // The window asks its own overwrite question after adding the extension.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(Filters);
  dialog.selectNameFilter(Filters.value(Selected));
  dialog.selectFile(Suggested);
  // Another file type renames the proposed file to that type's extension.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& F) {
    const QString name = QFileInfo(dialog.selectedFiles().value(0)).completeBaseName();
    const QString extension = F.section(QLatin1String("*."), 1).section(QLatin1Char(')'), 0, 0);
    if (!name.isEmpty()) dialog.selectFile(name + QLatin1Char('.') + extension);
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  Selected = std::max(0, static_cast<int>(Filters.indexOf(dialog.selectedNameFilter())));
  return dialog.selectedFiles().first();
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
