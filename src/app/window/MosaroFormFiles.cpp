// The main window's files: opening a drawing (Open, the command line, a drop), saving the
// result the user has in the format its name asks for, and leaving the window. Nothing the
// user made is thrown away without a question, and a drawing that cannot be read leaves the
// one on show alone.
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QProgressBar>

#include <array>

#include "app/window/MosaroForm.h"
#include "core/ErrorTexts.h"
#include "core/ReadProblem.h"
#include "formats/DrawingReader.h"
#include "formats/LayoutWriter.h"
#include "nesting/result/ResultLayout.h"
#include "ui/settings/StoreControls.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

namespace {

constexpr char kOpenFolderKey[] = "OpenDialogInitialDir";

// The file types "Save as..." offers, in the order of its filters and of TLayoutFormat.
struct TSaveType {
  const char* Filter;
  const char* Extension;
};
constexpr std::array<TSaveType, 3> kSaveTypes = {{
    {"Adobe Illustrator 8.0 (*.ai)", ".ai"},
    {"SVG drawing (*.svg)", ".svg"},
    {"DXF drawing (*.dxf)", ".dxf"},
}};

QString Native(const QString& FileName) {
  return QDir::toNativeSeparators(FileName);
}

}  // namespace

// Open reads every format the drawing reader knows, whatever the name says.
QString TMosaroFm::OpenFilter() const {
  QStringList filters{Text("Drawings") + QStringLiteral(" (*.ai *.svg *.dxf)")};
  for (const TSaveType& type : kSaveTypes) filters << Text(type.Filter);
  return filters.join(QStringLiteral(";;"));
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
  UpdateNavigation();
  FDialogFolder = QFileInfo(FileName).absolutePath();
  std::unique_ptr<TQarvShapes> shapes;
  QStringList warnings;
  const bool opened = ReadDrawingFile(FileName, shapes, warnings) && AskDiscardResult();
  if (opened) LoadDrawing(FileName, std::move(shapes), warnings);
  FLoading = false;
  FControl.SetPosition(0);
  UpdateNavigation();
  if (opened) ReportDrawing(warnings);
  if (FCloseConfirmed) close();
  return opened;
}

bool TMosaroFm::ReadDrawingFile(const QString& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                                QStringList& Warnings) {
  // The reader's failure is kept to be shown with the file's name and the reason, its warnings
  // (text it skipped, a drawing cut short) to be shown once the drawing is on show.
  struct TReaderMessages : TMessageSink {
    std::string Failure;
    QStringList& Warnings;
    explicit TReaderMessages(QStringList& W) : Warnings(W) {}
    void ShowError(const std::string& Text) override { Failure = Text; }
    void ShowWarning(const std::string& Text) override { Warnings << QString::fromStdString(Text); }
  } messages(Warnings);
  const std::string name = Native(FileName).toStdString();
  TReadProblem problem;
  bool read = false;
  try {
    read = LoadDrawingFile(name, Shapes, FControl, messages, problem) && Shapes != nullptr;
  } catch (const std::exception&) {
    read = false;
  }
  if (!read) {
    // The reader's words, then which file and why.
    const std::string what = messages.Failure.empty() ? kErrorOpeningFile : messages.Failure;
    QString text = Text(what.c_str()) + QLatin1Char('\n') + Native(FileName);
    if (!problem.Text.empty()) {
      const std::string words = Text(problem.Text.c_str()).toStdString();
      text += QStringLiteral(" (") +
              QString::fromStdString(ReadProblemWords(words, problem.Count)) + QLatin1Char(')');
    }
    for (const QString& warning : Warnings) text += QLatin1Char('\n') + Tr(FEnv.Language, warning);
    ShowMessage(text);
  }
  return read;
}

void TMosaroFm::LoadDrawing(const QString& FileName, std::unique_ptr<TQarvShapes> Shapes,
                            QStringList& Warnings) {
  ForgetResults();
  const QFileInfo info(FileName);
  FFileName = info.absoluteFilePath();
  WriteIniString(FConfigFile, QLatin1String(kFormSection), QLatin1String(kOpenFolderKey),
                 info.absolutePath() + QLatin1Char('/'));
  // Building the records processes events too: the loading flag stays set until they are.
  const TNestOutcome loaded = FJob.Load(std::move(Shapes), &FControl, FFileName.toStdString());
  if (loaded.Refused()) {
    Warnings << QString::fromStdString(loaded.Reason);
  } else if (loaded.Partial()) {
    // The others nest; which were lost and why.
    Warnings << Text("Some shapes could not be prepared for nesting and will not be placed:") +
                    QStringLiteral(" %1\n").arg(loaded.Lost.size()) +
                    QString::fromStdString(loaded.Reason);
  }
  UpdateTitle();
  FillPreviewImage(true);
}

// What the reader noticed, and a drawing without anything to nest, once it is on show.
void TMosaroFm::ReportDrawing(const QStringList& Warnings) {
  QStringList lines;
  for (const QString& warning : Warnings) lines << Tr(FEnv.Language, warning);
  if (FJob.ShapeCount() == 0) lines << Text("The drawing holds no shapes to nest.");
  if (!lines.isEmpty()) ShowMessage(lines.join(QLatin1Char('\n')), QMessageBox::Warning);
}

bool TMosaroFm::ResultUnsaved() const {
  return !FResults.empty() && !FNotes[static_cast<size_t>(FCurrent)].Saved;
}

bool TMosaroFm::AskDiscardResult() {
  return !ResultUnsaved() ||
         FDialogs->AskYesNo(this, Text("The nesting result has not been saved. Discard it?"),
                            QMessageBox::Warning);
}

void TMosaroFm::UpdateTitle() {
  const QString caption = QString::fromLatin1(kProgramCaption);
  setWindowTitle(FFileName.isEmpty()
                     ? caption
                     : caption + QStringLiteral(" \u2014 ") + QFileInfo(FFileName).fileName());
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
  // Queued: the drop finishes before the file is read (reading processes events itself). The
  // first file opens, the others are added to it.
  QStringList names;
  for (const QUrl& url : urls) {
    if (url.isLocalFile()) names << url.toLocalFile();
  }
  QMetaObject::invokeMethod(
      this, [this, names] { OpenDroppedFiles(names); }, Qt::QueuedConnection);
}

// Saves the result the user has, on show or behind "Show original".
void TMosaroFm::ButtonOKClick() {
  if (Busy() || !HasShapesToNest()) return;
  if (FResults.empty()) {
    ShowMessage(Text("Apply nesting first."));
    return;
  }
  QStringList filters;
  for (const TSaveType& type : kSaveTypes) filters << Text(type.Filter);
  int type = FSaveType;
  const QString name = FDialogs->SaveFileName(this, SuggestedSaveName(type), filters, type);
  if (!name.isEmpty()) SaveTo(name, std::clamp(type, 0, static_cast<int>(kSaveTypes.size()) - 1));
}

// The drawing's name with "-nested", in the drawing's folder.
QString TMosaroFm::SuggestedSaveName(int Type) const {
  const QFileInfo drawing(FFileName);
  return drawing.absolutePath() + QLatin1Char('/') + drawing.completeBaseName() +
         QStringLiteral("-nested") + QLatin1String(kSaveTypes[static_cast<size_t>(Type)].Extension);
}

// The one way the window writes a layout: the name's extension picks the writer; a name
// without one of ours gets the extension of the file type chosen in the dialog.
void TMosaroFm::SaveTo(QString FileName, int Type) {
  FLoading = true;
  if (!LayoutFormatOf(FileName.toStdString())) {
    FileName += QLatin1String(kSaveTypes[static_cast<size_t>(Type)].Extension);
  }
  const std::string name = Native(FileName).toStdString();
  std::string error = "The nesting result does not belong to this drawing.";
  const std::optional<TNestedLayout> layout =
      NestedLayoutOf(FJob.Drawing(), FResults[static_cast<size_t>(FCurrent)]);
  const int sheets = layout ? static_cast<int>(layout->Sheets.size()) : 0;
  // With one file per sheet, any of them may already exist: the question names the first.
  for (const std::string& file : LayoutFileNames(name, sheets, FSaveOptions)) {
    if (!QFileInfo::exists(QString::fromStdString(file))) continue;
    if (!FDialogs->AskYesNo(
            this, Text("File exist! Overwrite?") + QLatin1Char('\n') + QString::fromStdString(file),
            QMessageBox::Critical)) {
      FLoading = false;
      return;
    }
    break;
  }
  const bool written = layout && WriteLayout(name, *layout, FSaveOptions, error);
  FLoading = false;
  if (!written) {
    ShowMessage(Text("Unable to save the file") + QStringLiteral(" \"") + Native(FileName) +
                QStringLiteral("\":\n") + QString::fromStdString(error));
    return;
  }
  FNotes[static_cast<size_t>(FCurrent)].Saved = true;
  FSaveType = static_cast<int>(LayoutFormatOf(FileName.toStdString()).value_or(TLayoutFormat{}));
}

void TMosaroFm::ButtonCancelClick() {
  close();
}

// Every way out (Close, Exit, Esc, the title bar) asks while a result the user has is unsaved
// or a run is still working on one.
void TMosaroFm::closeEvent(QCloseEvent* Event) {
  if (!FCloseConfirmed && (FRunning || ResultUnsaved()) &&
      !FDialogs->AskYesNo(nullptr, Text("Are you sure want to exit?"), QMessageBox::Warning)) {
    Event->ignore();
    return;
  }
  FCloseConfirmed = true;
  if (Busy()) {
    // The engine (on its thread) or the reader (further down this very stack) works on the
    // drawing: stop the run, and close once its result is in or the read has returned
    // (RunFinished, OpenDrawing).
    if (FRunning) FControl.RequestStop();
    Event->ignore();
    return;
  }
  StoreControls(FPresetList, TStoreMode::Save, FConfigFile, QString());
  StorePreset();
  Event->accept();
}

void TMosaroFm::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Escape) {
    close();  // with the question Close asks
    return;
  }
  QMainWindow::keyPressEvent(Event);
}

}  // namespace plavo
