// The main window: open a drawing, set the options, Apply with a live progress bar and a
// working Stop, look at the sheets, step through the results of earlier runs, set per-shape
// codes from a popup on the preview, manage presets, and save the nested layout.
//
// The window owns the nesting job (the drawing and its engine state) and the list of results.
// A run works on a thread of its own: the window keeps repainting, zooming and answering its
// menus, the run's progress and its result come back as queued calls, and Stop and "Skip
// searching." reach the engine through the window's control. Reading a file works on the
// window's thread, processing pending events whenever the bar moves. The flags Loading() and
// Running() keep the handlers from touching what the engine or the reader works on: while
// either is set, Open, Save, navigation, the per-shape popup and the preset commands are
// refused and look disabled, and a close request stops the run and closes the window once the
// result is in.
//
// Nothing is thrown away without a question: leaving the window (Close, Exit, Esc, the title
// bar) and opening another drawing (Open, a drop) ask while the result the user has is
// unsaved; a drawing that cannot be read leaves the one on show and its results alone; a preset
// takes the values typed into its controls when another is chosen.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QThread>
#include <memory>
#include <vector>

#include "app/window/FormDialogs.h"
#include "core/NestControl.h"
#include "formats/LayoutWriter.h"
#include "nesting/NestJob.h"
#include "nesting/result/LayoutCheck.h"
#include "settings/Translate.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace plavo {

class TQarvPreviewImage;
struct TQarvPreviewShape;
class TQarvSpinEdit;

// What the window is started with. Tests point the ini files at a temporary folder and answer
// the dialogs themselves.
struct TFormEnvironment {
  QString IniFolder;                // config.ini and preset.ini; empty: IniFolder()
  TFormDialogs* Dialogs = nullptr;  // null: the real dialogs
  TLanguage Language;               // the texts' translations
  bool OpenAtFirstShow = true;      // the open dialog when the window first becomes active
};

class TMosaroFm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMosaroFm(TFormEnvironment Environment, QWidget* Parent = nullptr);
  ~TMosaroFm() override;

  // Reads FileName as "Open" does once its dialog has given the name (also for a file named on
  // the command line or dropped onto the window). A file that cannot be read, or a question
  // about an unsaved result answered No, keeps the drawing and its results. False then, and
  // when refused during a file operation or a run.
  bool OpenDrawing(const QString& FileName);

  const TNestJob& Job() const { return FJob; }
  const std::vector<TOneNestingResult>& Results() const { return FResults; }
  int CurrentResult() const { return FCurrent; }
  bool Running() const { return FRunning; }
  bool Loading() const { return FLoading; }
  bool HasResult() const { return FHasResult; }
  // The drawing's file; empty until one was opened.
  const QString& FileName() const { return FFileName; }
  // Shapes of the result on show that found no place (the not-fit message's number).
  int UnplacedShown() const { return FUnplacedShown; }
  // Layouts the optimiser evaluated in the last run; 0 when it did not optimise.
  int64_t Evaluations() const { return FEvaluations; }
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
  // "Show original", and back to the result once the original is on show.
  void ButtonShowOriginalClick();
  // "<<", ">>" and "Best (by height)", told apart by Sender.
  void ButtonNestingResultPrevClick(QObject* Sender);
  void ButtonNestingResultBestClick();
  void ools1Click();
  void ecUnitsChange();
  // Fits the view to what the preview shows (View -> "Zoom to fit", Home).
  void ZoomToFit();

  // Fills the preview from the drawing and, while a result is on show, from that result
  // through the same layout the writers use, and the status line; the sheet labels and the
  // not-fit message follow on every drawing of the preview.
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

  // Copies, several drawings and job files (MosaroFormJob.cpp). AddDrawing appends a drawing to
  // the job (opens it when the job has none); OpenJob and SaveJob read and write a job file as
  // their File menu items do once the dialog has given the name. False when refused or failed.
  void CopiesClick(int Shape);
  void CopiesForAllClick();
  void AddDrawing1Click();
  void SaveJob1Click();
  void OpenJob1Click();
  bool AddDrawing(const QString& FileName);
  bool SaveJob(QString FileName);
  bool OpenJob(const QString& FileName);

 protected:
  bool event(QEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

 private:
  // What the window keeps beside each stored run.
  struct TResultNote {
    TLayoutCheck Check;  // smallest gap and overhang of the layout as cut
    bool Saved = false;  // written to a file since the run
  };

  // Construction (MosaroForm.cpp).
  void CreateSettingsPanel();
  QWidget* CreatePresetRow();
  void CreateButtons();
  void CreateMenus();
  void CreatePopupMenus();
  void LayoutForm();
  void ConnectHandlers();
  void RestorePresets();
  void FitToScreen();
  TQarvSpinEdit* LengthField(const char* Name, double Value, double Min, double Max);
  QComboBox* ListField(const char* Name, const QStringList& Items);
  QCheckBox* CheckField(const char* Name, const char* Caption);

  // Run workflow (MosaroFormRun.cpp).
  void ConnectProgress();
  TNestSettings ReadSettings() const;
  // What a run on the worker thread comes back with.
  struct TRunDone {
    TRunOutcome Run;
    TLayoutCheck Check;   // of Run.Result, measured on the worker too
    std::string Escaped;  // what escaped the job (memory); then Run holds nothing
  };
  void StartRun(const TRunOptions& Options);
  void RunFinished(TRunDone Done);
  void StoreResult(TOneNestingResult Result, const TLayoutCheck& Check);
  void ShowRunFailure(const std::string& Reason);
  void WarnOverhang(const TLayoutCheck& Check);
  void ShowResult(int Index);
  void ForgetResults();
  // Shows, hides, enables and names the result buttons, and refuses the commands that would
  // change what a run or a file operation works on while one does.
  void UpdateNavigation();
  QString Text(const char* English) const;
  void ShowMessage(const QString& Text, QMessageBox::Icon Icon = QMessageBox::Critical);
  bool Busy() const { return FLoading || FRunning; }
  // False, after saying what is missing, when there is nothing to nest.
  bool HasShapesToNest();

  // Files: open, save, leaving the window (MosaroFormFiles.cpp).
  // Reads a drawing into Shapes with the reader's warnings; false after a message naming the
  // file and the reason.
  bool ReadDrawingFile(const QString& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                       QStringList& Warnings);
  // Makes Shapes the job's drawing, forgetting the results: the one place a drawing is loaded.
  void LoadDrawing(const QString& FileName, std::unique_ptr<TQarvShapes> Shapes,
                   QStringList& Warnings);
  void ReportDrawing(const QStringList& Warnings);
  // True when nothing unsaved would be lost, or the user agrees to lose it.
  bool AskDiscardResult();
  bool ResultUnsaved() const;
  void SaveTo(QString FileName, int Type);
  QString SuggestedSaveName(int Type) const;
  QString OpenFilter() const;
  void UpdateTitle();

  // Result display (MosaroFormDisplay.cpp).
  void DrawDecorations();
  void DrawHeightLabels();
  void DrawNotFitMessage(int Count);
  void UpdateStatusLine();
  QString Length(double Millimetres) const;
  const TOneNestingResult* ShownResult() const;
  // Pen width and dash of shape Shape's outline: thick for the container (and the selected
  // shape), dashed when it is left out of the nesting.
  void StyleShape(TQarvPreviewShape& Shape, bool Selected) const;

  // Per-shape popup (MosaroFormShapes.cpp).
  void PreviewMouseDown(QPoint Position);
  void PreviewMouseMove(QPoint Position);
  void PreviewMouseUp(Qt::MouseButton Button, QPoint Position);
  void PopupMenu2Popup(int Shape);
  void N0001Click(int Shape, QAction* Item);
  void MarkShapes(int Selected);

  // Copies and jobs (MosaroFormJob.cpp).
  bool AskCopies(const QString& Prompt, int& Count);
  void ShowCopiesOutcome(const TNestOutcome& Outcome);
  void OpenDroppedFiles(const QStringList& Files);
  void ShowSettings(const TNestSettings& Settings);
  void DrawCopyMarks();

  // Presets (MosaroFormPresets.cpp).
  void StorePreset();
  void RefillPresetList(int Select);
  // The index of Name in Names in any letter case, as the preset file compares section names;
  // -1 when it is not there.
  static int FindPreset(const QString& Name, const QStringList& Names);
  QStringList PresetNames() const;  // the items of the preset list

  TFormEnvironment FEnv;
  std::unique_ptr<TFormDialogs> FOwnDialogs;
  TFormDialogs* FDialogs = nullptr;
  QString FPresetFile;
  QString FConfigFile;
  QString FDialogFolder;
  QString FFileName;
  QString FPresetName;  // the preset the settings controls hold; stored when it is left
  int FSaveType = 0;    // the file type last saved in, an index into the save filters

  TNestJob FJob;
  std::vector<TOneNestingResult> FResults;
  std::vector<TResultNote> FNotes;  // one per result
  int FCurrent = 0;
  TLayoutWriteOptions FSaveOptions;
  TNestSettings FRunSettings;           // the settings of the run in progress
  std::unique_ptr<QThread> FRunThread;  // the run in progress; joined when its result is in

  bool FLoading = false;
  bool FFirstShow = true;
  bool FRunning = false;
  bool FSkipRequested = false;  // "Skip searching." was pressed in this run
  bool FHasResult = false;
  bool FCloseConfirmed = false;  // a close was asked for and agreed to; done once idle
  int FUnplacedShown = 0;
  int64_t FEvaluations = 0;
  QPoint FMouseDownAt;
  bool FMouseMoved = false;  // the mouse moved beyond a click's slack since it went down

  // Controls, named as the settings and the translation know them.
  TQarvPreviewImage* FPreview = nullptr;
  QProgressBar* FProgressBar = nullptr;
  TNestControl FControl;  // ProgressBar1, Stop and "Skip searching." for reads, loads and runs
  QLabel* FStatusLine = nullptr;
  QScrollArea* FPanelScroll = nullptr;
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
  QAction* FOpenAction = nullptr;
  QAction* FSaveAction = nullptr;
  QMenu* FPopupMenu1 = nullptr;  // the preset commands
  QMenu* FPopupMenu2 = nullptr;  // the per-shape codes
};

}  // namespace plavo
