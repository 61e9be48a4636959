#include "ui/settings/IniLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace plavo {

namespace {

// Permission bits do not tell whether a write succeeds (a read-only mount, an administrator),
// so this tries one.
bool CanWriteIn(const QString& Folder) {
  if (!QDir().mkpath(Folder)) return false;
  QTemporaryFile probe(Folder + QStringLiteral("/.plavo-write-test-XXXXXX"));
  return probe.open();
}

}  // namespace

QString IniFolderFor(const QString& ProgramFolder) {
  const QString beside = QDir(ProgramFolder).filePath(QStringLiteral("ini"));
  if (CanWriteIn(beside)) return beside;
  const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(user);
  return user;
}

QString IniFolder() {
  return IniFolderFor(QCoreApplication::applicationDirPath());
}

QString IniFilePath(const char* FileName) {
  return QDir(IniFolder()).filePath(QString::fromUtf8(FileName));
}

}  // namespace plavo
