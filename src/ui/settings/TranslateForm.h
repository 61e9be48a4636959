// Translating a window: every text it and everything below it shows goes through the language
// lookup (TranslateText). Windows are translated once, when they are built; texts the program
// sets later are passed through Tr() by the code that sets them.
#pragma once

#include <QString>

#include "settings/Translate.h"

class QObject;

namespace plavo {

// TranslateText for Qt strings (UTF-8 on both sides).
QString Tr(const TLanguage& Language, const QString& Text);

// Translates Root and, recursively, every object below it (parents before children): the
// text properties of widgets and actions (text, title, windowTitle, toolTip, statusTip,
// whatsThis, placeholderText, iconText), the items of combo boxes (keeping the selected item),
// list widgets and tree widgets, and the captions of tabs. objectName is never translated.
void TranslateForm(QObject* Root, const TLanguage& Language);

// Qt's own texts (the file dialogs, the Yes/No/OK buttons) in the language the file names on
// its line "Locale=" (a locale name such as de), from Qt's translations when they are
// installed. False when the file names none or Qt has no translation for it.
bool InstallQtTranslation(const TLanguage& Language);

// The language file beside the program (ini/Language.ini, see IniLocation.h); without one the
// program stays in English.
TLanguage LoadProgramLanguage();

}  // namespace plavo
