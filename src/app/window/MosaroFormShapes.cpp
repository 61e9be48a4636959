// The per-shape popup on the preview (processing, approximation, fix angle, container) and the
// presets: named sets of the settings controls in the preset file, chosen in the preset list
// and managed from the menu beside it.
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QTabWidget>

#include "app/window/MosaroForm.h"
#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/preview/QarvPreviewImage.h"
#include "ui/settings/StoreControls.h"
#include "ui/settings/TranslateForm.h"

namespace plavo {

namespace {

constexpr int kClickSlack = 2;  // pixels a click may move and still not be a drag

// The group of four bits a per-shape code belongs to.
int32_t CodeGroup(int32_t Code) {
  if (Code & kUserContainerMask) return kUserContainerMask;
  if (Code & kUserAngleMask) return kUserAngleMask;
  if (Code & kUserApproxMask) return kUserApproxMask;
  return 0xF;
}

}  // namespace

// The preview's enter, leave and wheel: while the mouse is over the preview the hidden field
// takes the focus, so no settings field turns its value with the wheel; after a zoom the
// height labels are drawn again onto the redrawn canvas.
bool TMosaroFm::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FPreview) {
    if (Event->type() == QEvent::Enter) {
      FDummy->setFocus();
      FPreview->SetMouseIn(true);
    } else if (Event->type() == QEvent::Leave) {
      FPreview->SetMouseIn(false);
    } else if (Event->type() == QEvent::Wheel && !Busy()) {
      QMetaObject::invokeMethod(this, &TMosaroFm::DrawHeightLabels, Qt::QueuedConnection);
    }
  }
  return QMainWindow::eventFilter(Watched, Event);
}

void TMosaroFm::PreviewMouseDown(QPoint Position) {
  FMouseDownAt = Position;
  FMouseMoved = false;
}

void TMosaroFm::PreviewMouseMove(QPoint Position) {
  if ((Position - FMouseDownAt).manhattanLength() > kClickSlack) FMouseMoved = true;
}

void TMosaroFm::PreviewMouseUp(Qt::MouseButton Button, QPoint Position) {
  // While a file is read or a run works, the records may not match the drawing on show.
  if (Busy()) return;
  // A click that ends a drag of the preview opens nothing, even when it ends where it began.
  if (!FMouseMoved && (Button == Qt::LeftButton || Button == Qt::RightButton)) {
    const int selected = FPreview->GetSelectedShape(TQarvPreviewImage::kPickTolerance);
    MarkShapes(selected);
    if (selected >= 0) {
      const int shape = FPreview->Shapes().Shape[static_cast<size_t>(selected)].Index;
      ShowShapeMenu(shape, FPreview->mapToGlobal(Position));
      MarkShapes(-1);
    }
  }
  DrawHeightLabels();
}

// Thick outlines for the selected preview shape and the container.
void TMosaroFm::MarkShapes(int Selected) {
  TQarvPreviewShapes& list = FPreview->Shapes();
  for (size_t k = 0; k < list.Shape.size(); ++k) {
    TQarvPreviewShape& shape = list.Shape[k];
    if (shape.Index < 0) continue;
    const bool container = (FJob.UserAttr(shape.Index) & kUserContainerMask) == kUserContainer;
    const int pen = static_cast<int>(k) == Selected || container ? 3 : 1;
    for (TQarvPreviewPath& path : shape.Path) path.PenWidth = pen;
  }
  FPreview->DrawShapes();
}

void TMosaroFm::ShowShapeMenu(int Shape, QPoint At) {
  // The codes are read by the run in progress: they change only between runs.
  if (Busy() || Shape < 0 || Shape >= FJob.ShapeCount()) return;
  PopupMenu2Popup(Shape);
  QAction* chosen = FDialogs->PopupMenu(FPopupMenu2, At);
  if (chosen == nullptr) return;
  if (chosen->objectName() == QLatin1String("N0200All")) {
    N0200AllClick();
  } else if (chosen->data().toInt() != 0) {
    N0001Click(Shape, chosen);
  }
}

void TMosaroFm::PopupMenu2Popup(int Shape) {
  const int32_t attr = FJob.UserAttr(Shape);
  for (QAction* item : FPopupMenu2->findChildren<QAction*>()) {
    const int32_t tag = item->data().toInt();
    if (tag != 0) item->setChecked((attr & CodeGroup(tag)) == tag);
  }
}

void TMosaroFm::N0001Click(int Shape, QAction* Item) {
  const int32_t tag = Item->data().toInt();
  // The new check state follows from the shape's codes, whether or not the menu already
  // toggled the item.
  const bool checked = (FJob.UserAttr(Shape) & CodeGroup(tag)) != tag;
  FJob.ApplyUserCode(Shape, tag, checked);
  Item->setChecked(checked);
  MarkShapes(-1);
}

void TMosaroFm::N0200AllClick() {
  if (Busy()) return;
  FJob.SetAngleCodeForAll(0x200);
}

void TMosaroFm::Button1Click() {
  QAction* chosen = FDialogs->PopupMenu(FPopupMenu1, QCursor::pos());
  if (chosen == nullptr) return;
  const QString name = chosen->objectName();
  if (name == QLatin1String("Addprofile1")) Addprofile1Click();
  if (name == QLatin1String("Deleteprofile1")) Deleteprofile1Click();
  if (name == QLatin1String("Editprofilename1")) Editprofilename1Click();
}

void TMosaroFm::RefillPresetList(int Select) {
  const QSignalBlocker block(FPresetList);
  FPresetList->clear();
  FPresetList->addItems(ReadIniSections(FPresetFile));
  FPresetList->setCurrentIndex(
      FPresetList->count() == 0 ? -1 : std::min(Select, FPresetList->count() - 1));
}

// The preset commands are refused during a run: Apply stores the controls under the chosen
// preset's name when it returns, which must not land on a preset renamed or deleted meanwhile.
void TMosaroFm::Addprofile1Click() {
  if (Busy()) return;
  QString name = FPresetList->currentText() + QStringLiteral(" (new)");
  if (!FDialogs->InputText(this, Text("Preset name"), name) || name.trimmed().isEmpty()) return;
  StoreControls(FPageControl, TStoreMode::Save, FPresetFile, name);
  const QSignalBlocker block(FPresetList);
  FPresetList->addItem(name);
  FPresetList->setCurrentIndex(FPresetList->count() - 1);
}

void TMosaroFm::Deleteprofile1Click() {
  if (Busy()) return;
  const QString name = FPresetList->currentText();
  if (name.isEmpty()) return;
  EraseIniSection(FPresetFile, name);
  RefillPresetList(0);
  preset_CBChange();
}

void TMosaroFm::Editprofilename1Click() {
  if (Busy()) return;
  const QString old = FPresetList->currentText();
  const int index = FPresetList->currentIndex();
  if (old.isEmpty() || index < 0) return;
  QString name = old;
  if (FDialogs->InputText(this, Text("Preset name"), name) && !name.trimmed().isEmpty()) {
    RenameIniSectionLine(FPresetFile, old, name);
  }
  RefillPresetList(index);
}

void TMosaroFm::preset_CBChange() {
  const QString name = FPresetList->currentText();
  if (!name.isEmpty()) StoreControls(FPageControl, TStoreMode::Load, FPresetFile, name);
}

}  // namespace plavo
