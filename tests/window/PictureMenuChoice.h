#pragma once

#include <QString>

class QWidget;

namespace tamrex::testing {

// Right-clicks the picture and clicks the entry of the menu that opens whose text starts
// with `entry`, as a person would. False when no menu opened or it has no such entry;
// a disabled entry is clicked all the same, and does nothing.
bool ChooseFromPictureMenu(QWidget* picture, const QString& entry);

// Whether the entry of the picture's menu is enabled; the menu is closed again.
bool PictureMenuOffers(QWidget* picture, const QString& entry);

}  // namespace tamrex::testing
