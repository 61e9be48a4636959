// The presets: named sets of the settings controls, one section each in the preset file,
// chosen in the preset list and managed from the menu beside it. A preset keeps what was typed
// into its controls when another is chosen, two presets never share a name in any letter case
// (the file compares section names so), nothing is replaced or deleted without a question, and
// the last preset stays.
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QPushButton>
#include <QTabWidget>

#include "app/window/MosaroForm.h"
#include "settings/Options.h"
#include "ui/settings/StoreControls.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

void TMosaroFm::StorePreset() {
  if (!FPresetName.isEmpty())
    StoreControls(FPageControl, TStoreMode::Save, FPresetFile, FPresetName);
}

int TMosaroFm::FindPreset(const QString& Name, const QStringList& Names) {
  const std::string name = Name.toStdString();
  for (int i = 0; i < Names.size(); ++i) {
    if (SameIniName(Names[i].toStdString(), name)) return i;
  }
  return -1;
}

QStringList TMosaroFm::PresetNames() const {
  QStringList names;
  for (int i = 0; i < FPresetList->count(); ++i) names << FPresetList->itemText(i);
  return names;
}

void TMosaroFm::Button1Click() {
  QAction* chosen = FDialogs->PopupMenu(FPopupMenu1, QCursor::pos());
  if (chosen == nullptr) return;
  const QString name = chosen->objectName();
  if (name == QLatin1String("Addprofile1")) Addprofile1Click();
  if (name == QLatin1String("Deleteprofile1")) Deleteprofile1Click();
  if (name == QLatin1String("Editprofilename1")) Editprofilename1Click();
}

void TMosaroFm::RefillPresetList(int Select) {
  const QSignalBlocker block(FPresetList);
  FPresetList->clear();
  FPresetList->addItems(ReadIniSections(FPresetFile));
  FPresetList->setCurrentIndex(
      FPresetList->count() == 0 ? -1 : std::min(Select, FPresetList->count() - 1));
}

// The preset commands are refused during a run: Apply stores the controls under the chosen
// preset's name, which must not land on a preset renamed or deleted meanwhile.
void TMosaroFm::Addprofile1Click() {
  if (Busy()) return;
  QString name = FPresetList->currentText() + QStringLiteral(" (new)");
  if (!FDialogs->InputText(this, Text("Preset name"), name)) return;
  name = name.trimmed();
  if (name.isEmpty()) return;
  int index = FindPreset(name, PresetNames());
  if (index >= 0 && !FDialogs->AskYesNo(this,
                                        Text("A preset of this name exists. Replace it?") +
                                            QLatin1Char('\n') + FPresetList->itemText(index),
                                        QMessageBox::Warning)) {
    return;
  }
  // The values go to the new preset; the preset left is written only when it is not yet in
  // the file (a first start), so that it is still there after a restart.
  if (FindPreset(FPresetName, ReadIniSections(FPresetFile)) < 0) StorePreset();
  const QSignalBlocker block(FPresetList);
  if (index < 0) {
    FPresetList->addItem(name);
    index = FPresetList->count() - 1;
  }
  FPresetList->setCurrentIndex(index);
  FPresetName = FPresetList->currentText();
  StorePreset();
}

void TMosaroFm::Deleteprofile1Click() {
  if (Busy() || FPresetName.isEmpty()) return;
  if (FPresetList->count() <= 1) {
    ShowMessage(Text("The last preset cannot be deleted."), QMessageBox::Information);
    return;
  }
  if (!FDialogs->AskYesNo(this, Text("Delete the preset?") + QLatin1Char('\n') + FPresetName,
                          QMessageBox::Warning)) {
    return;
  }
  EraseIniSection(FPresetFile, FPresetName);
  FPresetName.clear();  // nothing is stored under the deleted name when the next one loads
  RefillPresetList(0);
  preset_CBChange();
}

void TMosaroFm::Editprofilename1Click() {
  if (Busy()) return;
  const QString old = FPresetName;
  const int index = FPresetList->currentIndex();
  if (old.isEmpty() || index < 0) return;
  QString name = old;
  if (!FDialogs->InputText(this, Text("Preset name"), name)) return;
  name = name.trimmed();
  if (name.isEmpty() || name == old) return;
  const int other = FindPreset(name, PresetNames());
  if (other >= 0 && other != index) {
    ShowMessage(Text("A preset of this name exists already:") + QLatin1Char('\n') + name);
    return;
  }
  StorePreset();  // a preset not yet in the file is written before its section is renamed
  if (RenameIniSectionLine(FPresetFile, old, name)) FPresetName = name;
  RefillPresetList(index);
}

void TMosaroFm::preset_CBChange() {
  StorePreset();  // what was typed into the preset left stays with it
  FPresetName = FPresetList->currentText();
  if (!FPresetName.isEmpty()) {
    StoreControls(FPageControl, TStoreMode::Load, FPresetFile, FPresetName);
  }
}

}  // namespace plavo
