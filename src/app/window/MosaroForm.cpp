// Construction of the main window: controls, layout, menus and the wiring of the handlers.
#include "app/window/MosaroForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/preview/QarvPreviewImage.h"
#include "ui/settings/IniLocation.h"
#include "ui/settings/StoreControls.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

namespace {

constexpr QSize kClientSize(1000, 720);  // the window's first size, when the screen allows
constexpr QSize kPreviewMinimum(320, 240);
constexpr int kPanelWidth = 300;  // the settings panel's width, unless its texts need more
constexpr int kProgressHeight = 8;
constexpr int kPresetItemHeight = 34;
constexpr int kLabelWidth = 120;
constexpr TFieldRange kOptimiseRange{0.0, 3600.0};  // "Optimise for (s)"

// The preset list's two-line items: the word "Preset", then the preset's name in bold.
class TPresetItemDelegate : public QStyledItemDelegate {
 public:
  TPresetItemDelegate(QString Word, QObject* Parent)
      : QStyledItemDelegate(Parent), FWord(std::move(Word)) {}

  void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
             const QModelIndex& Index) const override {
    const bool selected = Option.state & QStyle::State_Selected;
    Painter->fillRect(Option.rect,
                      Option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    Painter->setPen(Option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    QRect r = Option.rect.adjusted(5, 2, 0, 0);
    QFont font = Option.font;
    Painter->setFont(font);
    Painter->drawText(r, Qt::AlignLeft | Qt::AlignTop, FWord);
    r.setTop(r.top() + 15);
    font.setBold(true);
    Painter->setFont(font);
    Painter->drawText(r, Qt::AlignLeft | Qt::AlignTop, Index.data().toString());
  }

  QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    return {QStyledItemDelegate::sizeHint(Option, Index).width(), kPresetItemHeight};
  }

 private:
  QString FWord;
};

// Fields fill the panel's width, so every list shows its longest item.
QFormLayout* FormFor(QWidget* Group) {
  auto* form = new QFormLayout(Group);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  return form;
}

// Labels of one width in every group; a long one takes two lines.
QLabel* FieldLabel(const char* Caption) {
  auto* label = new QLabel(QString::fromLatin1(Caption));
  label->setWordWrap(true);
  label->setFixedWidth(kLabelWidth);
  return label;
}

// What a setting does, shown when the mouse rests on it (and read by screen readers).
void Tip(QWidget* Control, const char* Text) {
  Control->setToolTip(QString::fromLatin1(Text));
}

// Gives each item an Alt key: the first of its letters that no earlier item took.
void AddMnemonics(const QList<QAction*>& Items) {
  QString taken;
  for (QAction* item : Items) {
    QString text = item->text();
    if (item->isSeparator() || text.isEmpty() || text.contains(QLatin1Char('&'))) continue;
    for (int k = 0; k < text.size(); ++k) {
      const QChar key = text[k].toLower();
      if (!key.isLetterOrNumber() || taken.contains(key)) continue;
      taken += key;
      item->setText(text.insert(k, QLatin1Char('&')));
      break;
    }
  }
}

// Once the texts are translated: a label that wraps gets the lines it needs (forms do not ask
// labels for their height at a width), and each field is announced by its own label, not by its
// group's title.
void FitFormLabels(QWidget* Root) {
  for (QFormLayout* form : Root->findChildren<QFormLayout*>()) {
    for (int row = 0; row < form->rowCount(); ++row) {
      QLayoutItem* label = form->itemAt(row, QFormLayout::LabelRole);
      QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
      auto* caption = label != nullptr ? qobject_cast<QLabel*>(label->widget()) : nullptr;
      if (caption == nullptr) continue;
      if (auto* list = qobject_cast<QComboBox*>(field != nullptr ? field->widget() : nullptr)) {
        // Measures the translated items anew (the width of the longest is kept from the first
        // measuring).
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
      }
      caption->setMinimumHeight(caption->heightForWidth(kLabelWidth));
      if (field != nullptr && field->widget() != nullptr) {
        field->widget()->setAccessibleName(caption->text());
      }
    }
  }
}

QAction* MenuItem(QMenu* Menu, const char* Name, const char* Caption, int Tag = 0) {
  QAction* item = Menu->addAction(QString::fromLatin1(Caption));
  item->setObjectName(QString::fromLatin1(Name));
  if (Tag != 0) {
    item->setData(Tag);
    item->setCheckable(true);
  }
  return item;
}

}  // namespace

TMosaroFm::TMosaroFm(TFormEnvironment Environment, QWidget* Parent)
    : QMainWindow(Parent), FEnv(std::move(Environment)) {
  setObjectName(QStringLiteral("MosaroFm"));
  setWindowTitle(QString::fromLatin1(kProgramCaption));
  if (FEnv.Dialogs == nullptr) FOwnDialogs = std::make_unique<TQtFormDialogs>();
  FDialogs = FEnv.Dialogs != nullptr ? FEnv.Dialogs : FOwnDialogs.get();
  FFirstShow = FEnv.OpenAtFirstShow;
  const QString folder = FEnv.IniFolder.isEmpty() ? IniFolder() : FEnv.IniFolder;
  FPresetFile = folder + QLatin1Char('/') + QLatin1String(kPresetFileName);
  FConfigFile = folder + QLatin1Char('/') + QLatin1String(kConfigFileName);
  FDialogFolder = QApplication::applicationDirPath();

  CreateSettingsPanel();
  CreateButtons();
  CreateMenus();
  CreatePopupMenus();
  LayoutForm();
  TranslateForm(this, FEnv.Language);
  AddMnemonics(menuBar()->actions());
  for (QMenu* menu : menuBar()->findChildren<QMenu*>()) AddMnemonics(menu->actions());
  FitFormLabels(FPageControl);
  ConnectHandlers();
  RestorePresets();
  setAcceptDrops(true);
  FitToScreen();
  FillPreviewImage(true);
}

TMosaroFm::~TMosaroFm() {
  // A window destroyed in the middle of a run (the program quits) waits for the engine.
  FControl.RequestStop();
  if (FRunThread) FRunThread->wait();
}

TQarvSpinEdit* TMosaroFm::LengthField(const char* Name, double Value, double Min, double Max) {
  auto* field = new TQarvSpinEdit(this);
  field->setObjectName(QString::fromLatin1(Name));
  field->SetValueType(TQarvValueType::vtFloat);
  field->SetEnableConvert(true);
  field->SetIncrement(1.0);
  field->SetMinValue(Min);
  field->SetMaxValue(Max);
  field->SetValue(Value);
  return field;
}

QComboBox* TMosaroFm::ListField(const char* Name, const QStringList& Items) {
  auto* list = new QComboBox(this);
  list->setObjectName(QString::fromLatin1(Name));
  list->addItems(Items);
  list->setCurrentIndex(0);
  return list;
}

QCheckBox* TMosaroFm::CheckField(const char* Name, const char* Caption) {
  auto* check = new QCheckBox(QString::fromLatin1(Caption), this);
  check->setObjectName(QString::fromLatin1(Name));
  return check;
}

void TMosaroFm::CreateSettingsPanel() {
  const TNestSettings d;
  FMediaWidth = LengthField("Media_Width", d.Media_Width, kSheetSizeRange.Min, kSheetSizeRange.Max);
  FMediaHeight =
      LengthField("Media_Height", d.Media_Height, kSheetSizeRange.Min, kSheetSizeRange.Max);
  FMargin = LengthField("Margin", d.Margin, kSheetBandRange.Min, kSheetBandRange.Max);
  FPadding = LengthField("Padding", d.Padding, kSheetBandRange.Min, kSheetBandRange.Max);
  FDistance = LengthField("Distance", d.Distance, kDistanceRange.Min, kDistanceRange.Max);
  // Taken as typed: 0.1 mm steps, one decimal in mm (two in inches, three in metres).
  FDistance->SetIncrement(0.1);
  FDistance->SetMinDecimal(1);
  FInside = CheckField("Inside_Check", "Allow inside");
  FGenetics = CheckField("Genetics_Check", "Search for best result (slower)");
  // Seconds, not a length: the units list leaves it alone.
  FOptimise = new TQarvSpinEdit(this);
  FOptimise->setObjectName(QStringLiteral("Optimise_Time"));
  FOptimise->SetValueType(TQarvValueType::vtInteger);
  FOptimise->SetMinValue(kOptimiseRange.Min);
  FOptimise->SetMaxValue(kOptimiseRange.Max);
  FOptimise->SetValue(0);
  FRotate = ListField("Rotate_90", {"Auto", "90 deg.", "180 deg.", "Do not rotate"});
  FApproximation =
      ListField("Approximation_CB", {"Auto", "High", "Middle (text)", "Draft (boxes)"});
  FByColor = ListField("Media_ByColor",
                       {"No", "On different sheets", "On same sheet", "On same sheet without mix"});
  FOrigin = ListField("Origin_point", {"Left-bottom", "Right-bottom"});
  FFitting = ListField("Fitting_CB", {"Bottom (best)", "Corner", "Side"});
  FOrientation = ListField("Orientation_CB",
                           {"Left -> Right", "Right -> Left", "Bottom -> Top", "Top -> Bottom"});
  FUnits = ListField("ecUnits", {"mm", "M", "inch"});
  FOrientationDistance = LengthField("Orientation_distance", d.Orientation_distance,
                                     kBlockDistanceRange.Min, kBlockDistanceRange.Max);

  Tip(FMediaWidth, "Width of the sheet the shapes are cut from");
  Tip(FMediaHeight, "Height of the sheet; shapes fill it from the bottom up");
  Tip(FMargin, "Taken off the sheet's width and height before nesting");
  Tip(FPadding, "A band along the sheet's edges that no shape enters");
  Tip(FDistance, "The least gap kept between two shapes");
  Tip(FInside, "Shapes may be placed in the holes of other shapes");
  Tip(FGenetics, "Tries many orders of the shapes and keeps the best layout");
  Tip(FOptimise, "Seconds spent on a denser layout after the placement; 0: none");
  Tip(FRotate, "The turns a shape may take");
  Tip(FApproximation, "How closely outlines are followed: exactly, a box per path or one box");
  Tip(FByColor, "Keeps shapes of different colours apart");
  Tip(FOrigin, "The corner of the sheet the nesting starts from");
  Tip(FFitting, "How far a shape may go sideways to sit lower");
  Tip(FOrientation, "How the sheets are laid out beside each other");
  Tip(FUnits, "The unit lengths are shown and typed in");
  Tip(FOrientationDistance, "The space between the sheets of the layout");

  auto* sheet = new QGroupBox(QStringLiteral("Sheet size"));
  sheet->setObjectName(QStringLiteral("GroupSheet"));
  QFormLayout* sheetForm = FormFor(sheet);
  sheetForm->addRow(FieldLabel("Sheet width"), FMediaWidth);
  sheetForm->addRow(FieldLabel("Sheet height"), FMediaHeight);
  sheetForm->addRow(FieldLabel("Reduce sheet size"), FMargin);
  sheetForm->addRow(FieldLabel("Edge padding"), FPadding);

  auto* options = new QGroupBox(QStringLiteral("Nesting options"));
  options->setObjectName(QStringLiteral("GroupOptions"));
  QFormLayout* optionsForm = FormFor(options);
  optionsForm->addRow(FieldLabel("Minimum distance"), FDistance);
  optionsForm->addRow(FInside);
  optionsForm->addRow(FGenetics);
  optionsForm->addRow(FieldLabel("Optimise for (s)"), FOptimise);
  optionsForm->addRow(FieldLabel("Fix angle"), FRotate);
  optionsForm->addRow(FieldLabel("Approximation"), FApproximation);
  optionsForm->addRow(FieldLabel("Divide by color"), FByColor);
  optionsForm->addRow(FieldLabel("Origin point"), FOrigin);
  optionsForm->addRow(FieldLabel("Fit shapes"), FFitting);

  auto* layout = new QGroupBox(QStringLiteral("Layout"));
  layout->setObjectName(QStringLiteral("GroupLayout"));
  QFormLayout* layoutForm = FormFor(layout);
  layoutForm->addRow(FieldLabel("Block order"), FOrientation);
  layoutForm->addRow(FieldLabel("Units"), FUnits);
  layoutForm->addRow(FieldLabel("Distance between blocks"), FOrientationDistance);

  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabMain"));
  auto* pageLayout = new QVBoxLayout(page);
  pageLayout->addWidget(sheet);
  pageLayout->addWidget(options);
  pageLayout->addWidget(layout);
  pageLayout->addStretch();
  FPageControl = new QTabWidget(this);
  FPageControl->setObjectName(QStringLiteral("PageControl1"));
  FPageControl->addTab(page, QStringLiteral("Main"));

  // Takes the focus while the mouse is over the preview, so the wheel reaches the window.
  FDummy = new TQarvSpinEdit(this);
  FDummy->setObjectName(QStringLiteral("Dummy"));
  FDummy->SetHideSpin(true);
  FDummy->SetMaxValue(1000);
  FDummy->setGeometry(-100, -100, 10, 10);
}

QWidget* TMosaroFm::CreatePresetRow() {
  FPresetList = new QComboBox(this);
  FPresetList->setObjectName(QStringLiteral("preset_CB"));
  FPresetList->setItemDelegate(
      new TPresetItemDelegate(Tr(FEnv.Language, QStringLiteral("Preset")), FPresetList));
  FPresetList->setMinimumHeight(kPresetItemHeight + 4);
  Tip(FPresetList, "Named sets of the settings below");
  FPresetButton = new QPushButton(QStringLiteral("..."), this);
  FPresetButton->setObjectName(QStringLiteral("Button1"));
  Tip(FPresetButton, "Add, rename or delete presets");
  FPresetButton->setAccessibleName(FPresetButton->toolTip());
  FPresetButton->setFixedWidth(32);
  FPresetButton->setMinimumHeight(kPresetItemHeight + 4);
  auto* row = new QWidget(this);
  auto* rowLayout = new QHBoxLayout(row);
  rowLayout->setContentsMargins(0, 0, 0, 0);
  rowLayout->addWidget(FPresetList, 1);
  rowLayout->addWidget(FPresetButton);
  return row;
}

void TMosaroFm::CreateButtons() {
  auto button = [this](const char* Name, const char* Caption) {
    auto* b = new QPushButton(QString::fromLatin1(Caption), this);
    b->setObjectName(QString::fromLatin1(Name));
    b->setAutoDefault(false);
    return b;
  };
  FButtonCancel = button("ButtonCancel", "Close");
  FButtonApply = button("ButtonApply", "Apply");
  FButtonOK = button("ButtonOK", "Save as...");
  FButtonStop = button("ButtonStop", "Stop");
  FButtonShowOriginal = button("ButtonShowOriginal", "Show original");
  FButtonPrev = button("ButtonNestingResultPrev", "<<");
  FButtonNext = button("ButtonNestingResultNext", ">>");
  FButtonBest = button("ButtonNestingResultBest", "Best (by height)");
  FButtonStop->hide();
  for (QPushButton* b : {FButtonShowOriginal, FButtonPrev, FButtonNext, FButtonBest}) b->hide();
}

void TMosaroFm::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* file = bar->addMenu(QStringLiteral("File"));
  file->setObjectName(QStringLiteral("File1"));
  FOpenAction = MenuItem(file, "Open1", "Open");
  FOpenAction->setShortcut(QKeySequence::Open);
  FSaveAction = MenuItem(file, "Saveas1", "Save as...");
  FSaveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  file->addSeparator();
  connect(MenuItem(file, "AddDrawing1", "Add drawing..."), &QAction::triggered, this,
          &TMosaroFm::AddDrawing1Click);
  connect(MenuItem(file, "OpenJob1", "Open job..."), &QAction::triggered, this,
          &TMosaroFm::OpenJob1Click);
  connect(MenuItem(file, "SaveJob1", "Save job..."), &QAction::triggered, this,
          &TMosaroFm::SaveJob1Click);
  file->addSeparator();
  QAction* exit = MenuItem(file, "Exit1", "Exit");
  QMenu* view = bar->addMenu(QStringLiteral("View"));
  view->setObjectName(QStringLiteral("View1"));
  QAction* zoom = MenuItem(view, "ZoomToFit1", "Zoom to fit");
  zoom->setShortcut(QKeySequence(Qt::Key_Home));
  QAction* about = bar->addAction(QStringLiteral("About"));
  about->setObjectName(QStringLiteral("ools1"));
  connect(FOpenAction, &QAction::triggered, this, &TMosaroFm::Open1Click);
  connect(FSaveAction, &QAction::triggered, this, &TMosaroFm::ButtonOKClick);
  connect(exit, &QAction::triggered, this, &TMosaroFm::ButtonCancelClick);
  connect(zoom, &QAction::triggered, this, &TMosaroFm::ZoomToFit);
  connect(about, &QAction::triggered, this, &TMosaroFm::ools1Click);
  // F10 opens the menu bar, as on other desktops.
  connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, bar,
          [bar] { bar->setActiveAction(bar->actions().constFirst()); });
}

void TMosaroFm::CreatePopupMenus() {
  FPopupMenu1 = new QMenu(this);
  FPopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  MenuItem(FPopupMenu1, "Addprofile1", "Add profile");
  MenuItem(FPopupMenu1, "Deleteprofile1", "Delete profile");
  MenuItem(FPopupMenu1, "Editprofilename1", "Edit profile name");

  FPopupMenu2 = new QMenu(this);
  FPopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  MenuItem(FPopupMenu2, "N0001", "Process shape", 0x1);
  QMenu* approx = FPopupMenu2->addMenu(QStringLiteral("Approximation"));
  approx->setObjectName(QStringLiteral("F0010"));
  MenuItem(approx, "N0010", "Default", 0x10);
  MenuItem(approx, "N0020", "High", 0x20);
  MenuItem(approx, "N0030", "Middle", 0x30);
  MenuItem(approx, "N0040", "Low", 0x40);
  QMenu* angle = FPopupMenu2->addMenu(QStringLiteral("Fix angle"));
  angle->setObjectName(QStringLiteral("F0100"));
  MenuItem(angle, "N0100", "Default", 0x100);
  MenuItem(angle, "N0200", "No", 0x200);
  MenuItem(angle, "N0300", "90", 0x300);
  MenuItem(angle, "N0400", "180", 0x400);
  MenuItem(angle, "N0500", "360", 0x500);
  angle->addSeparator();
  MenuItem(angle, "N0200All", "No to all");
  FPopupMenu2->addSeparator();
  MenuItem(FPopupMenu2, "N1000", "Use shape as container", 0x1000);
  FPopupMenu2->addSeparator();
  MenuItem(FPopupMenu2, "Copies1", "Copies...");
  MenuItem(FPopupMenu2, "CopiesAll1", "Copies for all...");
}

void TMosaroFm::LayoutForm() {
  FPreview = new TQarvPreviewImage(this);
  FPreview->setObjectName(QStringLiteral("PreviewImage"));
  FPreview->setMinimumSize(kPreviewMinimum);
  FProgressBar = new QProgressBar(this);
  FProgressBar->setObjectName(QStringLiteral("ProgressBar1"));
  FProgressBar->setRange(0, 100);
  FProgressBar->setValue(0);
  FProgressBar->setTextVisible(false);
  FProgressBar->setFixedHeight(kProgressHeight);
  ConnectProgress();

  // The settings scroll when the window is shorter than they are.
  FPanelScroll = new QScrollArea(this);
  FPanelScroll->setObjectName(QStringLiteral("SettingsScroll"));
  FPanelScroll->setWidget(FPageControl);
  FPanelScroll->setWidgetResizable(true);
  FPanelScroll->setFrameShape(QFrame::NoFrame);
  FPanelScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("SettingsPanel"));
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  panelLayout->addWidget(CreatePresetRow());
  panelLayout->addWidget(FPanelScroll, 1);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(FPreview, 1);
  top->addWidget(panel);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(6, 4, 6, 6);
  for (QPushButton* b : {FButtonShowOriginal, FButtonPrev, FButtonNext, FButtonBest}) {
    buttons->addWidget(b);
  }
  buttons->addStretch();
  for (QPushButton* b : {FButtonStop, FButtonApply, FButtonOK, FButtonCancel}) {
    buttons->addWidget(b);
  }

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  auto* clientLayout = new QVBoxLayout(client);
  clientLayout->setContentsMargins(0, 0, 0, 0);
  clientLayout->setSpacing(0);
  clientLayout->addLayout(top, 1);
  clientLayout->addWidget(FProgressBar);
  clientLayout->addLayout(buttons);
  setCentralWidget(client);
  FStatusLine = new QLabel(this);
  FStatusLine->setObjectName(QStringLiteral("StatusLine"));
  statusBar()->addWidget(FStatusLine, 1);
}

// The first size: the client area of kClientSize, or the screen's free area when smaller. The
// settings panel is as wide as its texts need in the window's language, never narrower than
// kPanelWidth.
void TMosaroFm::FitToScreen() {
  const int scrollBar = FPanelScroll->verticalScrollBar()->sizeHint().width();
  const int needed = FPageControl->sizeHint().width() + scrollBar + 8;
  FPanelScroll->parentWidget()->setFixedWidth(std::max(kPanelWidth, needed));
  QSize size = kClientSize;
  size.rheight() += menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
  if (const QScreen* screen = this->screen()) {
    // The frame is unknown before the window shows: leave room for a title bar.
    constexpr int kTitleBar = 32;
    const QSize free = screen->availableGeometry().size() - QSize(0, kTitleBar);
    size = size.boundedTo(free).expandedTo(minimumSizeHint());
  }
  resize(size);
}

void TMosaroFm::ConnectHandlers() {
  connect(FButtonCancel, &QPushButton::clicked, this, &TMosaroFm::ButtonCancelClick);
  connect(FButtonApply, &QPushButton::clicked, this, &TMosaroFm::ButtonApplyClick);
  // Apply from the keyboard, wherever the focus is (a button's own shortcut would be replaced
  // by the mnemonic of its translated text).
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this), &QShortcut::activated,
          FButtonApply, &QPushButton::click);
  connect(FButtonOK, &QPushButton::clicked, this, &TMosaroFm::ButtonOKClick);
  connect(FButtonStop, &QPushButton::clicked, this, &TMosaroFm::ButtonStopClick);
  connect(FButtonShowOriginal, &QPushButton::clicked, this, &TMosaroFm::ButtonShowOriginalClick);
  for (QPushButton* b : {FButtonPrev, FButtonNext}) {
    connect(b, &QPushButton::clicked, this, [this, b] { ButtonNestingResultPrevClick(b); });
  }
  connect(FButtonBest, &QPushButton::clicked, this, &TMosaroFm::ButtonNestingResultBestClick);
  connect(FPresetButton, &QPushButton::clicked, this, &TMosaroFm::Button1Click);
  connect(FUnits, &QComboBox::currentIndexChanged, this, &TMosaroFm::ecUnitsChange);
  connect(FPresetList, &QComboBox::currentIndexChanged, this, &TMosaroFm::preset_CBChange);
  connect(FPreview, &TQarvPreviewImage::Drawn, this, &TMosaroFm::DrawDecorations);
  FPreview->installEventFilter(this);
  FDummy->installEventFilter(this);
  connect(FPreview, &TQarvPreviewImage::MouseDown, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint At) { PreviewMouseDown(At); });
  connect(FPreview, &TQarvPreviewImage::MouseMove, this,
          [this](Qt::KeyboardModifiers, QPoint At) { PreviewMouseMove(At); });
  connect(FPreview, &TQarvPreviewImage::MouseUp, this,
          [this](Qt::MouseButton Button, Qt::KeyboardModifiers, QPoint At) {
            PreviewMouseUp(Button, At);
          });
}

void TMosaroFm::RestorePresets() {
  RefillPresetList(-1);
  if (FPresetList->count() == 0) {
    // A first start: the default preset, stored when the window closes or Apply runs.
    const QSignalBlocker block(FPresetList);
    FPresetList->addItem(QStringLiteral("Preset #1"));
    FPresetList->setCurrentIndex(0);
  }
  {
    const QSignalBlocker block(FPresetList);
    StoreControls(FPresetList, TStoreMode::Load, FConfigFile, QString());
    if (FPresetList->currentIndex() < 0 && FPresetList->count() > 0) {
      FPresetList->setCurrentIndex(0);
    }
  }
  preset_CBChange();
  ecUnitsChange();
  FPageControl->setCurrentIndex(0);
}

}  // namespace plavo
