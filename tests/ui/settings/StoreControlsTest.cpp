#include "ui/settings/StoreControls.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/settings/IniLocation.h"

namespace plavo {

namespace {

class TDerivedCheckBox : public QCheckBox {};

// A settings page as the window has it: a page control, a tab, a group, fields inside.
struct TSettingsPage {
  TSettingsPage() {
    Pages.setObjectName(QStringLiteral("PageControl1"));
    auto* tab = new QWidget;
    Pages.addTab(tab, QStringLiteral("Main"));
    auto* group = new QGroupBox(tab);
    Width = Child<TQarvSpinEdit>(group, "Media_Width");
    Width->SetValueType(TQarvValueType::vtFloat);
    Width->SetEnableConvert(true);
    Width->SetMinValue(50);
    Width->SetMaxValue(10000);
    Width->SetValue(1000);
    Inside = Child<QCheckBox>(group, "Inside_Check");
    Fitting = Child<QComboBox>(group, "Fitting_CB");
    Fitting->addItems(
        {QStringLiteral("Bottom (best)"), QStringLiteral("Corner"), QStringLiteral("Side")});
    Note = Child<QLineEdit>(tab, "Note");
    Derived = Child<TDerivedCheckBox>(tab, "Derived");
  }
  template <typename T>
  static T* Child(QWidget* Parent, const char* Name) {
    auto* child = new T;
    child->setParent(Parent);
    child->setObjectName(QString::fromLatin1(Name));
    return child;
  }

  QTabWidget Pages;
  TQarvSpinEdit* Width;
  QCheckBox* Inside;
  QComboBox* Fitting;
  QLineEdit* Note;
  TDerivedCheckBox* Derived;
};

void WriteFile(const QString& FileName, const QByteArray& Text) {
  QFile file(FileName);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(Text);
}

QByteArray ReadFile(const QString& FileName) {
  QFile file(FileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Runs Action without the right to write into Folder. An administrator may write anywhere, so
// then the action runs as the unprivileged user "nobody" for its duration.
template <typename F>
void WithoutWriteAccess(const QString& Folder, F Action) {
  ::chmod(QFile::encodeName(Folder).constData(), 0555);
  const bool root = ::geteuid() == 0;
  if (root) QVERIFY(::seteuid(65534) == 0);
  Action();
  if (root) QVERIFY(::seteuid(0) == 0);
  ::chmod(QFile::encodeName(Folder).constData(), 0755);
}

}  // namespace

class TStoreControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QLocale::setDefault(QLocale::c());
    QVERIFY(FTemp.isValid());
    ::chmod(QFile::encodeName(FTemp.path()).constData(), 0755);
    FPresets = FTemp.filePath(QStringLiteral("ini/preset.ini"));
  }
  void cleanup() { QDir(FTemp.filePath(QStringLiteral("ini"))).removeRecursively(); }

  // First run: no folder, no file. Loading changes nothing; saving creates both and stores
  // millimetres whatever unit is shown.
  void firstRunSavesAndLoadsBack() {
    TSettingsPage page;
    StoreControls(&page.Pages, TStoreMode::Load, FPresets, QStringLiteral("Preset #1"));
    QCOMPARE(page.Width->Value(), 1000.0);
    SetSpinEditUnits(&page.Pages, 2, 0);
    QCOMPARE(page.Width->text(), QStringLiteral("39.37"));
    page.Inside->setChecked(true);
    page.Fitting->setCurrentIndex(2);
    page.Note->setText(QStringLiteral("Plexiglas 3 mm, äöü"));
    page.Derived->setChecked(true);
    StoreControls(&page.Pages, TStoreMode::Save, FPresets, QStringLiteral("Preset #1"));
    const QByteArray text = ReadFile(FPresets);
    QVERIFY2(text.contains("Media_Width=1000\n"), text.constData());
    QVERIFY(!text.contains("Derived"));  // derived classes are not recognised

    TSettingsPage other;
    StoreControls(&other.Pages, TStoreMode::Load, FPresets, QStringLiteral("preset #1"));
    QCOMPARE(other.Width->Value(), 1000.0);
    QVERIFY(other.Inside->isChecked());
    QCOMPARE(other.Fitting->currentIndex(), 2);
    QCOMPARE(other.Note->text(), QStringLiteral("Plexiglas 3 mm, äöü"));
  }

  void damagedValuesLeaveOrLimitTheirControls_data() {
    QTest::addColumn<QByteArray>("preset");
    QTest::addColumn<double>("width");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<int>("fitting");
    QTest::newRow("index above the items") << QByteArray("Fitting_CB=7") << 1000.0 << false << 2;
    QTest::newRow("index below") << QByteArray("Fitting_CB=-5") << 1000.0 << false << -1;
    QTest::newRow("width not a number") << QByteArray("Media_Width=abc") << 1000.0 << false << 1;
    QTest::newRow("width beyond its limit")
        << QByteArray("Media_Width=1e9") << 10000.0 << false << 1;
    QTest::newRow("any non-zero is checked") << QByteArray("Inside_Check=2") << 1000.0 << true << 1;
    QTest::newRow("no keys") << QByteArray("") << 1000.0 << false << 1;
  }
  void damagedValuesLeaveOrLimitTheirControls() {
    QFETCH(QByteArray, preset);
    QFETCH(double, width);
    QFETCH(bool, inside);
    QFETCH(int, fitting);
    QDir().mkpath(FTemp.filePath(QStringLiteral("ini")));
    WriteFile(FPresets, "[Damaged]\n" + preset + "\n");
    TSettingsPage page;
    page.Fitting->setCurrentIndex(1);
    StoreControls(&page.Pages, TStoreMode::Load, FPresets, QStringLiteral("Damaged"));
    QCOMPARE(page.Width->Value(), width);
    QCOMPARE(page.Inside->isChecked(), inside);
    QCOMPARE(page.Fitting->currentIndex(), fitting);
  }

  // A write that fails (here: the folder cannot be written) leaves the stored presets whole.
  void failedSaveKeepsTheOldFile() {
    const QString folder = FTemp.filePath(QStringLiteral("ini"));
    QDir().mkpath(folder);
    const QByteArray old = "[Preset #1]\nMedia_Width=2000\n[Preset #2]\nMedia_Width=3000\n";
    WriteFile(FPresets, old);
    TSettingsPage page;
    WithoutWriteAccess(folder, [&] {
      StoreControls(&page.Pages, TStoreMode::Save, FPresets, QStringLiteral("Preset #1"));
      QVERIFY(!WriteIniString(FPresets, QStringLiteral("Preset #3"), QStringLiteral("k"),
                              QStringLiteral("v")));
      QVERIFY(!EraseIniSection(FPresets, QStringLiteral("Preset #2")));
    });
    QCOMPARE(ReadFile(FPresets), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("preset.ini")});
  }

  // A settings file that cannot be read is never replaced by one holding only this window.
  void unreadableFileIsNotOverwritten() {
    QDir().mkpath(FPresets);  // a folder where the file should be
    TSettingsPage page;
    StoreControls(&page.Pages, TStoreMode::Save, FPresets, QStringLiteral("Preset #1"));
    QVERIFY(QFileInfo(FPresets).isDir());
  }

  void singleValuesAndSections() {
    const QString config = FTemp.filePath(QStringLiteral("ini/config.ini"));
    QCOMPARE(ReadIniString(config, QStringLiteral("Form"), QStringLiteral("OpenDialogInitialDir"),
                           QStringLiteral("/default")),
             QStringLiteral("/default"));
    QVERIFY(WriteIniString(config, QStringLiteral("Form"), QStringLiteral("OpenDialogInitialDir"),
                           QStringLiteral("/home/ä/")));
    QCOMPARE(ReadIniString(config, QStringLiteral("form"), QStringLiteral("openDialogInitialDir"),
                           QString()),
             QStringLiteral("/home/ä/"));

    WriteFile(FPresets, "[B]\nk=1\n[A]\nk=2\n[C]\nk=3\n");
    QVERIFY(EraseIniSection(FPresets, QStringLiteral("a")));
    QVERIFY(RenameIniSectionLine(FPresets, QStringLiteral("C"), QStringLiteral("Sheets, 3 mm")));
    QCOMPARE(ReadIniSections(FPresets),
             (QStringList{QStringLiteral("B"), QStringLiteral("Sheets, 3 mm")}));
    QCOMPARE(ReadIniString(FPresets, QStringLiteral("Sheets, 3 mm"), QStringLiteral("k"), {}),
             QStringLiteral("3"));
  }

  void iniFolderFallsBackWhenTheProgramFolderIsNotWritable() {
    QCOMPARE(IniFolderFor(FTemp.path()), FTemp.filePath(QStringLiteral("ini")));
    QVERIFY(QFileInfo(FTemp.filePath(QStringLiteral("ini"))).isDir());
    const QString blocked = FTemp.filePath(QStringLiteral("file"));
    WriteFile(blocked, "not a folder");
    const QString fallback = IniFolderFor(blocked);
    QVERIFY(!fallback.startsWith(FTemp.path()));
    QVERIFY(QFileInfo(fallback).isDir());
  }

 private:
  QTemporaryDir FTemp;
  QString FPresets;
};

}  // namespace plavo

QTEST_MAIN(plavo::TStoreControlsTest)
#include "StoreControlsTest.moc"
