// Copies, several drawings and job files in the window: the per-shape popup's "Copies..." and
// "Copies for all...", File -> "Add drawing...", "Save job..." and "Open job...", several files
// dropped at once, and the copies marked in the original view.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <memory>
#include <string>
#include <utility>

#include "app/window/MosaroForm.h"
#include "nesting/JobFile.h"
#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/preview/QarvPreviewImage.h"

namespace plavo {

namespace {

constexpr char kJobFilter[] = "Plavo job (*.plavo)";

QString Native(const QString& FileName) {
  return QDir::toNativeSeparators(FileName);
}

QString Reason(const TNestOutcome& Outcome) {
  return QString::fromStdString(Outcome.Reason);
}

}  // namespace

bool TMosaroFm::AskCopies(const QString& Prompt, int& Count) {
  QString value = QString::number(Count);
  if (!FDialogs->InputText(this, Prompt, value)) return false;
  bool ok = false;
  const int n = value.trimmed().toInt(&ok);
  if (!ok || n < 1 || n > kMaxCopies) {
    ShowMessage(Text("Copies must be a whole number from 1 to %1.").arg(kMaxCopies));
    return false;
  }
  Count = n;
  return true;
}

void TMosaroFm::ShowCopiesOutcome(const TNestOutcome& Outcome) {
  if (Outcome.Refused()) {
    ShowMessage(Text("The copies cannot be set:") + QLatin1Char('\n') + Reason(Outcome));
    return;
  }
  FillPreviewImage(false);
}

void TMosaroFm::CopiesClick(int Shape) {
  if (Busy() || Shape < 0 || Shape >= FJob.ShapeCount()) return;
  if (FJob.Container() == Shape) {
    ShowMessage(Text("The container has no copies."), QMessageBox::Information);
    return;
  }
  int count = FJob.Copies(Shape);
  if (AskCopies(Text("Copies of the shape (1 to %1):").arg(kMaxCopies), count)) {
    ShowCopiesOutcome(FJob.SetCopies(Shape, count));
  }
}

void TMosaroFm::CopiesForAllClick() {
  if (Busy() || !HasShapesToNest()) return;
  int count = 1;
  if (AskCopies(Text("Copies of every shape (1 to %1):").arg(kMaxCopies), count)) {
    ShowCopiesOutcome(FJob.SetCopiesForAll(count));
  }
}

void TMosaroFm::AddDrawing1Click() {
  if (Busy()) return;
  const QString name = FDialogs->OpenFileName(this, FDialogFolder, OpenFilter());
  if (!name.isEmpty()) AddDrawing(name);
}

bool TMosaroFm::AddDrawing(const QString& FileName) {
  if (Busy()) return false;
  if (FJob.Drawings().empty()) return OpenDrawing(FileName);
  FLoading = true;
  UpdateNavigation();
  FDialogFolder = QFileInfo(FileName).absolutePath();
  std::unique_ptr<TQarvShapes> shapes;
  QStringList warnings;
  // The results are of fewer shapes: they go, after a question while one is unsaved.
  bool added = ReadDrawingFile(FileName, shapes, warnings) && AskDiscardResult();
  if (added) {
    ForgetResults();
    const std::string name = QFileInfo(FileName).absoluteFilePath().toStdString();
    const TNestOutcome outcome = FJob.Add(std::move(shapes), name, &FControl);
    added = !outcome.Refused();
    if (outcome.Refused() || outcome.Partial()) {
      warnings << Native(FileName) + QStringLiteral(": ") + Reason(outcome);
    }
  }
  FLoading = false;
  FControl.SetPosition(0);
  UpdateNavigation();
  FillPreviewImage(true);
  if (!warnings.isEmpty()) ReportDrawing(warnings);
  if (FCloseConfirmed) close();
  return added;
}

void TMosaroFm::OpenDroppedFiles(const QStringList& Files) {
  if (Files.isEmpty() || !OpenDrawing(Files.first())) return;
  for (qsizetype k = 1; k < Files.size(); ++k) AddDrawing(Files[k]);
}

void TMosaroFm::SaveJob1Click() {
  if (Busy() || !HasShapesToNest()) return;
  int type = 0;
  const QFileInfo drawing(FFileName);
  const QString suggested = drawing.absolutePath() + QLatin1Char('/') + drawing.completeBaseName() +
                            QLatin1String(kJobFileExtension);
  const QString name = FDialogs->SaveFileName(this, suggested, {Text(kJobFilter)}, type);
  if (!name.isEmpty()) SaveJob(name);
}

bool TMosaroFm::SaveJob(QString FileName) {
  if (Busy()) return false;
  if (!IsJobFileName(FileName.toStdString())) FileName += QLatin1String(kJobFileExtension);
  if (QFileInfo::exists(FileName) &&
      !FDialogs->AskYesNo(this,
                          Text("File exist! Overwrite?") + QLatin1Char('\n') + Native(FileName),
                          QMessageBox::Critical)) {
    return false;
  }
  std::string error;
  if (SaveJobFile(Native(FileName).toStdString(), FJob, ReadSettings(), error)) return true;
  ShowMessage(Text("Unable to save the file") + QStringLiteral(" \"") + Native(FileName) +
              QStringLiteral("\":\n") + QString::fromStdString(error));
  return false;
}

void TMosaroFm::OpenJob1Click() {
  if (Busy()) return;
  const QString name = FDialogs->OpenFileName(this, FDialogFolder, Text(kJobFilter));
  if (!name.isEmpty()) OpenJob(name);
}

bool TMosaroFm::OpenJob(const QString& FileName) {
  if (Busy() || !AskDiscardResult()) return false;
  FFirstShow = false;
  FLoading = true;
  UpdateNavigation();
  // Settings the job does not name keep the preset's values on show.
  TNestSettings settings = ReadSettings();
  TNestJob job;
  const TNestOutcome opened = OpenJobFile(Native(FileName).toStdString(), job, settings, &FControl);
  if (!opened.Refused()) {
    ForgetResults();
    FJob = std::move(job);
    FFileName = QFileInfo(FileName).absoluteFilePath();
    ShowSettings(settings);
  }
  FLoading = false;
  FControl.SetPosition(0);
  UpdateNavigation();
  if (opened.Refused()) {
    ShowMessage(Text("The job cannot be opened:") + QLatin1Char('\n') + Reason(opened));
  } else {
    UpdateTitle();
    FillPreviewImage(true);
    if (opened.Partial()) ReportDrawing({Reason(opened)});
  }
  if (FCloseConfirmed) close();
  return !opened.Refused();
}

void TMosaroFm::ShowSettings(const TNestSettings& S) {
  FMediaWidth->SetValue(S.Media_Width);
  FMediaHeight->SetValue(S.Media_Height);
  FMargin->SetValue(S.Margin);
  FPadding->SetValue(S.Padding);
  FDistance->SetValue(S.Distance);
  FInside->setChecked(S.Inside_Check);
  FGenetics->setChecked(S.Genetics_Check);
  FRotate->setCurrentIndex(S.Rotate_90);
  FApproximation->setCurrentIndex(S.Approximation_CB);
  FByColor->setCurrentIndex(S.Media_ByColor);
  FOrigin->setCurrentIndex(S.Origin_point);
  FFitting->setCurrentIndex(S.Fitting_CB);
  FOrientation->setCurrentIndex(S.Orientation_CB);
  FOrientationDistance->SetValue(S.Orientation_distance);
}

// "×20" beside the top right corner of each shape with copies, in the original view.
void TMosaroFm::DrawCopyMarks() {
  if (ShownResult() != nullptr) return;
  QPainter painter(&FPreview->Canvas());
  painter.setPen(Qt::darkBlue);
  for (int s = 0; s < FJob.ShapeCount(); ++s) {
    if (FJob.Copies(s) < 2) continue;
    const TRectDbl& box = FJob.Drawing().GetShape(s)->BoundBox();
    const QPoint at = FPreview->GetCanvasCoordinate(box.Right, box.Top);
    painter.drawText(at + QPoint(3, 0), QStringLiteral("\u00d7%1").arg(FJob.Copies(s)));
  }
}

}  // namespace plavo
