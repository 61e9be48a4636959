// The run workflow of the main window: Apply and Stop, the results list and its navigation,
// and the guards that keep these from running into each other.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>

#include "app/window/MosaroForm.h"
#include "nesting/result/NestResult.h"
#include "nesting/result/ResultCheck.h"
#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

namespace {

// The run's thread, and the search threads it starts (they inherit it), yield to the window's
// thread, so the window answers at once even while the run keeps every core busy.
void YieldToTheWindow() {
  constexpr int kNicer = 5;
  const auto thread = static_cast<id_t>(gettid());
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, thread);
  if (errno == 0) setpriority(PRIO_PROCESS, thread, std::min(nice + kNicer, 19));
}

}  // namespace

// ProgressBar1 shows the progress of reads, loads and runs. A read works on this thread, so
// the bar's function then also processes pending events (Stop and Close work in the middle of
// it); a run works on its own thread and sends the position over as a queued call.
void TMosaroFm::ConnectProgress() {
  FControl.OnProgress([this, Bar = FProgressBar](int Position) {
    if (QThread::currentThread() == thread()) {
      Bar->setValue(Position);
      QCoreApplication::processEvents();
      return;
    }
    QMetaObject::invokeMethod(
        Bar, [Bar, Position] { Bar->setValue(Position); }, Qt::QueuedConnection);
  });
}

QString TMosaroFm::Text(const char* English) const {
  return Tr(FEnv.Language, QString::fromUtf8(English));
}

void TMosaroFm::ShowMessage(const QString& Text, QMessageBox::Icon Icon) {
  FDialogs->ShowMessage(this, Text, Icon);
}

TNestSettings TMosaroFm::ReadSettings() const {
  TNestSettings s;
  s.Media_Width = FMediaWidth->Value();
  s.Media_Height = FMediaHeight->Value();
  s.Margin = FMargin->Value();
  s.Padding = FPadding->Value();
  s.Distance = FDistance->Value();
  s.Inside_Check = FInside->isChecked();
  s.Genetics_Check = FGenetics->isChecked();
  s.Rotate_90 = FRotate->currentIndex();
  s.Approximation_CB = FApproximation->currentIndex();
  s.Media_ByColor = FByColor->currentIndex();
  s.Origin_point = FOrigin->currentIndex();
  s.Fitting_CB = FFitting->currentIndex();
  s.Orientation_CB = FOrientation->currentIndex();
  s.Orientation_distance = FOrientationDistance->Value();
  return LimitNestSettings(s);
}

bool TMosaroFm::HasShapesToNest() {
  if (FJob.ShapeCount() > 0) return true;
  ShowMessage(FFileName.isEmpty() ? Text("Open file first.")
                                  : Text("The drawing holds no shapes to nest."));
  return false;
}

void TMosaroFm::ButtonApplyClick() {
  if (FLoading) return;
  if (!HasShapesToNest()) return;
  StorePreset();  // also when a run is in progress
  if (FRunning) return;
  FRunning = true;
  FSkipRequested = false;
  UpdateNavigation();
  FRunSettings = ReadSettings();
  FButtonStop->setText(Text(FRunSettings.Genetics_Check ? "Skip searching." : "Stop."));
  FButtonStop->show();
  FControl.ClearRequests();  // a Stop pressed after the last run must not cut this one short
  TRunOptions options;
  options.Control = &FControl;
  options.OptimiseSeconds = FOptimise->Value();
  StartRun(options);
}

// The job works on the worker thread alone until its result is in: every handler that would
// touch the drawing or the records is refused while FRunning is set. The result, with its
// layout check (exact geometry, which takes a while on large drawings), comes back as a queued
// call on the window's thread.
void TMosaroFm::StartRun(const TRunOptions& Options) {
  FRunThread.reset(QThread::create([this, Settings = FRunSettings, Options] {
    YieldToTheWindow();
    TRunDone done;
    try {
      done.Run = FJob.Run(Settings, Options);
      if (!done.Run.Refused()) done.Check = CheckLayout(FJob.Drawing(), done.Run.Result);
    } catch (const std::exception& e) {
      done.Escaped = e.what();
    }
    QMetaObject::invokeMethod(
        this, [this, done = std::move(done)]() mutable { RunFinished(std::move(done)); },
        Qt::QueuedConnection);
  }));
  FRunThread->start();
}

void TMosaroFm::RunFinished(TRunDone Done) {
  FRunThread->wait();  // it has nothing left to do but return
  FRunThread.reset();
  FRunning = false;
  FEvaluations = Done.Run.Evaluations;
  if (!Done.Escaped.empty()) {
    // The job turns a run's failures into its outcome; what escapes it leaves nothing to show.
    ShowRunFailure(Done.Escaped);
  } else if (Done.Run.Refused()) {
    ShowRunFailure(Done.Run.Reason);
  } else {
    if (Done.Run.Partial()) ShowRunFailure(Done.Run.Reason);
    StoreResult(std::move(Done.Run.Result), Done.Check);
    if (Done.Run.Complete()) WarnOverhang(Done.Check);
  }
  FButtonStop->hide();
  FControl.SetPosition(0);
  UpdateNavigation();
  if (FCloseConfirmed) close();
}

// "Error!" and "Unable to proceed.", then what failed when the engine says so. The partial
// outcome is still stored and shown.
void TMosaroFm::ShowRunFailure(const std::string& Reason) {
  QString text = Text("Error!") + QLatin1Char('\n') + Text("Unable to proceed.");
  if (!Reason.empty()) text += QLatin1Char('\n') + QString::fromStdString(Reason);
  ShowMessage(text);
}

// A layout to cut must stay on its sheets: say so when a placed shape reaches beyond its sheet
// (or outside the container) by a visible amount, 0.01 mm as the report rounds it.
void TMosaroFm::WarnOverhang(const TLayoutCheck& Check) {
  constexpr double kVisibleOverhang = 0.005;
  if (Check.Overhang < kVisibleOverhang) return;
  ShowMessage(Text("A shape reaches beyond its sheet:") +
                  QStringLiteral(" %1 mm (%2 %3)")
                      .arg(QLocale().toString(Check.Overhang, 'f', 2), Text("shape"))
                      .arg(Check.OverhangShape),
              QMessageBox::Warning);
}

void TMosaroFm::StoreResult(TOneNestingResult Result, const TLayoutCheck& Check) {
  TResultNote note;
  note.Check = Check;
  FResults.push_back(std::move(Result));
  FNotes.push_back(note);
  FCurrent = static_cast<int>(FResults.size()) - 1;
  FHasResult = true;
  FillPreviewImage(true);
  UpdateNavigation();
}

void TMosaroFm::ForgetResults() {
  FResults.clear();
  FNotes.clear();
  FCurrent = 0;
  FHasResult = false;
  UpdateNavigation();
}

void TMosaroFm::ButtonStopClick() {
  if (FLoading || !FRunning) return;
  // With the search on, the first press cuts it to one trial order per batch; the next stops.
  if (FRunSettings.Genetics_Check && !FSkipRequested) {
    FSkipRequested = true;
    FControl.RequestSkipSearch();
    FButtonStop->setText(Text("Stop."));
    return;
  }
  FControl.RequestStop();
}

void TMosaroFm::UpdateNavigation() {
  const int count = static_cast<int>(FResults.size());
  const bool idle = !Busy();
  for (QPushButton* b : {FButtonPrev, FButtonNext, FButtonBest}) b->setVisible(count > 1);
  FButtonPrev->setEnabled(idle && FCurrent > 0);
  FButtonNext->setEnabled(idle && FCurrent < count - 1);
  FButtonBest->setEnabled(idle);
  // The way back to a result is always on screen, even with a single one.
  FButtonShowOriginal->setVisible(count > 0);
  FButtonShowOriginal->setText(Text(FHasResult ? "Show original" : "Show result"));
  for (QWidget* w :
       std::initializer_list<QWidget*>{FButtonShowOriginal, FButtonOK, FPresetButton}) {
    w->setEnabled(idle);
  }
  FOpenAction->setEnabled(idle);
  FSaveAction->setEnabled(idle);
  for (const char* name : {"AddDrawing1", "OpenJob1", "SaveJob1"}) {
    if (auto* action = findChild<QAction*>(QLatin1String(name))) action->setEnabled(idle);
  }
}

void TMosaroFm::ButtonShowOriginalClick() {
  if (Busy() || FResults.empty()) return;
  if (!FHasResult) {
    ShowResult(FCurrent);
    return;
  }
  FHasResult = false;
  FillPreviewImage(true);
  UpdateNavigation();
}

// During a run the records belong to the engine: showing a stored result would replace them.
void TMosaroFm::ShowResult(int Index) {
  if (Busy() || FResults.empty()) return;
  FCurrent = std::clamp(Index, 0, static_cast<int>(FResults.size()) - 1);
  FHasResult = true;
  FJob.Restore(FResults[static_cast<size_t>(FCurrent)]);
  FillPreviewImage(true);
  UpdateNavigation();
}

void TMosaroFm::ButtonNestingResultPrevClick(QObject* Sender) {
  int target = FCurrent;
  if (Sender == FButtonPrev) target = FCurrent - 1;
  if (Sender == FButtonNext) target = FCurrent + 1;
  ShowResult(target);
}

void TMosaroFm::ButtonNestingResultBestClick() {
  if (Busy() || FResults.size() < 2) return;
  FCurrent = BestByHeight(FResults);
  ButtonNestingResultPrevClick(FButtonBest);
}

}  // namespace plavo
