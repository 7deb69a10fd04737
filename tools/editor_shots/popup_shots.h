// Pictures of what pops up over the main window (menus, dialogs), for the user's manual: each
// step waits for the next menu or dialog to show, takes the screen around the window and it, and
// then closes it or chooses one of its items.
#pragma once

#include <QString>

class QWidget;

namespace vellary::app {
class CMainFrame;
}

namespace vellary::shots {

// Saves the screen showing the window and the windows over it (menus, dialogs, the one-line
// image): all of the window, or with `aroundPopups` only the part around what is over it.
bool grabScreen(const QWidget& window, const QString& path, bool aroundPopups);

// The menus and dialogs a user meets, on the bundled sample's first page, into OUT/*.png (names
// printed as they are written). false when a picture could not be taken.
bool takePopupShots(app::CMainFrame& window, const QString& out);

}  // namespace vellary::shots
