// A window with each building block of the main window on its own: the numeric fields with
// the units list, the settings walk (save and load a preset), the translation walk and the
// preview with a generated drawing, zoom, pan and picking.
//
//   plavo-demo-controls [--lang FILE] [--shapes N]
//
// --lang translates the window with a language file at start (as ini/Language.ini would);
// --shapes sets how many shapes the generated drawing has (default 60).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/preview/QarvPreviewImage.h"
#include "ui/settings/IniLocation.h"
#include "ui/settings/StoreControls.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {
namespace {

constexpr double kPi = 3.14159265358979323846;

TQarvPrevireSegment Line(double X0, double Y0, double X1, double Y1) {
  TQarvPrevireSegment s;
  s.StartNodeX = s.StartControlPointX = X0;
  s.StartNodeY = s.StartControlPointY = Y0;
  s.EndNodeX = s.EndControlPointX = X1;
  s.EndNodeY = s.EndControlPointY = Y1;
  return s;
}

// A closed blob of four cubic arcs around (Cx, Cy).
TQarvPreviewPath Blob(double Cx, double Cy, double R, int32_t Color) {
  TQarvPreviewPath path;
  path.Color = Color;
  const double c = 0.5523 * R;  // control distance of a quarter circle
  const double wobble = 0.6 + 0.4 * std::fabs(std::sin(Cx * 0.37 + Cy));
  const double px[4] = {R, 0, -R * wobble, 0}, py[4] = {0, R * wobble, 0, -R};
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    TQarvPrevireSegment s;
    s.type_ = 1;
    s.StartNodeX = Cx + px[i], s.StartNodeY = Cy + py[i];
    s.EndNodeX = Cx + px[j], s.EndNodeY = Cy + py[j];
    const double ti = (i * kPi / 2) + kPi / 2, tj = (j * kPi / 2) - kPi / 2;
    s.StartControlPointX = s.StartNodeX + c * std::cos(ti);
    s.StartControlPointY = s.StartNodeY + c * std::sin(ti);
    s.EndControlPointX = s.EndNodeX + c * std::cos(tj);
    s.EndControlPointY = s.EndNodeY + c * std::sin(tj);
    path.Segment.push_back(s);
  }
  return path;
}

TQarvPreviewShapes DemoDrawing(int Count) {
  TQarvPreviewShapes shapes;
  TQarvPreviewShape sheet;  // a sheet outline: never picked
  sheet.Index = -1;
  TQarvPreviewPath outline;
  outline.Color = 0xB799FF;
  for (auto [x0, y0, x1, y1] : {std::array{0., 0., 0., 500.},
                                {0., 500., 600., 500.},
                                {600., 500., 600., 0.},
                                {600., 0., 0., 0.}}) {
    outline.Segment.push_back(Line(x0, y0, x1, y1));
  }
  sheet.Path.push_back(outline);
  const int columns = std::max(1, static_cast<int>(std::sqrt(Count * 1.2)));
  for (int i = 0; i < Count; ++i) {
    TQarvPreviewShape shape;
    shape.Index = i;
    const double cx = 30 + (i % columns) * (540.0 / columns);
    const double cy = 30 + (i / columns) * (440.0 / ((Count + columns - 1) / columns));
    const int32_t color =
        (40 + (i * 37) % 180) | ((60 + (i * 53) % 160) << 8) | ((90 + (i * 71) % 130) << 16);
    shape.Path.push_back(Blob(cx, cy, 200.0 / columns, color));
    shapes.Shape.push_back(shape);
  }
  shapes.Shape.push_back(sheet);
  TQarvPreviewShape marker;
  marker.Index = -1;
  TQarvPreviewPath dot;
  dot.type_ = kPreviewCircle;
  dot.CircleX = 600, dot.CircleY = 500, dot.CircleD = 12, dot.Color = 0x3030E0;
  marker.Path.push_back(dot);
  shapes.Shape.push_back(marker);
  return shapes;
}

TQarvSpinEdit* LengthField(const char* Name, double Value, double Min, double Max) {
  auto* field = new TQarvSpinEdit;
  field->setObjectName(QString::fromLatin1(Name));
  field->SetValueType(TQarvValueType::vtFloat);
  field->SetEnableConvert(true);
  field->SetMinValue(Min);
  field->SetMaxValue(Max);
  field->SetValue(Value);
  return field;
}

QComboBox* List(const char* Name, const QStringList& Items) {
  auto* list = new QComboBox;
  list->setObjectName(QString::fromLatin1(Name));
  list->addItems(Items);
  return list;
}

class TDemoWindow : public QWidget {
 public:
  explicit TDemoWindow(int ShapeCount) {
    setWindowTitle(QStringLiteral("Plavo"));
    FPreview = new TQarvPreviewImage(this);
    FPreview->setMinimumSize(560, 480);
    FStatus = new QLabel(QStringLiteral("Click a shape."), this);

    auto* settings = new QTabWidget(this);
    settings->setObjectName(QStringLiteral("PageControl1"));
    auto* page = new QWidget;
    settings->addTab(page, QStringLiteral("Main"));
    auto* sheet = new QGroupBox(QStringLiteral("Sheet size"), page);
    auto* sheetForm = new QFormLayout(sheet);
    sheetForm->addRow(QStringLiteral("Sheet width"), LengthField("Media_Width", 1000, 50, 10000));
    sheetForm->addRow(QStringLiteral("Sheet height"), LengthField("Media_Height", 1000, 50, 10000));
    sheetForm->addRow(QStringLiteral("Reduce sheet size"), LengthField("Margin", 0, 0, 200));
    auto* options = new QGroupBox(QStringLiteral("Nesting options"), page);
    auto* optionsForm = new QFormLayout(options);
    optionsForm->addRow(QStringLiteral("Minimum distance"), LengthField("Distance", 5, 1, 100));
    auto* inside = new QCheckBox(QStringLiteral("Allow inside"));
    inside->setObjectName(QStringLiteral("Inside_Check"));
    optionsForm->addRow(inside);
    optionsForm->addRow(
        QStringLiteral("Fix angle"),
        List("Rotate_90", {QStringLiteral("Auto"), QStringLiteral("90 deg."),
                           QStringLiteral("180 deg."), QStringLiteral("Do not rotate")}));
    FUnits = List("ecUnits", {QStringLiteral("mm"), QStringLiteral("M"), QStringLiteral("inch")});
    optionsForm->addRow(QStringLiteral("Units"), FUnits);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(sheet);
    pageLayout->addWidget(options);
    pageLayout->addStretch();

    auto* save = new QPushButton(QStringLiteral("Add profile"), this);
    auto* load = new QPushButton(QStringLiteral("Load preset"), this);  // demo only: English
    auto* right = new QVBoxLayout;
    right->addWidget(settings);
    right->addWidget(save);
    right->addWidget(load);
    right->addWidget(FStatus);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(FPreview, 1);
    layout->addLayout(right);

    const QString presets = IniFilePath(kPresetFileName);
    connect(FUnits, &QComboBox::currentIndexChanged, this,
            [this] { SetSpinEditUnits(this, FUnits->currentIndex(), 0); });
    connect(save, &QPushButton::clicked, this,
            [=] { StoreControls(settings, TStoreMode::Save, presets, QStringLiteral("Demo")); });
    connect(load, &QPushButton::clicked, this,
            [=] { StoreControls(settings, TStoreMode::Load, presets, QStringLiteral("Demo")); });
    connect(FPreview, &TQarvPreviewImage::MouseUp, this, [this] { ShowPick(); });

    FPreview->Shapes() = DemoDrawing(ShapeCount);
    SetSpinEditUnits(this, FUnits->currentIndex(), 0);
  }

  void showEvent(QShowEvent* Event) override {
    QWidget::showEvent(Event);
    FPreview->ReCalculateConst();
    FPreview->DrawShapes();
  }

 private:
  void ShowPick() {
    const int picked = FPreview->GetSelectedShape(TQarvPreviewImage::kPickTolerance);
    for (TQarvPreviewShape& shape : FPreview->Shapes().Shape) {
      if (shape.Index < 0) continue;
      for (TQarvPreviewPath& path : shape.Path) path.PenWidth = shape.Index == picked ? 3 : 1;
    }
    FPreview->DrawShapes();
    const TQarvPreviewBezierNode at = FPreview->RealPointCoordinates();
    FPreview->DrawMarker(at.x, at.y, 7);
    FStatus->setText(QStringLiteral("Shape %1 at %2, %3 mm")
                         .arg(picked)
                         .arg(at.x, 0, 'f', 1)
                         .arg(at.y, 0, 'f', 1));
  }

  TQarvPreviewImage* FPreview;
  QLabel* FStatus;
  QComboBox* FUnits;
};

}  // namespace
}  // namespace plavo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int shapes = 60;
  QString language;
  const QStringList args = app.arguments();
  for (qsizetype i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--lang")) language = args[i + 1];
    if (args[i] == QLatin1String("--shapes")) shapes = std::max(1, args[i + 1].toInt());
  }
  plavo::TDemoWindow window(shapes);
  const plavo::TLanguage lang = language.isEmpty()
                                    ? plavo::LoadProgramLanguage()
                                    : plavo::TLanguage::Load(language.toUtf8().toStdString());
  plavo::TranslateForm(&window, lang);
  window.resize(1000, 600);
  window.show();
  return app.exec();
}
