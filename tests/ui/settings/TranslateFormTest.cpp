#include "ui/settings/TranslateForm.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "ui/controls/QarvNumericEditSpin.h"
#include "settings/Options.h"

namespace plavo {

class TTranslateFormTest : public QObject {
  Q_OBJECT

 private slots:
  void translatesEveryTextOfTheWindow() {
    const TLanguage german(TIniFile::Parse(
        "[Language]\nSheet size=Blattgröße\nApply=Anwenden\nmm=Millimeter\ninch=Zoll\n"
        "Main=Allgemein\nFile=Datei\nOpen=Öffnen\nStart the run=Verschachtelung starten\n"
        "Process shape=Form verschachteln\nHigh=Genau\nUnits=Einheit\n1000=eintausend\n"
        "PageControl1=Seiten\n"));
    QWidget window;
    window.setObjectName(QStringLiteral("PageControl1"));
    auto* tabs = new QTabWidget(&window);
    auto* page = new QWidget;
    tabs->addTab(page, QStringLiteral("Main"));
    auto* group = new QGroupBox(QStringLiteral("Sheet size"), page);
    auto* apply = new QPushButton(QStringLiteral(" Apply "), group);
    apply->setToolTip(QStringLiteral("start the RUN"));
    auto* empty = new QLabel(QString(), group);
    auto* units = new QComboBox(group);
    units->addItems({QStringLiteral("mm"), QStringLiteral("M"), QStringLiteral("inch")});
    units->setCurrentIndex(2);
    auto* field = new TQarvSpinEdit(group);
    field->SetValue(1000);
    auto* menu = new QMenu(QStringLiteral("File"), &window);
    QAction* open = menu->addAction(QStringLiteral("Open"));
    auto* list = new QListWidget(&window);
    list->addItem(QStringLiteral("High"));
    auto* tree = new QTreeWidget(&window);
    tree->setHeaderLabel(QStringLiteral("Units"));
    auto* node = new QTreeWidgetItem(tree, {QStringLiteral("Process shape")});
    new QTreeWidgetItem(node, {QStringLiteral("High")});

    TranslateForm(&window, german);

    QCOMPARE(tabs->tabText(0), QStringLiteral("Allgemein"));
    QCOMPARE(group->title(), QStringLiteral("Blattgröße"));
    QCOMPARE(apply->text(), QStringLiteral("Anwenden"));
    QCOMPARE(apply->toolTip(), QStringLiteral("Verschachtelung starten"));
    QCOMPARE(empty->text(), QString());
    QCOMPARE(units->itemText(0), QStringLiteral("Millimeter"));
    QCOMPARE(units->itemText(2), QStringLiteral("Zoll"));
    QCOMPARE(units->currentIndex(), 2);
    QCOMPARE(menu->title(), QStringLiteral("Datei"));
    QCOMPARE(open->text(), QStringLiteral("Öffnen"));
    QCOMPARE(list->item(0)->text(), QStringLiteral("Genau"));
    QCOMPARE(tree->headerItem()->text(0), QStringLiteral("Einheit"));
    QCOMPARE(node->text(0), QStringLiteral("Form verschachteln"));
    QCOMPARE(node->child(0)->text(0), QStringLiteral("Genau"));
    QCOMPARE(window.objectName(), QStringLiteral("PageControl1"));  // names are not texts
    QCOMPARE(field->Value(), 1000.0);
  }

  void withoutALanguageNothingChanges() {
    QPushButton button(QStringLiteral(" Apply "));
    TranslateForm(&button, TLanguage());
    QCOMPARE(button.text(), QStringLiteral(" Apply "));
  }
};

}  // namespace plavo

QTEST_MAIN(plavo::TTranslateFormTest)
#include "TranslateFormTest.moc"
