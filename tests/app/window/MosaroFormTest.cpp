// The main window driven as a user drives it, on the offscreen platform, with the dialogs
// answered by a stub and the ini files in a temporary folder.
#include "app/window/MosaroForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

#include "app/window/FormTestSupport.h"
#include "formats/DrawingReader.h"
#include "settings/Translate.h"
#include "ui/settings/StoreControls.h"
#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/preview/QarvPreviewImage.h"

namespace plavo {

namespace {

// The closed outlines of Area mm2 in a drawing (shoelace over the segments' ends, so turned
// rectangles count too), however the reader grouped them into shapes.
int OutlinesOfArea(const TQarvShapes& Shapes, double Area) {
  int count = 0;
  for (int i = 0; i < Shapes.ShapeCount(); ++i) {
    const TQarvOneCurve* curve = Shapes.GetShape(i)->Curve();
    for (int p = 0; curve != nullptr && p < curve->PathCount(); ++p) {
      const TQarvOnePath* path = curve->GetPath(p);
      double twice = 0.0;
      for (int k = 0; k < path->SegmentCount(); ++k) {
        const TNodeSimple a = path->GetSegment(k)->StartNode(), b = path->GetSegment(k)->EndNode();
        twice += a.X * b.Y - b.X * a.Y;
      }
      if (std::abs(std::abs(twice) / 2 - Area) < 1.0) ++count;
    }
  }
  return count;
}

QString ReadFile(const QString& FileName) {
  QFile file(FileName);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

class TMosaroFormTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir FDir;
  TStubDialogs FDialogs;
  std::unique_ptr<TMosaroFm> FForm;

  template <typename T>
  T* Child(const char* Name) const {
    return FForm->findChild<T*>(QString::fromLatin1(Name));
  }
  QPushButton* Button(const char* Name) const { return Child<QPushButton>(Name); }
  void Click(const char* Name) { QTest::mouseClick(Button(Name), Qt::LeftButton); }
  QString Path(const char* Name) const { return FDir.filePath(QString::fromLatin1(Name)); }

  void Open(const QList<QSizeF>& Sizes) {
    WriteRectangles(Path("shapes.ai"), Sizes);
    FDialogs.OpenName = Path("shapes.ai");
    FForm->Open1Click();
    QCOMPARE(FForm->Job().ShapeCount(), Sizes.size());
  }
  void Open(int Count, double W = 100, double H = 80) { Open(QList<QSizeF>(Count, QSizeF(W, H))); }
  // The run works on its own thread: these wait for its result to come in.
  void WaitForRun() { QTRY_VERIFY_WITH_TIMEOUT(!FForm->Running(), 60000); }
  void Apply() {
    Click("ButtonApply");
    WaitForRun();
  }
  // Starts Apply and calls During at once, while the run works, then waits for the result.
  void ApplyWith(std::function<void()> During) {
    Click("ButtonApply");
    QVERIFY(FForm->Running());
    During();
    WaitForRun();
  }
  int Placed(const TOneNestingResult& R) const { return PlacedCount(R); }

 private slots:
  void init() {
    QVERIFY(FDir.isValid());
    FDialogs = TStubDialogs();
    FForm = ShownTestForm(FDir.path(), FDialogs);
  }
  void cleanup() {
    FForm.reset();
    QDir(FDir.path()).removeRecursively();
    QDir().mkpath(FDir.path());
  }

  void firstActivationAsksForAFileOnce() {
    TFormEnvironment env;
    env.IniFolder = FDir.path();
    env.Dialogs = &FDialogs;
    TMosaroFm form(env);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTRY_COMPARE(FDialogs.OpenCalls, 1);
    form.activateWindow();
    QTest::qWait(20);
    QCOMPARE(FDialogs.OpenCalls, 1);
  }

  void aDroppedFileOpensUnlessARunWorks() {
    WriteRectangles(Path("dropped.ai"), {{50, 50}, {60, 60}});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("dropped.ai"))});
    auto drop = [&] {
      QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
      QCoreApplication::sendEvent(FForm.get(), &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
      QCoreApplication::sendEvent(FForm.get(), &event);
      QCoreApplication::processEvents();  // the drop opens the file once it has finished
    };
    Open(3);
    ApplyWith(drop);
    QCoreApplication::processEvents();
    QCOMPARE(FForm->Job().ShapeCount(), 3);
    drop();
    QCOMPARE(FForm->Job().ShapeCount(), 2);
  }

  void emptyWindowRefusesApplyAndSave() {
    QCOMPARE(FForm->windowTitle(), QStringLiteral("Plavo"));
    Apply();
    Click("ButtonOK");
    QCOMPARE(FDialogs.Messages, QStringList({"Open file first.", "Open file first."}));
    // The shortcuts go through the same handlers.
    FForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
    QTest::keyClick(FForm.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(FDialogs.Messages.size(), 3);
    QTest::keyClick(FForm.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(FDialogs.OpenCalls, 1);
    Open(3);
    Click("ButtonOK");
    QCOMPARE(FDialogs.Messages.last(), QStringLiteral("Apply nesting first."));
    QCOMPARE(FDialogs.SaveCalls, 0);
  }

  void aFileThatCannotBeReadSaysWhichAndKeepsTheDrawing() {
    Open(3);
    Apply();
    QFile garbage(Path("garbage.ai"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("\x01\x02 not a drawing\n");
    garbage.close();
    FDialogs.OpenName = Path("garbage.ai");
    FForm->Open1Click();
    QCOMPARE(FDialogs.Messages.size(), 1);
    QVERIFY(FDialogs.Messages[0].startsWith(QStringLiteral("Error opening file!")));
    QVERIFY(FDialogs.Messages[0].contains(QDir::toNativeSeparators(Path("garbage.ai"))));
    QVERIFY(FDialogs.Messages[0].endsWith(QStringLiteral("(no drawing found in it)")));
    QCOMPARE(FForm->Job().ShapeCount(), 3);
    QCOMPARE(FForm->Results().size(), size_t{1});
    QVERIFY(FForm->HasResult() && !FForm->Loading());
    QVERIFY(FDialogs.Questions.isEmpty());  // nothing to discard for a file that was not read
    // A file named on the command line that does not exist says so the same way.
    QVERIFY(!FForm->OpenDrawing(Path("missing.ai")));
    QVERIFY(FDialogs.Messages.last().startsWith(QStringLiteral("Error opening file!")));
    QVERIFY(FDialogs.Messages.last().endsWith(QStringLiteral("(no such file)")));
    QCOMPARE(FForm->windowTitle(), QStringLiteral("Plavo \u2014 shapes.ai"));
  }

  void emptyAndShortDrawingsSaySo() {
    QFile svg(Path("notes.svg"));
    QVERIFY(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns='http://www.w3.org/2000/svg'><text>cut me</text></svg>");
    svg.close();
    QVERIFY(FForm->OpenDrawing(Path("notes.svg")));
    QCOMPARE(FDialogs.Messages.size(), 1);  // the reader's warning and the empty drawing, at once
    QVERIFY(FDialogs.Messages[0].contains(QStringLiteral("text was skipped")));
    QVERIFY(FDialogs.Messages[0].endsWith(QStringLiteral("The drawing holds no shapes to nest.")));
    Apply();
    QCOMPARE(FDialogs.Messages.last(), QStringLiteral("The drawing holds no shapes to nest."));
  }

  // Issue 19: a drawing of more shapes than the records can count is refused with the count and
  // the limit, as the command line refuses it; the job is left without a drawing.
  void aDrawingOfTooManyShapesIsRefused() {
    Open(3);
    QFile many(Path("many.svg"));
    QVERIFY(many.open(QIODevice::WriteOnly));
    many.write(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000mm\" height=\"1000mm\" "
        "viewBox=\"0 0 1000 1000\">\n");
    for (int k = 0; k < 70000; ++k) {
      many.write(QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"1\" height=\"1\"/>\n")
                     .arg(k % 500 * 2)
                     .arg(k / 500 * 2)
                     .toLatin1());
    }
    many.write("</svg>\n");
    many.close();
    FDialogs.OpenName = Path("many.svg");
    FForm->Open1Click();
    QCOMPARE(FDialogs.Messages.size(), 1);
    QVERIFY2(
        FDialogs.Messages[0].contains(QStringLiteral("70000 shapes; at most 65535 can be nested")),
        qPrintable(FDialogs.Messages[0]));
    QCOMPARE(FForm->Job().ShapeCount(), 0);
    QVERIFY(!FForm->Loading());
  }

  void anSvgDrawingOpensAndNests() {
    QFile svg(Path("parts.svg"));
    QVERIFY(svg.open(QIODevice::WriteOnly));
    svg.write(
        "<svg xmlns='http://www.w3.org/2000/svg' width='200mm' height='100mm'"
        " viewBox='0 0 200 100'><rect x='0' y='0' width='50' height='30' fill='red'/>"
        "<rect x='60' y='0' width='40' height='40' fill='blue'/></svg>");
    svg.close();
    FDialogs.OpenName = Path("parts.svg");
    FForm->Open1Click();
    QCOMPARE(FForm->Job().ShapeCount(), 2);
    Apply();
    QCOMPARE(Placed(FForm->Results().back()), 2);
  }

  void applyShowsSheetsAndNavigates() {
    Open(4);
    for (int run = 0; run < 3; ++run) Apply();
    QCOMPARE(FForm->Results().size(), size_t{3});
    QCOMPARE(FForm->CurrentResult(), 2);
    QVERIFY(Button("ButtonShowOriginal")->isVisible());
    QVERIFY(Button("ButtonNestingResultBest")->isVisible());
    QVERIFY(!Button("ButtonNestingResultNext")->isEnabled());
    // Four rectangles on one sheet: four shapes and one sheet outline.
    const TQarvPreviewShapes& list = FForm->Preview()->Shapes();
    QCOMPARE(list.Shape.size(), size_t{5});
    QCOMPARE(list.Shape.back().Index, -1);
    QCOMPARE(list.Shape.back().Path[0].Color, 0xB799FF);
    QCOMPARE(list.Shape[0].Path[0].Color, 0x7F7FE0);  // cyan-less red capped at 0xE0

    Click("ButtonNestingResultPrev");
    QCOMPARE(FForm->CurrentResult(), 1);
    Click("ButtonNestingResultPrev");
    Click("ButtonNestingResultPrev");
    QCOMPARE(FForm->CurrentResult(), 0);
    QVERIFY(!Button("ButtonNestingResultPrev")->isEnabled());
    Click("ButtonNestingResultNext");
    QCOMPARE(FForm->CurrentResult(), 1);
    // Runs without the search are alike: of equal height sums the earliest is best.
    Click("ButtonNestingResultBest");
    QCOMPARE(FForm->CurrentResult(), 0);
    const QString status = Child<QLabel>("StatusLine")->text();
    for (const char* part : {"Result 1 of 3", "Sheets: 1", "Placed: 4 of 4", "Utilisation: "}) {
      QVERIFY2(status.contains(QLatin1String(part)), qPrintable(status));
    }

    Click("ButtonShowOriginal");
    QVERIFY(!FForm->HasResult());
    QCOMPARE(FForm->Preview()->Shapes().Shape.size(), size_t{4});
    // A new file forgets the results and hides the result buttons.
    Open(2);
    QVERIFY(FForm->Results().empty());
    QVERIFY(!Button("ButtonNestingResultPrev")->isVisible());
    QVERIFY(!Button("ButtonShowOriginal")->isVisible());
  }

  void optimiseForSecondsRunsTheOptimiser() {
    Open(6, 120, 70);
    Child<TQarvSpinEdit>("Optimise_Time")->SetValue(1);
    Child<QComboBox>("ecUnits")->setCurrentIndex(2);  // seconds are no length: not converted
    QCOMPARE(Child<TQarvSpinEdit>("Optimise_Time")->text(), QStringLiteral("1"));
    Apply();
    QVERIFY(FForm->Evaluations() > 0);
    QVERIFY(ReadFile(FForm->PresetFile()).contains(QStringLiteral("Optimise_Time=1")));
    QVERIFY(FDialogs.Messages.isEmpty());  // nothing reaches beyond its sheet
  }

  void unplacedShapesAreCounted() {
    Open({{100, 80}, {1200, 50}, {100, 80}, {50, 1500}});  // two larger than any sheet
    Apply();
    QCOMPARE(FForm->UnplacedShown(), 2);
    // Lined up above the sheet in the order of the drawing, one block distance apart.
    const TQarvPreviewShapes& list = FForm->Preview()->Shapes();
    const double left1 = list.Shape[1].Path[0].Segment[0].StartNodeX;
    const double left3 = list.Shape[3].Path[0].Segment[0].StartNodeX;
    QCOMPARE(left3 - left1, 1200.0 + 100.0);
    QVERIFY(list.Shape[1].Path[0].Segment[0].StartNodeY >= 1000.0 + 100.0);
  }

  void stopAndSkipSearchingDuringARun() {
    Open(40, 60, 40);
    Child<QCheckBox>("Genetics_Check")->setChecked(true);
    ApplyWith([this] {
      QPushButton* stop = Button("ButtonStop");
      QCOMPARE(stop->text(), QStringLiteral("Skip searching."));
      Click("ButtonStop");
      QCOMPARE(stop->text(), QStringLiteral("Stop."));
      QVERIFY(FForm->Running());
      Click("ButtonStop");
    });
    QVERIFY(!FForm->Running());
    QVERIFY(!Button("ButtonStop")->isVisible());
    QVERIFY(Placed(FForm->Results().back()) < 40);
    Child<QCheckBox>("Genetics_Check")->setChecked(false);
    ApplyWith([this] { Click("ButtonStop"); });
    QVERIFY(Placed(FForm->Results().back()) < 40);
  }

  void actionsDuringARunAreRefused() {
    Open(30, 60, 40);
    Apply();
    Apply();
    const int32_t attr = FForm->Job().UserAttr(0);
    FDialogs.Choice = QStringLiteral("N0020");
    ApplyWith([&, this] {
      Child<TQarvSpinEdit>("Media_Width")->SetValue(777);
      Click("ButtonApply");  // stores the preset, starts nothing
      FForm->Open1Click();
      FForm->ButtonOKClick();
      FForm->ShowShapeMenu(0, QPoint());
      FForm->N0200AllClick();
      FForm->Addprofile1Click();
      FForm->Editprofilename1Click();
      FForm->Deleteprofile1Click();
      Click("ButtonNestingResultPrev");
      Click("ButtonNestingResultBest");
      Click("ButtonShowOriginal");
      QCOMPARE(FForm->CurrentResult(), 1);
    });
    QCOMPARE(FForm->Results().size(), size_t{3});
    QCOMPARE(FDialogs.OpenCalls, 1);
    QCOMPARE(FDialogs.SaveCalls + FDialogs.InputCalls + FDialogs.PopupCalls, 0);
    QCOMPARE(FForm->Job().UserAttr(0), attr);
    QVERIFY(ReadFile(FForm->PresetFile()).contains(QStringLiteral("Media_Width=777")));
  }

  void theWindowAnswersWhileARunWorksAndStopEndsItAtOnce() {
    FDialogs.OpenName = QStringLiteral(PLAVO_TESTDATA_DIR "/esicup-ai/shirts.ai");
    FForm->Open1Click();
    QVERIFY(FForm->Job().ShapeCount() > 0);
    Child<TQarvSpinEdit>("Optimise_Time")->SetValue(60);
    Click("ButtonApply");
    QVERIFY(FForm->Running());
    // The longest wait between two ticks of a 5 ms timer while the run works: the event loop's
    // answer time. The preview zooms in the meantime.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer ticks;
    connect(&ticks, &QTimer::timeout, [&] {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
    });
    ticks.start(5);
    FForm->Preview()->SendWheel(true);
    QTest::qWait(1500);
    ticks.stop();
    QVERIFY(FForm->Running());
    qInfo("longest wait of the event loop during the run: %lld ms", longest);
    QVERIFY(longest <= 100 * PLAVO_TIME_SCALE);
    clock.restart();
    Click("ButtonStop");
    WaitForRun();
    qInfo("Stop ended the run in %lld ms", clock.elapsed());
    QVERIFY(clock.elapsed() <= 300 * PLAVO_TIME_SCALE);
    QCOMPARE(FForm->Results().size(), size_t{1});
    QVERIFY(Placed(FForm->Results().back()) > 0);
  }

  void closingDuringARunStopsItFirst() {
    Open(40, 60, 40);
    ApplyWith([this] {
      FForm->close();
      QVERIFY(FForm->isVisible());  // the engine still works on the drawing
    });
    QVERIFY(!FForm->isVisible());
    QCOMPARE(FForm->Results().size(), size_t{1});
    QVERIFY(Placed(FForm->Results().back()) < 40);
    QVERIFY(QFile::exists(FForm->ConfigFile()));
  }

  void nothingIsLostWithoutAQuestion() {
    Open(2);
    Apply();
    // Every way out and every way in asks while the result is unsaved.
    FDialogs.Answers = {false, false, false};
    Click("ButtonCancel");
    QTest::keyClick(FForm.get(), Qt::Key_Escape);
    WriteRectangles(Path("other.ai"), {{50, 50}});
    QVERIFY(!FForm->OpenDrawing(Path("other.ai")));
    QVERIFY(FForm->isVisible());
    QCOMPARE(FDialogs.Questions,
             QStringList({"Are you sure want to exit?", "Are you sure want to exit?",
                          "The nesting result has not been saved. Discard it?"}));
    QCOMPARE(FForm->Job().ShapeCount(), 2);
    QCOMPARE(FForm->Results().size(), size_t{1});

    // With a single result the way back from the original stays on screen, and Save saves it.
    Click("ButtonShowOriginal");
    QPushButton* back = Button("ButtonShowOriginal");
    QVERIFY(back->isVisible() && back->text() == QStringLiteral("Show result"));
    FDialogs.SaveName = Path("kept");
    Click("ButtonOK");
    QVERIFY(FDialogs.Messages.isEmpty());
    QVERIFY(QFile::exists(Path("kept.ai")));
    Click("ButtonShowOriginal");
    QVERIFY(FForm->HasResult());
    QCOMPARE(back->text(), QStringLiteral("Show original"));
    // Saved: leaving asks nothing more.
    QTest::keyClick(FForm.get(), Qt::Key_Escape);
    QVERIFY(!FForm->isVisible());
    QCOMPARE(FDialogs.Questions.size(), 3);
  }

  void perShapeCodes() {
    Open(3);
    FDialogs.Choice = QStringLiteral("N0020");
    FForm->ShowShapeMenu(1, QPoint());
    QCOMPARE(FForm->Job().UserAttr(1) & 0xF0, 0x20);
    FForm->ShowShapeMenu(1, QPoint());  // "High" again: unchecked, the window's setting applies
    QCOMPARE(FForm->Job().UserAttr(1) & 0xF0, 0);
    FDialogs.Choice = QStringLiteral("N0001");
    FForm->ShowShapeMenu(2, QPoint());
    QCOMPARE(FForm->Job().UserAttr(2) & 0xF, 0);
    QVERIFY(FForm->Preview()->Shapes().Shape[2].Path[0].Dashed);
    Apply();
    QCOMPARE(Placed(FForm->Results().back()), 2);
    // Left out on purpose: dashed, neither counted nor reported as not fitting.
    QCOMPARE(FForm->UnplacedShown(), 0);
    QVERIFY(FForm->Preview()->Shapes().Shape[2].Path[0].Dashed);
    QVERIFY(Child<QLabel>("StatusLine")->text().contains(QStringLiteral("Placed: 2 of 2")));

    FDialogs.Choice = QStringLiteral("N1000");
    FForm->ShowShapeMenu(0, QPoint());
    FForm->ShowShapeMenu(1, QPoint());
    QCOMPARE(FForm->Job().UserAttr(0) & 0xF000, 0);
    QCOMPARE(FForm->Job().UserAttr(1) & 0xF000, 0x1000);
    FDialogs.Choice = QStringLiteral("N0200All");
    FForm->ShowShapeMenu(0, QPoint());
    for (int i = 0; i < 3; ++i) QCOMPARE(FForm->Job().UserAttr(i) & 0xF00, 0x200);
    FDialogs.Choice = QStringLiteral("nothing");  // the popup closed without a choice
    FForm->ShowShapeMenu(2, QPoint());
    QVERIFY(FForm->findChild<QAction*>(QStringLiteral("N0200"))->isChecked());
  }

  void clickOnAShapeOpensItsPopup() {
    Open(2);
    TQarvPreviewImage* preview = FForm->Preview();
    const TQarvPrevireSegment& s = preview->Shapes().Shape[1].Path[0].Segment[0];
    const QPoint at = preview->GetCanvasCoordinate(s.StartNodeX, (s.StartNodeY + s.EndNodeY) / 2);
    FDialogs.Choice = QStringLiteral("N0400");
    QTest::mouseMove(preview, at);
    QTest::mouseClick(preview, Qt::LeftButton, {}, at);
    QCOMPARE(FDialogs.PopupMenuName, QStringLiteral("PopupMenu2"));
    QCOMPARE(FForm->Job().UserAttr(1) & 0xF00, 0x400);
    QCOMPARE(FForm->Job().UserAttr(0) & 0xF00, 0x100);
    // Anywhere inside a shape picks it.
    const QPoint middle = preview->GetCanvasCoordinate(50, 40);
    QTest::mouseMove(preview, middle);
    QTest::mouseClick(preview, Qt::LeftButton, {}, middle);
    QCOMPARE(FForm->Job().UserAttr(0) & 0xF00, 0x400);
    // A click that ends a drag of the preview opens nothing, even back where it began.
    QTest::mousePress(preview, Qt::LeftButton, {}, at);
    QTest::mouseMove(preview, at + QPoint(30, 20));
    QTest::mouseMove(preview, at);
    QTest::mouseRelease(preview, Qt::LeftButton, {}, at);
    QCOMPARE(FDialogs.PopupCalls, 2);
    // Home fits the view again after a zoom, also while the hidden field over the preview has
    // the focus.
    const double fitted = preview->PrKoeff();
    preview->SetMouseIn(true);
    preview->SendWheel(false);
    QVERIFY(preview->PrKoeff() > fitted);
    FForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
    auto* dummy = Child<TQarvSpinEdit>("Dummy");
    dummy->setFocus();
    QTest::keyClick(dummy, Qt::Key_Home);
    QCOMPARE(preview->PrKoeff(), fitted);
  }

  void presetsOnDisk() {
    auto* presets = Child<QComboBox>("preset_CB");
    QCOMPARE(presets->currentText(), QStringLiteral("Preset #1"));
    FDialogs.Choice = QStringLiteral("Addprofile1");
    FDialogs.InputAnswer = QStringLiteral("Thin");
    Child<TQarvSpinEdit>("Distance")->SetValue(2);
    Click("Button1");
    QCOMPARE(FDialogs.Proposed, QStringLiteral("Preset #1 (new)"));
    QCOMPARE(presets->currentText(), QStringLiteral("Thin"));
    QVERIFY(ReadFile(FForm->PresetFile()).contains(QStringLiteral("[Thin]")));

    FDialogs.Choice = QStringLiteral("Editprofilename1");
    FDialogs.InputAnswer = QStringLiteral("Fine");
    Click("Button1");
    QString ini = ReadFile(FForm->PresetFile());
    QVERIFY(ini.contains(QStringLiteral("[Fine]")) && !ini.contains(QStringLiteral("[Thin]")));
    QCOMPARE(presets->currentText(), QStringLiteral("Fine"));

    // Another preset, then choosing the earlier one loads its values.
    FDialogs.Choice = QStringLiteral("Addprofile1");
    FDialogs.InputAnswer = QStringLiteral("Wide");
    Child<TQarvSpinEdit>("Distance")->SetValue(9);
    Click("Button1");
    presets->setCurrentIndex(1);
    QCOMPARE(presets->currentText(), QStringLiteral("Fine"));
    QCOMPARE(Child<TQarvSpinEdit>("Distance")->Value(), 2.0);

    FDialogs.Choice = QStringLiteral("Deleteprofile1");
    Click("Button1");
    ini = ReadFile(FForm->PresetFile());
    QVERIFY(!ini.contains(QStringLiteral("[Fine]")) && ini.contains(QStringLiteral("[Wide]")));
    presets->setCurrentIndex(1);
    QCOMPARE(presets->currentText(), QStringLiteral("Wide"));
    // The chosen preset is remembered for the next start.
    FForm->close();
    QVERIFY(ReadFile(FForm->ConfigFile()).contains(QStringLiteral("preset_CB=1")));
  }

  void presetsKeepWhatTheUserTyped() {
    auto* presets = Child<QComboBox>("preset_CB");
    auto* width = Child<TQarvSpinEdit>("Media_Width");
    FDialogs.Choice = QStringLiteral("Addprofile1");
    FDialogs.InputAnswer = QStringLiteral("Plywood 6mm");
    Click("Button1");
    // The preset left is written too, so both are there after a restart.
    QCOMPARE(ReadIniSections(FForm->PresetFile()), QStringList({"Preset #1", "Plywood 6mm"}));
    width->SetValue(1220);
    presets->setCurrentIndex(0);
    QCOMPARE(width->Value(), 1000.0);
    presets->setCurrentIndex(1);
    QCOMPARE(width->Value(), 1220.0);

    // No two presets share a name in any letter case: renaming onto one is refused, adding
    // onto one asks first.
    FDialogs.Choice = QStringLiteral("Editprofilename1");
    FDialogs.InputAnswer = QStringLiteral("preset #1");
    Click("Button1");
    QVERIFY(FDialogs.Messages.last().startsWith(QStringLiteral("A preset of this name exists")));
    FDialogs.Choice = QStringLiteral("Addprofile1");
    FDialogs.InputAnswer = QStringLiteral("PRESET #1");
    FDialogs.Answers = {false};
    Click("Button1");
    QVERIFY(FDialogs.Questions.last().startsWith(QStringLiteral("A preset of this name exists")));
    QCOMPARE(ReadIniSections(FForm->PresetFile()), QStringList({"Preset #1", "Plywood 6mm"}));
    QCOMPARE(presets->currentText(), QStringLiteral("Plywood 6mm"));

    // Delete asks, and the last preset stays.
    FDialogs.Choice = QStringLiteral("Deleteprofile1");
    FDialogs.Answers = {false, true};
    Click("Button1");
    QCOMPARE(presets->count(), 2);
    Click("Button1");
    Click("Button1");
    QCOMPARE(FDialogs.Messages.last(), QStringLiteral("The last preset cannot be deleted."));
    QCOMPARE(ReadIniSections(FForm->PresetFile()), QStringList{"Preset #1"});
    QCOMPARE(width->Value(), 1000.0);
  }

  void anyScreenSize() {
    Open(2);
    Apply();
    Apply();  // every result button on show
    // A 1024 x 600 screen less a title bar: the menu and every button in the window.
    const QSize small(1024, 570);
    QVERIFY(FForm->minimumSizeHint().boundedTo(small) == FForm->minimumSizeHint());
    FForm->resize(small);
    QTRY_COMPARE(FForm->size(), small);
    QTRY_VERIFY(FForm->menuBar()->geometry().bottom() < small.height());
    for (QPushButton* b : FForm->findChildren<QPushButton*>()) {
      if (!b->isVisible()) continue;
      const QRect at(b->mapTo(FForm.get(), QPoint(0, 0)), b->size());
      QVERIFY2(FForm->rect().contains(at), qPrintable(b->objectName()));
    }
    // A larger window gives the preview the room.
    const QSize preview = FForm->Preview()->size();
    FForm->resize(1600, 1000);
    QTRY_COMPARE(FForm->Preview()->size(), preview + QSize(576, 430));
  }

  void settingsShowTheirWholeTextsInEnglishAndGerman() {
    for (const bool german : {false, true}) {
      TFormEnvironment env;
      env.IniFolder = FDir.path();
      env.Dialogs = &FDialogs;
      env.OpenAtFirstShow = false;
      if (german) env.Language = TLanguage::Load(PLAVO_SOURCE_DIR "/translations/German.ini");
      TMosaroFm form(env);
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      auto* page = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
      for (QLabel* label : page->findChildren<QLabel*>()) {
        const QFontMetrics metrics = label->fontMetrics();
        for (const QString& word : label->text().split(QLatin1Char(' '))) {
          QVERIFY2(metrics.horizontalAdvance(word) <= label->contentsRect().width(),
                   qPrintable(label->text()));
        }
        QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                 qPrintable(label->text()));
      }
      for (QWidget* field : page->findChildren<QWidget*>()) {
        if (!qobject_cast<QCheckBox*>(field) && !qobject_cast<QComboBox*>(field)) continue;
        QVERIFY2(field->width() >= field->sizeHint().width(), qPrintable(field->objectName()));
      }
      // Each number field is announced by its own label.
      QCOMPARE(form.findChild<TQarvSpinEdit*>(QStringLiteral("Media_Height"))->accessibleName(),
               german ? QStringLiteral("Blatthöhe") : QStringLiteral("Sheet height"));
    }
  }

  void saveNames_data() {
    QTest::addColumn<QString>("Chosen");
    QTest::addColumn<int>("Type");  // the file type chosen in the dialog
    QTest::addColumn<QString>("Written");
    QTest::addColumn<int>("Format");
    const int ai = int(TDrawingFormat::Illustrator), svg = int(TDrawingFormat::Svg),
              dxf = int(TDrawingFormat::Dxf);
    QTest::newRow("no extension") << "out" << 0 << "out.ai" << ai;
    QTest::newRow("upper case") << "out.AI" << 0 << "out.AI" << ai;
    QTest::newRow("other extension") << "out.txt" << 0 << "out.txt.ai" << ai;
    QTest::newRow("svg typed") << "out.svg" << 0 << "out.svg" << svg;
    QTest::newRow("dxf typed") << "out.DXF" << 1 << "out.DXF" << dxf;
    QTest::newRow("svg chosen") << "out" << 1 << "out.svg" << svg;
    QTest::newRow("dxf chosen") << "out" << 2 << "out.dxf" << dxf;
  }
  void saveNames() {
    QFETCH(QString, Chosen);
    QFETCH(int, Type);
    QFETCH(QString, Written);
    QFETCH(int, Format);
    Open(3);
    Apply();
    FDialogs.SaveName = FDir.filePath(Chosen);
    FDialogs.SaveType = Type;
    Click("ButtonOK");
    QVERIFY(FDialogs.Messages.isEmpty());
    QCOMPARE(FDialogs.Suggested, Path("shapes-nested.ai"));
    // What the name asks for, read back by the drawing reader with every placed shape.
    const QString written = FDir.filePath(Written);
    QCOMPARE(int(DetectDrawingFormat(ReadFile(written).toStdString())), Format);
    std::unique_ptr<TQarvShapes> shapes;
    TSilentProgress progress;
    struct : TMessageSink {
      void ShowError(const std::string&) override {}
    } quiet;
    QVERIFY(LoadDrawingFile(written.toStdString(), shapes, progress, quiet));
    QCOMPARE(OutlinesOfArea(*shapes, 100 * 80), 3);
    // The next save proposes the type last saved in.
    FDialogs.SaveType = -1;
    Click("ButtonOK");
    QCOMPARE(QFileInfo(FDialogs.Suggested).suffix(), QFileInfo(Written).suffix().toLower());
  }

  void saveOntoAnExistingFileAsks() {
    Open(3);
    Apply();
    QFile::remove(Path("old.ai"));
    QFile old(Path("old.ai"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    FDialogs.SaveName = Path("old.ai");
    FDialogs.Answers = {false};
    Click("ButtonOK");
    QCOMPARE(FDialogs.Questions,
             QStringList{"File exist! Overwrite?\n" + QDir::toNativeSeparators(Path("old.ai"))});
    QCOMPARE(ReadFile(Path("old.ai")), QStringLiteral("keep me"));
    Click("ButtonOK");  // Yes
    QVERIFY(ReadFile(Path("old.ai")).startsWith(QStringLiteral("%!PS-Adobe")));
    QVERIFY(!FForm->Loading());
  }

  void saveOneFilePerSheetAsksForAnyOfThem() {
    Open(3);
    Apply();
    FForm->SetSaveOptions(TLayoutWriteOptions{true, false});
    QFile::remove(Path("cut.ai"));
    QFile old(Path("cut-1.ai"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    FDialogs.SaveName = Path("cut.ai");
    FDialogs.Answers = {true};
    Click("ButtonOK");
    QCOMPARE(FDialogs.Questions,
             QStringList{"File exist! Overwrite?\n" + QDir::toNativeSeparators(Path("cut-1.ai"))});
    QVERIFY(FDialogs.Messages.isEmpty());
    QVERIFY(ReadFile(Path("cut-1.ai")).startsWith(QStringLiteral("%!PS-Adobe")));
    QVERIFY(!QFileInfo::exists(Path("cut.ai")));
    FForm->SetSaveOptions(TLayoutWriteOptions{});
  }

  void aFailedSaveNamesTheFile() {
    Open(3);
    Apply();
    QVERIFY(QDir().mkpath(Path("folder.ai")));
    FDialogs.SaveName = Path("folder.ai");
    Click("ButtonOK");
    QCOMPARE(FDialogs.Messages.size(), 1);
    QVERIFY(FDialogs.Messages[0].contains(QDir::toNativeSeparators(Path("folder.ai"))));
    QVERIFY(QFileInfo(Path("folder.ai")).isDir());
    QVERIFY(!FForm->Loading());
  }
};

}  // namespace plavo

QTEST_MAIN(plavo::TMosaroFormTest)
#include "MosaroFormTest.moc"
