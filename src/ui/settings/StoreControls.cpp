#include "ui/settings/StoreControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <optional>
#include <typeinfo>

#include "ui/controls/QarvNumericEditSpin.h"
#include "settings/Options.h"

namespace plavo {

namespace {

std::string Utf8(const QString& Text) {
  return Text.toUtf8().toStdString();
}
QString FromUtf8(const std::string& Text) {
  return QString::fromUtf8(Text);
}

QLocale NumberLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// The dynamic type, not the meta-object: a subclass without Q_OBJECT shares its base's.
template <typename T>
bool IsExactly(const QObject* Object) {
  return typeid(*Object) == typeid(T);
}

// The file model of one StoreControls or single-value call.
class TIniSession {
 public:
  TIniSession(const QString& FileName) : FFileName(Utf8(FileName)) {
    FLoaded = LoadIniFile(FFileName, FIni) != TIniLoad::Failed;
  }
  // False when the file exists but could not be read: writing would lose what it holds.
  bool Usable() const { return FLoaded; }
  TIniFile& Ini() { return FIni; }
  bool Save() {
    std::string error;
    return FLoaded && SaveIniFile(FFileName, FIni, error);
  }

 private:
  std::string FFileName;
  TIniFile FIni;
  bool FLoaded = false;
};

class TControlWalk {
 public:
  TControlWalk(TIniFile& Ini, TStoreMode Mode, std::string Section)
      : FIni(Ini), FMode(Mode), FSection(std::move(Section)) {}

  void Visit(QObject* Object) {
    if (StoreLeaf(Object)) return;
    for (QObject* child : Object->children()) Visit(child);
  }

 private:
  // Stores or restores a recognised control; true when Object is one (walked no further).
  bool StoreLeaf(QObject* Object) {
    const std::string key = Utf8(Object->objectName());
    if (IsExactly<TQarvSpinEdit>(Object)) {
      if (!key.empty()) StoreSpinEdit(static_cast<TQarvSpinEdit*>(Object), key);
    } else if (IsExactly<QLineEdit>(Object)) {
      if (!key.empty()) StoreEdit(static_cast<QLineEdit*>(Object), key);
    } else if (IsExactly<QCheckBox>(Object) || IsExactly<QRadioButton>(Object)) {
      if (!key.empty()) StoreCheck(static_cast<QAbstractButton*>(Object), key);
    } else if (IsExactly<QComboBox>(Object)) {
      if (!key.empty()) StoreCombo(static_cast<QComboBox*>(Object), key);
    } else {
      return false;
    }
    return true;
  }

  void StoreSpinEdit(TQarvSpinEdit* Edit, const std::string& Key) {
    const QLocale locale = NumberLocale();
    if (FMode == TStoreMode::Save) {
      FIni.WriteString(FSection, Key,
                       Utf8(locale.toString(Edit->Value(), 'g', QLocale::FloatingPointShortest)));
      return;
    }
    const std::optional<std::string> text = FIni.Value(FSection, Key);
    if (!text) return;
    bool ok = false;
    const double value = locale.toDouble(FromUtf8(*text).trimmed(), &ok);
    if (ok && std::isfinite(value)) Edit->SetValue(value);
  }

  void StoreEdit(QLineEdit* Edit, const std::string& Key) {
    if (FMode == TStoreMode::Save) {
      FIni.WriteString(FSection, Key, Utf8(Edit->text()));
    } else {
      Edit->setText(FromUtf8(FIni.ReadString(FSection, Key, Utf8(Edit->text()))));
    }
  }

  void StoreCheck(QAbstractButton* Button, const std::string& Key) {
    if (FMode == TStoreMode::Save) {
      WriteIniBool(FIni, FSection, Key, Button->isChecked());
    } else {
      Button->setChecked(ReadIniBool(FIni, FSection, Key, Button->isChecked()));
    }
  }

  void StoreCombo(QComboBox* Combo, const std::string& Key) {
    if (FMode == TStoreMode::Save) {
      WriteIniInteger(FIni, FSection, Key, Combo->currentIndex());
    } else {
      const int index = ReadIniInteger(FIni, FSection, Key, Combo->currentIndex());
      Combo->setCurrentIndex(std::clamp(index, -1, Combo->count() - 1));
    }
  }

  TIniFile& FIni;
  TStoreMode FMode;
  std::string FSection;
};

}  // namespace

void StoreControls(QObject* Root, TStoreMode Mode, const QString& FileName,
                   const QString& Section) {
  if (Root == nullptr || FileName.isEmpty()) return;
  if (!QDir().mkpath(QFileInfo(FileName).absolutePath())) return;
  TIniSession session(FileName);
  if (!session.Usable()) return;
  TControlWalk walk(session.Ini(), Mode,
                    Section.isEmpty() ? std::string(kFormSection) : Utf8(Section));
  walk.Visit(Root);
  if (Mode == TStoreMode::Save) session.Save();
}

bool WriteIniString(const QString& FileName, const QString& Section, const QString& Key,
                    const QString& Value) {
  if (FileName.isEmpty() || !QDir().mkpath(QFileInfo(FileName).absolutePath())) return false;
  TIniSession session(FileName);
  session.Ini().WriteString(Utf8(Section), Utf8(Key), Utf8(Value));
  return session.Save();
}

QString ReadIniString(const QString& FileName, const QString& Section, const QString& Key,
                      const QString& Default) {
  TIniSession session(FileName);
  const std::optional<std::string> value = session.Ini().Value(Utf8(Section), Utf8(Key));
  return value ? FromUtf8(*value) : Default;
}

QStringList ReadIniSections(const QString& FileName) {
  TIniSession session(FileName);
  QStringList names;
  for (const std::string& name : session.Ini().SectionNames()) names << FromUtf8(name);
  return names;
}

bool EraseIniSection(const QString& FileName, const QString& Section) {
  TIniSession session(FileName);
  if (!session.Ini().SectionExists(Utf8(Section))) return session.Usable();
  session.Ini().EraseSection(Utf8(Section));
  return session.Save();
}

bool RenameIniSectionLine(const QString& FileName, const QString& Old, const QString& New) {
  return RenameIniSection(Utf8(FileName), Utf8(Old), Utf8(New));
}

}  // namespace plavo
