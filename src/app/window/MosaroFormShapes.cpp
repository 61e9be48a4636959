// The per-shape popup on the preview: a click on a shape, on its outline or anywhere inside it,
// sets its processing, approximation, fix angle or container role.
#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>

#include "app/window/MosaroForm.h"
#include "ui/controls/QarvNumericEditSpin.h"
#include "ui/preview/QarvPreviewImage.h"

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

// The preview's enter and leave: while the mouse is over the preview the hidden field takes
// the focus, so no settings field turns its value with the wheel. That field lets Home through
// to "Zoom to fit".
bool TMosaroFm::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FPreview) {
    if (Event->type() == QEvent::Enter) {
      FDummy->setFocus();
      FPreview->SetMouseIn(true);
    } else if (Event->type() == QEvent::Leave) {
      FPreview->SetMouseIn(false);
    }
  } else if (Watched == FDummy && Event->type() == QEvent::ShortcutOverride &&
             static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Home) {
    return true;  // not taken by the field: the shortcut runs
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
    const int selected = FPreview->GetShapeAt(TQarvPreviewImage::kPickTolerance);
    MarkShapes(selected);
    if (selected >= 0) {
      const int shape = FPreview->Shapes().Shape[static_cast<size_t>(selected)].Index;
      ShowShapeMenu(shape, FPreview->mapToGlobal(Position));
      MarkShapes(-1);
    }
  }
}

// Thick outlines for the selected preview shape and the container, dashed ones for the shapes
// left out.
void TMosaroFm::MarkShapes(int Selected) {
  TQarvPreviewShapes& list = FPreview->Shapes();
  for (size_t k = 0; k < list.Shape.size(); ++k) {
    if (list.Shape[k].Index >= 0) StyleShape(list.Shape[k], static_cast<int>(k) == Selected);
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
  } else if (chosen->objectName() == QLatin1String("Copies1")) {
    CopiesClick(Shape);
  } else if (chosen->objectName() == QLatin1String("CopiesAll1")) {
    CopiesForAllClick();
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

}  // namespace plavo
