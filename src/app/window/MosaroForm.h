// The main window: open a drawing, set the options, Apply with a live progress bar and a
// working Stop, look at the sheets, step through the results of earlier runs, set per-shape
// codes from a popup on the preview, manage presets, and save the nested layout.
//
// The window owns the nesting job (the drawing and its engine state) and the list of results.
// Runs work on the window's thread; the progress display processes pending events whenever its
// position changes, so every handler may run in the middle of a run or a file read. The flags
// Loading() and Running() keep the handlers from replacing what the engine works on: while
// either is set, Open, Save, navigation, the per-shape popup and the preset commands are
// refused, and a close request stops the run and closes the window once the run has returned.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

#include "app/window/FormDialogs.h"
#include "core/EngineHost.h"
#include "formats/LayoutWriter.h"
#include "nesting/NestJob.h"
#include "settings/Translate.h"

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace plavo {

class TQarvPreviewImage;
class TQarvSpinEdit;

// What the window is started with. Tests point the ini files at a temporary folder and answer
// the dialogs themselves.
struct TFormEnvironment {
  QString IniFolder;                // config.ini and preset.ini; empty: IniFolder()
  TFormDialogs* Dialogs = nullptr;  // null: the real dialogs
  TLanguage Language;               // the texts' translations
  bool OpenAtFirstShow = true;      // the open dialog when the window first becomes active
};

// ProgressBar1 as the engine's and the reader's progress display.
class TFormProgress : public TProgressSink {
 public:
  explicit TFormProgress(QProgressBar* Bar) : FBar(Bar) {}
  int Position() const override;
  void SetPosition(int Position) override;
  void ProcessPendingMessages() override;

 private:
  QProgressBar* FBar;
};

class TMosaroFm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMosaroFm(TFormEnvironment Environment, QWidget* Parent = nullptr);
  ~TMosaroFm() override;

  // Reads FileName as "Open" does once its dialog has given the name (also for a file named on
  // the command line or dropped onto the window). False when refused during a file operation
  // or a run.
  bool OpenDrawing(const QString& FileName);

  const TNestJob& Job() const { return FJob; }
  const std::vector<TOneNestingResult>& Results() const { return FResults; }
  int CurrentResult() const { return FCurrent; }
  bool Running() const { return FRunning; }
  bool Loading() const { return FLoading; }
  bool HasResult() const { return FHasResult; }
  // Shapes of the result on show that found no place (the not-fit message's number).
  int UnplacedShown() const { return FUnplacedShown; }
  const QString& PresetFile() const { return FPresetFile; }
  const QString& ConfigFile() const { return FConfigFile; }
  TQarvPreviewImage* Preview() const { return FPreview; }

  // How "Save as..." writes: one file per sheet (NAME-1.ai, ...), DXF curves as polylines. The
  // save dialog's options set these; by default one file.
  void SetSaveOptions(const TLayoutWriteOptions& Options) { FSaveOptions = Options; }
  const TLayoutWriteOptions& SaveOptions() const { return FSaveOptions; }

  // The commands, as the buttons and menu items call them.
  void Open1Click();
  void ButtonOKClick();  // "Save as..."
  void ButtonCancelClick();
  void ButtonApplyClick();
  void ButtonStopClick();
  void ButtonShowOriginalClick();
  // "<<", ">>" and "Best (by height)", told apart by Sender.
  void ButtonNestingResultPrevClick(QObject* Sender);
  void ButtonNestingResultBestClick();
  void ools1Click();
  void ecUnitsChange();

  // Fills the preview from the drawing and, while a result is on show, from that result
  // through the same layout the writers use; draws the sheet labels and the not-fit message.
  void FillPreviewImage(bool Recalculate);

  // The per-shape popup for shape Shape at At (global), as a click on the shape opens it.
  void ShowShapeMenu(int Shape, QPoint At);
  void N0200AllClick();
  // The preset commands of the menu beside the preset list.
  void Button1Click();
  void Addprofile1Click();
  void Deleteprofile1Click();
  void Editprofilename1Click();
  void preset_CBChange();

 protected:
  bool event(QEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

 private:
  // Construction (MosaroForm.cpp).
  void CreateSettingsPanel();
  QWidget* CreatePresetRow();
  void CreateButtons();
  void CreateMenus();
  void CreatePopupMenus();
  void LayoutForm();
  void ConnectHandlers();
  void RestorePresets();
  TQarvSpinEdit* LengthField(const char* Name, double Value, double Min, double Max);
  QComboBox* ListField(const char* Name, const QStringList& Items);
  QCheckBox* CheckField(const char* Name, const char* Caption);

  // Run workflow (MosaroFormRun.cpp).
  TNestSettings ReadSettings() const;
  // Reads a drawing into a new collection; an empty one, after a message, when it cannot.
  std::unique_ptr<TQarvShapes> ReadDrawingFile(const QString& FileName);
  void StorePreset();
  void StoreResult(TOneNestingResult Result);
  void ShowRunFailure(const std::string& Reason);
  void WarnOverhang(const TOneNestingResult& R);
  void UpdateNavigation();
  void HideResultButtons();
  void SaveTo(QString FileName);
  QString OpenFilter() const;
  QString SaveFilter() const;
  QString Text(const char* English) const;
  void ShowMessage(const QString& Text, QMessageBox::Icon Icon = QMessageBox::Critical);
  bool Busy() const { return FLoading || FRunning; }

  // Result display (MosaroFormDisplay.cpp).
  void DrawHeightLabels();
  void DrawNotFitMessage(int Count);
  const TOneNestingResult* ShownResult() const;

  // Per-shape popup and presets (MosaroFormShapes.cpp).
  void PreviewMouseDown(QPoint Position);
  void PreviewMouseMove(QPoint Position);
  void PreviewMouseUp(Qt::MouseButton Button, QPoint Position);
  void PopupMenu2Popup(int Shape);
  void N0001Click(int Shape, QAction* Item);
  void MarkShapes(int Selected);
  void RefillPresetList(int Select);

  TFormEnvironment FEnv;
  std::unique_ptr<TFormDialogs> FOwnDialogs;
  TFormDialogs* FDialogs = nullptr;
  QString FPresetFile;
  QString FConfigFile;
  QString FDialogFolder;

  TNestJob FJob;
  std::vector<TOneNestingResult> FResults;
  int FCurrent = 0;
  TLayoutWriteOptions FSaveOptions;
  TNestSettings FRunSettings;  // the settings of the run in progress

  bool FLoading = false;
  bool FFirstShow = true;
  bool FRunning = false;
  bool FSkipRequested = false;  // "Skip searching." was pressed in this run
  bool FHasResult = false;
  bool FCloseAfterRun = false;  // a close request came during the run
  int FUnplacedShown = 0;
  QPoint FMouseDownAt;
  bool FMouseMoved = false;  // the mouse moved beyond a click's slack since it went down

  // Controls, named as the settings and the translation know them.
  TQarvPreviewImage* FPreview = nullptr;
  QProgressBar* FProgressBar = nullptr;
  std::unique_ptr<TFormProgress> FProgress;
  QTabWidget* FPageControl = nullptr;
  QComboBox* FPresetList = nullptr;
  QPushButton* FPresetButton = nullptr;
  TQarvSpinEdit* FMediaWidth = nullptr;
  TQarvSpinEdit* FMediaHeight = nullptr;
  TQarvSpinEdit* FMargin = nullptr;
  TQarvSpinEdit* FPadding = nullptr;
  TQarvSpinEdit* FDistance = nullptr;
  QCheckBox* FInside = nullptr;
  QCheckBox* FGenetics = nullptr;
  TQarvSpinEdit* FOptimise = nullptr;  // seconds of optimisation after a run
  QComboBox* FRotate = nullptr;
  QComboBox* FApproximation = nullptr;
  QComboBox* FByColor = nullptr;
  QComboBox* FOrigin = nullptr;
  QComboBox* FFitting = nullptr;
  QComboBox* FOrientation = nullptr;
  QComboBox* FUnits = nullptr;
  TQarvSpinEdit* FOrientationDistance = nullptr;
  TQarvSpinEdit* FDummy = nullptr;
  QPushButton* FButtonCancel = nullptr;
  QPushButton* FButtonApply = nullptr;
  QPushButton* FButtonOK = nullptr;
  QPushButton* FButtonStop = nullptr;
  QPushButton* FButtonShowOriginal = nullptr;
  QPushButton* FButtonPrev = nullptr;
  QPushButton* FButtonNext = nullptr;
  QPushButton* FButtonBest = nullptr;
  QMenu* FPopupMenu1 = nullptr;  // the preset commands
  QMenu* FPopupMenu2 = nullptr;  // the per-shape codes
};

}  // namespace plavo
