// The program's own icons, drawn by the program: the program's icon (the
// main window, dialogs and message boxes, the About box) and the icon of the
// task windows.
#pragma once

#include <QIcon>

namespace zelvo {

// An orbit around the Sun on the night sky, with a minor planet on it.
QIcon program_icon();
// A page of fixed-column lines with the program's orbit in its corner.
QIcon documentIcon();

}  // namespace zelvo
