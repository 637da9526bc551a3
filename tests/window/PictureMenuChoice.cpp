#include "tests/window/PictureMenuChoice.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

namespace tamrex::testing {
namespace {

QMenu* OpenMenu(QWidget* picture) {
    QTest::mouseClick(picture, Qt::RightButton, Qt::NoModifier, picture->rect().center());
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QAction* EntryOf(QMenu* menu, const QString& entry) {
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator() && action->text().startsWith(entry)) return action;
    }
    return nullptr;
}

}  // namespace

bool ChooseFromPictureMenu(QWidget* picture, const QString& entry) {
    QMenu* menu = OpenMenu(picture);
    if (!menu) return false;
    QAction* action = EntryOf(menu, entry);
    if (!action) {
        menu->close();
        return false;
    }
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
    if (menu->isVisible()) menu->close();  // a disabled entry leaves the menu open
    return true;
}

bool PictureMenuOffers(QWidget* picture, const QString& entry) {
    QMenu* menu = OpenMenu(picture);
    if (!menu) return false;
    const QAction* action = EntryOf(menu, entry);
    const bool offered = action && action->isEnabled();
    menu->close();
    return offered;
}

}  // namespace tamrex::testing
