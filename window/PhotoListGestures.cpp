#include "window/PhotoListGestures.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>

namespace tamrex {

PhotoListGestures::PhotoListGestures(QListWidget* list) : QObject(list), list(list), viewport(list->viewport()) {
    list->installEventFilter(this);
    viewport->installEventFilter(this);
}

// The list goes on to handle every mouse event as usual; only the keys taken here stop.
bool PhotoListGestures::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list && event->type() == QEvent::KeyPress) return OnKey(static_cast<const QKeyEvent&>(*event));
    // Compared with the pointer kept at the start: while the list is being destroyed,
    // events still arrive here, and the list can no longer be asked for its viewport.
    if (watched != viewport) return false;
    if (event->type() == QEvent::MouseButtonPress) OnPress(static_cast<const QMouseEvent&>(*event));
    if (event->type() == QEvent::MouseButtonRelease) OnRelease(static_cast<const QMouseEvent&>(*event));
    return false;
}

bool PhotoListGestures::OnKey(const QKeyEvent& event) {
    if (event.modifiers() & ~Qt::KeypadModifier) return false;
    const bool nothingSelected = list->selectedItems().isEmpty();
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!nothingSelected) {
                emit countAgain();
            } else if (list->currentItem()) {
                list->currentItem()->setSelected(true);
            }
            return true;
        case Qt::Key_Down:
            if (!nothingSelected || list->count() == 0) return false;
            list->setCurrentRow(0);
            return true;
        default:
            return false;
    }
}

void PhotoListGestures::OnPress(const QMouseEvent& event) {
    const QListWidgetItem* item = list->itemAt(event.position().toPoint());
    pressOnSelected = event.button() == Qt::LeftButton && event.modifiers() == Qt::NoModifier && item &&
                      item->isSelected();
}

void PhotoListGestures::OnRelease(const QMouseEvent& event) {
    const QListWidgetItem* item = list->itemAt(event.position().toPoint());
    const bool again = pressOnSelected && event.button() == Qt::LeftButton && item && item->isSelected();
    pressOnSelected = false;
    if (again) emit countAgain();
}

}  // namespace tamrex
