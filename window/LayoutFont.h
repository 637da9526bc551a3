#pragma once

#include <QFont>

namespace tamrex {

// The families the layout was drawn with. Linux desktops lack both; LayoutFont puts the
// nearest installed face in their place.
inline constexpr char kDialogFamily[] = "MS Sans Serif";
inline constexpr char kDisplayFamily[] = "Tahoma";

// A font of the fixed layout: `points` as a 96-dpi screen shows them, set in pixels so
// that text keeps its place in the boxes whatever DPI the desktop is set to.
QFont LayoutFont(const char* family, double points, bool bold);

}  // namespace tamrex
