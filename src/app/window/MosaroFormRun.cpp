// The run workflow of the main window: open, Apply and Stop, the results list and its
// navigation, save, close, and the guards that keep these from running into each other.
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>

#include "core/ErrorTexts.h"
#include "core/Version.h"
#include "core/ReadProblem.h"
#include "formats/ai/VecFrmtAI.h"
#include "formats/DrawingReader.h"
#include "app/window/MosaroForm.h"
#include "ui/controls/QarvNumericEditSpin.h"
#include "nesting/result/NestResult.h"
#include "nesting/result/ResultCheck.h"
#include "nesting/result/ResultLayout.h"
#include "ui/settings/StoreControls.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

namespace {

constexpr char kOpenFolderKey[] = "OpenDialogInitialDir";

}  // namespace

int TFormProgress::Position() const {
  return FBar->value();
}

void TFormProgress::SetPosition(int Position) {
  FBar->setValue(std::clamp(Position, 0, 100));
}

void TFormProgress::ProcessPendingMessages() {
  QCoreApplication::processEvents();
}

QString TMosaroFm::Text(const char* English) const {
  return Tr(FEnv.Language, QString::fromUtf8(English));
}

void TMosaroFm::ShowMessage(const QString& Text, QMessageBox::Icon Icon) {
  FDialogs->ShowMessage(this, Text, Icon);
}

// Open reads every format the drawing reader knows; Save writes Illustrator 8 only.
QString TMosaroFm::OpenFilter() const {
  return Text("Drawings") + QStringLiteral(" (*.ai *.svg *.dxf);;") + SaveFilter() +
         QStringLiteral(";;SVG (*.svg);;DXF (*.dxf)");
}

QString TMosaroFm::SaveFilter() const {
  return QStringLiteral("Adobe Illustrator 8.0 (*.ai)");
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

void TMosaroFm::StorePreset() {
  const QString name = FPresetList->currentText();
  if (!name.isEmpty()) StoreControls(FPageControl, TStoreMode::Save, FPresetFile, name);
}

bool TMosaroFm::event(QEvent* Event) {
  // FormActivate: the open dialog once, when the window first becomes active. Queued, so the
  // activation finishes before the dialog takes over.
  if (Event->type() == QEvent::WindowActivate && FFirstShow) {
    FFirstShow = false;
    QMetaObject::invokeMethod(this, &TMosaroFm::Open1Click, Qt::QueuedConnection);
  }
  return QMainWindow::event(Event);
}

void TMosaroFm::Open1Click() {
  if (Busy()) return;  // reading would replace the records a run or a save works on
  FDialogFolder = ReadIniString(FConfigFile, QLatin1String(kFormSection),
                                QLatin1String(kOpenFolderKey), FDialogFolder);
  const QString name = FDialogs->OpenFileName(this, FDialogFolder, OpenFilter());
  if (!name.isEmpty()) OpenDrawing(name);
}

bool TMosaroFm::OpenDrawing(const QString& FileName) {
  if (Busy()) return false;
  FFirstShow = false;
  FLoading = true;
  const QFileInfo info(FileName);
  // A name that does not exist reads nothing and keeps the drawing and records as they are.
  if (info.exists()) {
    std::unique_ptr<TQarvShapes> shapes = ReadDrawingFile(FileName);
    FResults.clear();
    FCurrent = 0;
    FHasResult = false;
    HideResultButtons();
    FButtonShowOriginal->hide();
    WriteIniString(FConfigFile, QLatin1String(kFormSection), QLatin1String(kOpenFolderKey),
                   info.absolutePath() + QLatin1Char('/'));
    // Building the records processes events too: the loading flag stays set until they are.
    FJob.Load(std::move(shapes), FProgress.get());
  }
  FDialogFolder = info.absolutePath();
  FLoading = false;
  FHasResult = false;
  FProgress->SetPosition(0);
  FillPreviewImage(true);
  if (FCloseAfterRun) close();
  return true;
}

std::unique_ptr<TQarvShapes> TMosaroFm::ReadDrawingFile(const QString& FileName) {
  // The reader's failure is kept to be shown with the file's name and the reason; its
  // warnings (text it skipped) are shown at once.
  struct TReaderMessages : TMessageSink {
    TMosaroFm* Form;
    std::string Failure;
    explicit TReaderMessages(TMosaroFm* F) : Form(F) {}
    void ShowError(const std::string& Text) override { Failure = Text; }
    void ShowWarning(const std::string& Text) override {
      Form->ShowMessage(Form->Text(Text.c_str()), QMessageBox::Warning);
    }
  } messages(this);
  std::unique_ptr<TQarvShapes> shapes;
  const std::string name = QDir::toNativeSeparators(FileName).toStdString();
  bool read = false;
  try {
    read = LoadDrawingFile(name, shapes, *FProgress, messages);
  } catch (const std::exception&) {
    read = false;
  }
  if (!read) {
    // The reader's words, then which file and why.
    const std::string what = messages.Failure.empty() ? kErrorOpeningFile : messages.Failure;
    ShowMessage(Text(what.c_str()) + QStringLiteral("\n") + QDir::toNativeSeparators(FileName) +
                QStringLiteral(" (") + QString::fromStdString(ReadProblem(name)) +
                QStringLiteral(")"));
  }
  if (!read || shapes == nullptr) shapes = std::make_unique<TQarvShapes>();
  return shapes;
}

void TMosaroFm::ButtonApplyClick() {
  if (FLoading) return;
  if (FJob.ShapeCount() == 0) {
    ShowMessage(Text("Open file first."));
    return;
  }
  StorePreset();  // also when a run is in progress
  if (FRunning) return;
  FRunning = true;
  FSkipRequested = false;
  FRunSettings = ReadSettings();
  FButtonStop->setText(Text(FRunSettings.Genetics_Check ? "Skip searching." : "Stop."));
  FButtonStop->show();
  TRunOptions options;
  options.Progress = FProgress.get();
  options.OptimiseSeconds = FOptimise->Value();
  try {
    TOneNestingResult result = FJob.Run(FRunSettings, options);
    FRunning = false;
    if (FJob.Failed()) ShowRunFailure(FJob.Failure().Message);
    StoreResult(std::move(result));
    if (!FJob.Failed()) WarnOverhang(FResults.back());
  } catch (const std::exception& e) {
    // The engine turns a run's failures into its error flag; what escapes it (memory) leaves
    // no outcome to show.
    FRunning = false;
    ShowRunFailure(e.what());
  }
  FButtonStop->hide();
  FProgress->SetPosition(0);
  if (FCloseAfterRun) close();
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
void TMosaroFm::WarnOverhang(const TOneNestingResult& R) {
  constexpr double kVisibleOverhang = 0.005;
  const TLayoutCheck check = CheckLayout(FJob.Drawing(), R);
  if (check.Overhang < kVisibleOverhang) return;
  ShowMessage(Text("A shape reaches beyond its sheet:") +
                  QStringLiteral(" %1 mm (%2 %3)")
                      .arg(QLocale().toString(check.Overhang, 'f', 2), Text("shape"))
                      .arg(check.OverhangShape),
              QMessageBox::Warning);
}

void TMosaroFm::StoreResult(TOneNestingResult Result) {
  FResults.push_back(std::move(Result));
  FCurrent = static_cast<int>(FResults.size()) - 1;
  FHasResult = true;
  FButtonShowOriginal->show();
  FillPreviewImage(true);
  UpdateNavigation();
}

void TMosaroFm::ButtonStopClick() {
  if (FLoading || !FRunning) return;
  // With the search on, the first press cuts it to one trial order per batch; the next stops.
  if (FRunSettings.Genetics_Check && !FSkipRequested) {
    FSkipRequested = true;
    FJob.RequestSkipSearch();
    FButtonStop->setText(Text("Stop."));
    return;
  }
  FJob.RequestStop();
}

void TMosaroFm::HideResultButtons() {
  for (QPushButton* b : {FButtonPrev, FButtonNext, FButtonBest}) b->hide();
}

void TMosaroFm::UpdateNavigation() {
  const int count = static_cast<int>(FResults.size());
  for (QPushButton* b : {FButtonPrev, FButtonNext, FButtonBest}) b->setVisible(count > 1);
  FButtonPrev->setEnabled(FCurrent > 0);
  FButtonNext->setEnabled(FCurrent < count - 1);
}

void TMosaroFm::ButtonShowOriginalClick() {
  if (Busy() || !FHasResult) return;
  FHasResult = false;
  FillPreviewImage(true);
  FButtonShowOriginal->hide();
}

void TMosaroFm::ButtonNestingResultPrevClick(QObject* Sender) {
  // During a run the records belong to the engine: showing a stored result would replace them.
  if (Busy() || FResults.empty()) return;
  const int last = static_cast<int>(FResults.size()) - 1;
  int target = FCurrent;
  if (Sender == FButtonPrev) target = std::max(FCurrent - 1, 0);
  if (Sender == FButtonNext) target = std::min(FCurrent + 1, last);
  target = std::clamp(target, 0, last);
  FHasResult = true;
  FCurrent = target;
  FJob.Restore(FResults[static_cast<size_t>(target)]);
  FButtonShowOriginal->show();
  FillPreviewImage(true);
  UpdateNavigation();
}

void TMosaroFm::ButtonNestingResultBestClick() {
  if (Busy() || FResults.size() < 2) return;
  FCurrent = BestByHeight(FResults);
  ButtonNestingResultPrevClick(FButtonBest);
}

void TMosaroFm::ButtonOKClick() {
  if (Busy()) return;
  if (FJob.ShapeCount() == 0) {
    ShowMessage(Text("Open file first."));
    return;
  }
  if (!FHasResult) {
    ShowMessage(Text("Apply nesting first."));
    return;
  }
  const QString name = FDialogs->SaveFileName(this, FDialogFolder, SaveFilter());
  if (!name.isEmpty()) SaveTo(name);
}

void TMosaroFm::SaveTo(QString FileName) {
  FLoading = true;
  if (QFileInfo(FileName).suffix().toUpper() != QLatin1String("AI")) {
    FileName += QStringLiteral(".ai");
  }
  const std::string name = QDir::toNativeSeparators(FileName).toStdString();
  const std::optional<TNestedLayout> layout =
      NestedLayoutOf(FJob.Drawing(), FResults[static_cast<size_t>(FCurrent)]);
  const int sheets = layout ? static_cast<int>(layout->Sheets.size()) : 0;
  const std::vector<std::string> names = LayoutFileNames(name, sheets, FSaveOptions);
  const bool exists = std::any_of(names.begin(), names.end(), [](const std::string& n) {
    return QFileInfo::exists(QString::fromStdString(n));
  });
  if (exists && !FDialogs->AskYesNo(this, Text("File exist! Overwrite?"), QMessageBox::Critical)) {
    FLoading = false;
    return;
  }
  std::string error = "The nesting result does not belong to this drawing.";
  const bool written = layout && WriteLayout(name, *layout, FSaveOptions, error);
  FLoading = false;
  if (!written) {
    ShowMessage(Text("Unable to save the file") + QStringLiteral(" \"") +
                QDir::toNativeSeparators(FileName) + QStringLiteral("\":\n") +
                QString::fromStdString(error));
  }
}

void TMosaroFm::ButtonCancelClick() {
  if (FHasResult && FJob.ShapeCount() > 0 &&
      !FDialogs->AskYesNo(nullptr, Text("Are you sure want to exit?"), QMessageBox::Warning)) {
    return;
  }
  close();
}

void TMosaroFm::closeEvent(QCloseEvent* Event) {
  if (FRunning) {
    // The engine works on the drawing further down this very stack: stop it, and close once
    // the run has returned (ButtonApplyClick).
    FCloseAfterRun = true;
    FJob.RequestStop();
    Event->ignore();
    return;
  }
  if (FLoading) {
    // A drawing is being read into the collection: close once it is in.
    FCloseAfterRun = true;
    Event->ignore();
    return;
  }
  StoreControls(FPresetList, TStoreMode::Save, FConfigFile, QString());
  StorePreset();
  Event->accept();
}

void TMosaroFm::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Escape) {
    close();  // without the exit question
    return;
  }
  QMainWindow::keyPressEvent(Event);
}

void TMosaroFm::dragEnterEvent(QDragEnterEvent* Event) {
  const QMimeData* data = Event->mimeData();
  if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
    Event->acceptProposedAction();
  }
}

void TMosaroFm::dropEvent(QDropEvent* Event) {
  const QList<QUrl> urls = Event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  Event->acceptProposedAction();
  // Queued: the drop finishes before the file is read (reading processes events itself).
  const QString name = urls.first().toLocalFile();
  QMetaObject::invokeMethod(
      this, [this, name] { OpenDrawing(name); }, Qt::QueuedConnection);
}

void TMosaroFm::ools1Click() {
  FDialogs->ShowAbout(this, QStringLiteral("<b>Plavo</b> ") + QString::fromLatin1(PlavoVersion()) +
                                QStringLiteral("<br>") +
                                Text("Nests flat shapes on rectangular sheets.") +
                                QStringLiteral("<br>") + Text("All lengths in millimetres."));
}

void TMosaroFm::ecUnitsChange() {
  SetSpinEditUnits(this, FUnits->currentIndex(), 0);
}

}  // namespace plavo
