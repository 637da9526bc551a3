#include "window/KeysHelp.h"

namespace tamrex {

QString KeysHelp() {
    return QStringLiteral(
        "Select a photo in the list, with the mouse or the arrow keys, to count its boards.\n"
        "\n"
        "Enter, or a click on the selected photo: count it again\n"
        "F2, or a double-click on a picture: review the count line by line and put it right; there, Shift+drag "
        "frames the stack for the second look\n"
        "Right-click on a picture, the Menu key or Shift+F10: the menu of all there is to do\n"
        "Ctrl+O: open another folder of photos (or drop a folder or a photo on the window)\n"
        "F5: list the photos taken since the folder was opened\n"
        "F1: this help\n"
        "\n"
        "New Book sets the count shown back to 0; Exit ends Tamrex. Counts accepted in the review are kept in "
        "tamrex-corrections.csv in the photos' folder; once three photos have one, the menu calibrates the "
        "settings from them.");
}

}  // namespace tamrex
