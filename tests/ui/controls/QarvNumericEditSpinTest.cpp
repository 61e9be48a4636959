#include "ui/controls/QarvNumericEditSpin.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace plavo {

// A window with the sheet width field (floating point, 50 .. 10000 mm, 1000) and a second
// field to take the focus.
class TWidthWindow : public QWidget {
 public:
  TWidthWindow() {
    auto* group = new QGroupBox(this);
    Width = new TQarvSpinEdit(group);
    Width->SetValueType(TQarvValueType::vtFloat);
    Width->SetEnableConvert(true);
    Width->SetMinValue(50);
    Width->SetMaxValue(10000);
    Width->SetValue(1000);
    Other = new TQarvSpinEdit(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(Other);
    (new QVBoxLayout(group))->addWidget(Width);
    SetSpinEditUnits(this, 0, 0);
  }
  // Types Keys into Width over its whole text.
  void Type(const QString& Keys) {
    Width->setFocus();
    Width->selectAll();
    QTest::keyClicks(Width, Keys);
  }
  void Leave() { Other->setFocus(); }

  TQarvSpinEdit* Width;
  TQarvSpinEdit* Other;
};

class TQarvNumericEditSpinTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale::c()); }

  void unitsShowTheWidthInEachUnit_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("shown");
    QTest::newRow("inch") << "C" << 2 << "39.37";
    QTest::newRow("metres") << "C" << 1 << "1.000";
    QTest::newRow("mm") << "C" << 0 << "1000";
    QTest::newRow("inch, German") << "de_DE" << 2 << "39,37";
    QTest::newRow("no such unit") << "C" << 9 << "1000";
  }
  void unitsShowTheWidthInEachUnit() {
    QFETCH(QString, locale);
    QFETCH(int, unit);
    QFETCH(QString, shown);
    QLocale::setDefault(QLocale(locale));
    TWidthWindow w;
    SetSpinEditUnits(&w, unit, 0);
    QCOMPARE(w.Width->text(), shown);
    QCOMPARE(w.Width->Value(), 1000.0);
    QCOMPARE(w.Other->text(), QStringLiteral("0"));  // conversion not enabled
  }

  void leavingRoundsTheValueToWhatIsShown() {
    TWidthWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    SetSpinEditUnits(&w, 2, 0);
    w.Width->setFocus();
    w.Leave();
    QCOMPARE(w.Width->text(), QStringLiteral("39.37"));
    QVERIFY(std::abs(w.Width->Value() - 39.37 * 25.4) < 1e-9);  // about 999.998
  }

  void typingBeyondALimitIsRepaired_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("left");
    QTest::newRow("above the maximum") << 0 << "20000"
                                       << "10000" << 10000.0 << "10000";
    QTest::newRow("on the way up") << 0 << "20"
                                   << "20" << 50.0 << "50";
    QTest::newRow("metres") << 1 << "50"
                            << "10.000" << 10000.0 << "10.000";
    QTest::newRow("not a number: kept as typed") << 0 << "7-"
                                                 << "7-" << 50.0 << "50";
  }
  void typingBeyondALimitIsRepaired() {
    QFETCH(int, unit);
    QFETCH(QString, keys);
    QFETCH(QString, typed);
    QFETCH(double, value);
    QFETCH(QString, left);
    TWidthWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    SetSpinEditUnits(&w, unit, 0);
    w.Type(keys);
    QCOMPARE(w.Width->text(), typed);
    QCOMPARE(w.Width->Value(), value);
    w.Leave();
    QCOMPARE(w.Width->text(), left);
  }

  void negativeTypingBelowAPositiveMinimumIsReplaced() {
    TQarvSpinEdit edit;
    edit.SetMinValue(1);
    edit.SetMaxValue(100);
    edit.show();
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, "-5");
    QCOMPARE(edit.text(), QStringLiteral("1"));
    QCOMPARE(edit.Value(), 1.0);
  }

  void keysAreFiltered() {
    TWidthWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Width->SetDecimal(2);
    w.Type("12.5");
    QTest::keyClicks(w.Width, ".x");  // a second separator, a letter
    QCOMPARE(w.Width->text(), QStringLiteral("12.5"));
    w.Width->selectAll();
    QTest::keyClick(w.Width, '.');  // a separator over the whole text is fine
    QCOMPARE(w.Width->text(), QStringLiteral("."));

    TQarvSpinEdit integer;  // no limits
    integer.selectAll();
    QTest::keyClicks(&integer, "-3-");
    QCOMPARE(integer.text(), QStringLiteral("-3"));
    QCOMPARE(integer.Value(), -3.0);
    QVERIFY(!integer.IsValidChar(QLatin1Char('.')));
    QVERIFY(!integer.IsNumText(QStringLiteral("1.5")));
    QVERIFY(w.Width->IsNumText(QStringLiteral("-1.5")));
    for (const char* text : {"", "-", "1-", "1.2.3", "--1", "1e3"}) {
      QVERIFY2(!w.Width->IsNumText(QString::fromLatin1(text)), text);
    }
    w.Width->setReadOnly(true);
    QVERIFY(!w.Width->IsValidChar(QLatin1Char('5')));
    QVERIFY(!w.Width->IsValidChar(QLatin1Char('\b')));
    QVERIFY(w.Width->IsValidChar(QChar(3)));  // copy stays possible
  }

  void arrowsAndLimitsAndFactors() {
    TQarvSpinEdit edit;  // equal limits: none
    edit.SetValue(-1e6);
    QCOMPARE(edit.Value(), -1e6);
    edit.SetValue(5);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Down);
    QCOMPARE(edit.Value(), 6.0);
    QCOMPARE(edit.text(), QStringLiteral("6"));
    edit.setReadOnly(true);
    edit.UpClick();
    QCOMPARE(edit.Value(), 6.0);

    edit.SetConvertTo(TQarvConvertType::ctInch);  // conversion not enabled: ignored
    QCOMPARE(edit.Koef(), 1.0);
    QCOMPARE(edit.ConvertTo(), TQarvConvertType::ctMM);
    edit.SetEnableConvert(true);
    edit.SetConvertTo(TQarvConvertType::ctM);
    edit.SetConvertTo(TQarvConvertType::ctYard);  // keeps the metre factor
    QCOMPARE(edit.Koef(), 0.001);
    QCOMPARE(edit.ConvertTo(), TQarvConvertType::ctYard);
    edit.SetKoef(1e6);  // limited to MaxKoef
    QCOMPARE(edit.Koef(), 1000.0);
  }

  void pasteOnlyWhereTheEditorIsEnabled() {
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    TQarvSpinEdit edit;
    edit.SetEditorEnabled(false);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("0"));
    edit.SetEditorEnabled(true);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("42"));
    QCOMPARE(edit.Value(), 42.0);
  }

  void valueIntegerRoundsHalvesToEven() {
    TQarvSpinEdit edit;
    edit.SetValueType(TQarvValueType::vtFloat);
    edit.SetValue(2.5);
    QCOMPARE(edit.ValueInteger(), 2);
    edit.SetValue(3.5);
    QCOMPARE(edit.ValueInteger(), 4);
  }

  // A short click gives one step; a held arrow repeats first after 400 ms, then every 100 ms,
  // and gives one more step on release.
  void heldArrowRepeats() {
    TQarvSpinEdit edit;
    edit.resize(80, 24);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    TTimerSpeedButton* up = edit.Button()->UpButton();
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(edit.Value(), 1.0);

    QElapsedTimer clock;
    QList<qint64> steps;
    connect(edit.Button(), &TQarvSpinButton::UpClick, this, [&] { steps << clock.elapsed(); });
    clock.start();
    QTest::mousePress(up, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(steps.size() >= 3, 10000);
    const qsizetype held = steps.size();
    QTest::mouseRelease(up, Qt::LeftButton);
    // A few milliseconds of slack for the clocks' rounding.
    QVERIFY2(steps[0] >= TTimerSpeedButton::kFirstRepeatMs - 5,
             qPrintable(QString::number(steps[0])));
    QVERIFY(steps[1] - steps[0] >= TTimerSpeedButton::kRepeatMs - 5);
    QVERIFY(steps[1] - steps[0] < TTimerSpeedButton::kFirstRepeatMs);
    QCOMPARE(steps.size(), held + 1);  // one more on release
    QCOMPARE(edit.Value(), 1.0 + held + 1);
    QTest::qWait(250);
    QCOMPARE(steps.size(), held + 1);  // released: no more repeats
  }

  void pressingAnArrowFocusesTheEdit() {
    TWidthWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Other->setFocus();
    QTest::mouseClick(w.Width->Button()->DownButton(), Qt::LeftButton);
    QVERIFY(w.Width->hasFocus());
    QCOMPARE(w.Width->Value(), 999.0);
  }
};

}  // namespace plavo

QTEST_MAIN(plavo::TQarvNumericEditSpinTest)
#include "QarvNumericEditSpinTest.moc"
