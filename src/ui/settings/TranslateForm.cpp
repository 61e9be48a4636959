#include "ui/settings/TranslateForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QListWidget>
#include <QLocale>
#include <QMetaProperty>
#include <QTabBar>
#include <QTranslator>
#include <QTreeWidget>

#include <array>
#include <string_view>

#include "ui/settings/IniLocation.h"

namespace plavo {

namespace {

// The properties that hold texts shown to the user; other string properties (style sheets,
// input masks, file paths) are data.
constexpr std::array<std::string_view, 9> kTextProperties = {
    "text",      "title",           "windowTitle", "toolTip",       "statusTip",
    "whatsThis", "placeholderText", "iconText",    "windowIconText"};

bool IsTextProperty(const QMetaProperty& Property) {
  if (Property.metaType().id() != QMetaType::QString || !Property.isWritable()) return false;
  const std::string_view name = Property.name();
  for (std::string_view text : kTextProperties) {
    if (name == text) return true;
  }
  return false;
}

void TranslateProperties(QObject* Object, const TLanguage& Language) {
  const QMetaObject* meta = Object->metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    const QMetaProperty property = meta->property(i);
    if (!IsTextProperty(property)) continue;
    const QString text = property.read(Object).toString();
    const QString translated = Tr(Language, text);
    // Writing only what changes keeps fields that react to their text (numbers) untouched.
    if (translated != text) property.write(Object, translated);
  }
}

void TranslateTreeItem(QTreeWidgetItem* Item, const TLanguage& Language) {
  for (int column = 0; column < Item->columnCount(); ++column) {
    Item->setText(column, Tr(Language, Item->text(column)));
  }
  for (int i = 0; i < Item->childCount(); ++i) TranslateTreeItem(Item->child(i), Language);
}

void TranslateItems(QObject* Object, const TLanguage& Language) {
  if (auto* combo = qobject_cast<QComboBox*>(Object)) {
    const int selected = combo->currentIndex();
    for (int i = 0; i < combo->count(); ++i) {
      combo->setItemText(i, Tr(Language, combo->itemText(i)));
    }
    combo->setCurrentIndex(selected);
  } else if (auto* list = qobject_cast<QListWidget*>(Object)) {
    for (int i = 0; i < list->count(); ++i) {
      list->item(i)->setText(Tr(Language, list->item(i)->text()));
    }
  } else if (auto* tree = qobject_cast<QTreeWidget*>(Object)) {
    TranslateTreeItem(tree->headerItem(), Language);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
      TranslateTreeItem(tree->topLevelItem(i), Language);
    }
  } else if (auto* tabs = qobject_cast<QTabBar*>(Object)) {
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setTabText(i, Tr(Language, tabs->tabText(i)));
      tabs->setTabToolTip(i, Tr(Language, tabs->tabToolTip(i)));
    }
  }
}

}  // namespace

QString Tr(const TLanguage& Language, const QString& Text) {
  return QString::fromStdString(TranslateText(Language, Text.toUtf8().toStdString()));
}

void TranslateForm(QObject* Root, const TLanguage& Language) {
  if (Root == nullptr || Language.Empty()) return;
  TranslateProperties(Root, Language);
  TranslateItems(Root, Language);
  for (QObject* child : Root->children()) TranslateForm(child, Language);
}

bool InstallQtTranslation(const TLanguage& Language) {
  const std::string* locale = Language.Find("locale");
  if (locale == nullptr || QCoreApplication::instance() == nullptr) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QLocale(QString::fromStdString(*locale)), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

TLanguage LoadProgramLanguage() {
  return TLanguage::Load(IniFilePath(kLanguageFileName).toUtf8().toStdString());
}

}  // namespace plavo
