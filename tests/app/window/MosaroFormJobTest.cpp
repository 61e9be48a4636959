// The window's copies, added drawings and job files, driven as a user drives them on the
// offscreen platform, the dialogs answered by a stub.
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "app/window/FormTestSupport.h"
#include "app/window/MosaroForm.h"
#include "ui/controls/QarvNumericEditSpin.h"

namespace plavo {

class TMosaroFormJobTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  TStubDialogs FDialogs;
  std::unique_ptr<TMosaroFm> FForm;

  QString Path(const char* Name) const { return FDir.filePath(QString::fromLatin1(Name)); }
  void Open(const char* Name, int Count) {
    WriteRectangles(Path(Name), QList<QSizeF>(Count, QSizeF(60, 40)));
    QVERIFY(FForm->OpenDrawing(Path(Name)));
  }
  void Copies(int Shape, const char* Item, const char* Answer) {
    FDialogs.Choice = QString::fromLatin1(Item);
    FDialogs.InputAnswer = QString::fromLatin1(Answer);
    FForm->ShowShapeMenu(Shape, QPoint());
  }
  int Placed() const { return PlacedCount(FForm->Results().back()); }

 private slots:
  void init() {
    QVERIFY(FDir.isValid());
    FDialogs = TStubDialogs();
    FForm = ShownTestForm(FDir.path(), FDialogs);
  }
  void cleanup() { FForm.reset(); }

  void copiesOfOneShapeAndOfAll() {
    Open("a.ai", 3);
    Copies(1, "Copies1", "4");
    QCOMPARE(FForm->Job().Copies(1), 4);
    QCOMPARE(FForm->Job().PartCount(), 6);
    QVERIFY(FForm->findChild<QLabel*>(QStringLiteral("StatusLine"))
                ->text()
                .contains(QStringLiteral("Parts: 6")));
    Copies(0, "Copies1", "10001");  // out of range: said, nothing changed
    QCOMPARE(FDialogs.Messages.size(), 1);
    QCOMPARE(FForm->Job().Copies(0), 1);
    Copies(2, "CopiesAll1", "2");
    QCOMPARE(FForm->Job().PartCount(), 6);
    QCOMPARE(FForm->Job().Copies(1), 2);
    FForm->ButtonApplyClick();
    QTRY_VERIFY(!FForm->Running());  // the run works on a thread of its own
    QCOMPARE(Placed(), 6);
  }

  void anAddedDrawingNestsWithTheFirst() {
    Open("a.ai", 2);
    WriteRectangles(Path("b.ai"), {{30, 30}, {30, 30}, {20, 20}});
    FDialogs.OpenName = Path("b.ai");
    FForm->AddDrawing1Click();
    QCOMPARE(FForm->Job().ShapeCount(), 5);
    QCOMPARE(FForm->Job().Drawings().size(), size_t{2});
    FForm->ButtonApplyClick();
    QTRY_VERIFY(!FForm->Running());  // the run works on a thread of its own
    QCOMPARE(Placed(), 5);
  }

  void aSavedJobOpensToTheSameJob() {
    Open("a.ai", 3);
    Copies(0, "Copies1", "3");
    FDialogs.Choice = QStringLiteral("N0400");  // 180 deg. for shape 2
    FForm->ShowShapeMenu(2, QPoint());
    FForm->findChild<TQarvSpinEdit*>(QStringLiteral("Distance"))->SetValue(7);
    FDialogs.SaveName = Path("job");
    FForm->SaveJob1Click();
    QVERIFY(QFileInfo::exists(Path("job.plavo")));
    const int32_t attr = FForm->Job().UserAttr(2);

    Open("other.ai", 1);
    FForm->findChild<TQarvSpinEdit*>(QStringLiteral("Distance"))->SetValue(2);
    FDialogs.OpenName = Path("job.plavo");
    FForm->OpenJob1Click();
    QCOMPARE(FForm->Job().ShapeCount(), 3);
    QCOMPARE(FForm->Job().Copies(0), 3);
    QCOMPARE(FForm->Job().UserAttr(2), attr);
    QCOMPARE(FForm->findChild<TQarvSpinEdit*>(QStringLiteral("Distance"))->Value(), 7.0);

    // Its drawing gone, the job is refused with the drawing's name; the job on show stays.
    QVERIFY(QFile::remove(Path("a.ai")));
    QVERIFY(!FForm->OpenJob(Path("job.plavo")));
    QVERIFY(FDialogs.Messages.last().contains(QStringLiteral("a.ai")));
    QCOMPARE(FForm->Job().PartCount(), 5);
  }
};

}  // namespace plavo

QTEST_MAIN(plavo::TMosaroFormJobTest)
#include "MosaroFormJobTest.moc"
