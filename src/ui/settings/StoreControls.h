// Saving and restoring the values of a window's setting controls in an ini file, keyed by each
// control's objectName, and the single values and section operations the window needs.
//
// The walk visits Root and everything below it, in child order. Controls are recognised by
// their exact class (a derived class is not): TQarvSpinEdit (its Value in millimetres, as a
// float with the locale's decimal separator), QLineEdit (its text), QCheckBox and QRadioButton
// (checked, "1" or "0"), QComboBox (the item index). Those are not walked into; every other
// object is only walked through. Objects without a name are skipped.
//
// Failures are silent: an unreadable file, a folder that cannot be created or a file that
// cannot be written leave the controls and the file as they were, and a value that does not
// convert leaves its control unchanged. Files are UTF-8 and are written through a temporary
// file that replaces the old one, so a failed write never damages the stored presets.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace plavo {

enum class TStoreMode { Save, Load };

inline constexpr char kFormSection[] = "Form";

// An empty Section means kFormSection. Load leaves the file untouched; Save creates the file's
// folder when missing and writes the whole file.
void StoreControls(QObject* Root, TStoreMode Mode, const QString& FileName, const QString& Section);

// One string value; the file is written at once. False when it could not be written.
bool WriteIniString(const QString& FileName, const QString& Section, const QString& Key,
                    const QString& Value);
// The stored value, or Default when the file, the section or the key is missing.
QString ReadIniString(const QString& FileName, const QString& Section, const QString& Key,
                      const QString& Default);

// The section names in file order (the preset list).
QStringList ReadIniSections(const QString& FileName);
// Removes a section when it exists; false when the file could not be written.
bool EraseIniSection(const QString& FileName, const QString& Section);
// Replaces the header line of section Old by one naming New, leaving every other line alone.
bool RenameIniSectionLine(const QString& FileName, const QString& Old, const QString& New);

}  // namespace plavo
