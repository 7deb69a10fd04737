// The toolbar's icons: the platform theme's when it has them, otherwise drawn here, so the
// toolbar never shows bare text.
#pragma once

#include <QIcon>

namespace vellary::app {

// An icon for a command id; a null icon when the command has none on the toolbar.
QIcon commandIcon(int id);

}  // namespace vellary::app
